#include "dbase/fieldvalue.h"

#include "common/error.h"

namespace {

std::optional<DateValue> storedDate(const QString& text)
{
    const QDate date = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    if (!date.isValid())
        return std::nullopt;
    return DateValue::fromDate(date);
}

bool isNumeric(char type)
{
    return type == 'N' || type == 'F';
}

} // namespace

FieldValue::FieldValue(char type, QString text)
    : m_type(type)
    , m_text(std::move(text))
{
    // Writers pad with blanks or NULs, and some fill an empty date with zeros.
    qsizetype end = m_text.size();
    while (end > 0 && (m_text[end - 1] == u' ' || m_text[end - 1] == u'\0'))
        --end;
    qsizetype begin = 0;
    while (begin < end && m_text[begin] == u' ')
        ++begin;
    m_text = m_text.sliced(begin, end - begin);
    if (m_type == 'D' && m_text == u"00000000")
        m_text.clear();
}

std::optional<DateValue> FieldValue::toDate() const
{
    if (isNull())
        return std::nullopt;
    // Anything else than a date (month 13, letters, a time alone) is no sale's date; taking today
    // instead would register it under a date it never had.
    const std::optional<DateValue> value = m_type == 'D' ? storedDate(m_text) : DateValue::fromText(m_text);
    if (!value || !value->hasDatePart())
        throw Error::typeMismatch(m_text);
    return DateValue::fromDate(value->date());
}

DateValue FieldValue::toDateTime() const
{
    if (isNull())
        throw Error::invalidUseOfNull();
    const std::optional<DateValue> value = m_type == 'D' ? storedDate(m_text) : DateValue::fromText(m_text);
    if (!value)
        throw Error::typeMismatch(m_text);
    return *value;
}

Money FieldValue::toMoney() const
{
    if (isNull())
        throw Error::invalidUseOfNull();
    if (m_type == 'D' || m_type == 'L')
        throw Error::typeMismatch(m_text);
    // A number field holds a point; a text field may come from a program that wrote the number
    // the Brazilian way.
    const std::optional<Money> value
        = isNumeric(m_type) ? Money::fromText(m_text, u'.') : Money::fromPointOrComma(m_text);
    if (!value)
        throw Error::typeMismatch(m_text);
    return *value;
}
