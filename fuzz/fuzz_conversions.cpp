// The readers of typed numbers, dates and settings numbers over text of any bytes, and the round
// trips the system relies on: a value it writes reads back as the same value.

#include "common/conversions.h"
#include "common/datevalue.h"
#include "common/error.h"
#include "common/money.h"

#include <QRegularExpression>
#include <cmath>
#include <cstring>

namespace {

__extension__ typedef __int128 Wide;

const QLocale Brazil(QLocale::Portuguese, QLocale::Brazil);

// Locales whose separators differ: a point, a comma, an apostrophe, a narrow no-break space and
// Arabic marks.
const QLocale& localeFor(uint8_t selector)
{
    static const QLocale locales[] = { QLocale::c(), Brazil, QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Switzerland), QLocale(QLocale::French, QLocale::France),
        QLocale(QLocale::Arabic, QLocale::Egypt) };
    return locales[selector % std::size(locales)];
}

void expect(bool holds, const char* what, const QString& text)
{
    if (!holds)
        qFatal("%s: '%s'", what, qPrintable(text));
}

// The value held to two decimals, halves away from zero, or none when that leaves the range.
std::optional<Money> toCents(Money value)
{
    Wide cents = Wide(value.units()) / 100;
    const Wide remainder = Wide(value.units()) % 100;
    if (remainder >= 50 || remainder <= -50)
        cents += remainder < 0 ? -1 : 1;
    const Wide units = cents * 100;
    if (units > std::numeric_limits<qint64>::max() || units < std::numeric_limits<qint64>::min())
        return std::nullopt;
    return Money::fromUnits(qint64(units));
}

void checkMoney(Money value, const QLocale& locale, QStringView pattern)
{
    const QString plain = value.toPlainText();
    expect(Money::fromText(plain, u'.') == value, "toPlainText does not read back", plain);
    const QString text = value.toText(locale);
    expect(Money::fromText(text, locale) == value, "toText does not read back", text);
    const QString grouped = value.format(u"#,##0.0000", locale);
    expect(Money::fromText(grouped, locale) == value, "a grouped format does not read back", grouped);
    const QString shown = value.format(u"##,###,##0.00", locale);
    expect(Money::fromText(shown, locale) == toCents(value), "the shown value is not the value rounded", shown);
    const QString typed = value.format(u"00000000.00", Brazil);
    expect(Money::fromPointOrComma(typed) == toCents(value), "a typed value is not the value rounded", typed);
    value.format(pattern, locale);
}

void checkDate(QStringView text, const QLocale& locale)
{
    const std::optional<DateValue> value = DateValue::fromText(text, locale);
    if (!value)
        return;
    value->toText(locale);
    // The station's own text form holds every date and time to the second that text can give.
    const QString written = value->toText(Brazil);
    expect(DateValue::fromText(written, Brazil) == value, "a date does not read back", written);
}

// Half to even, and the overflow error only when that leaves 16 bits. Gives whether it fits.
bool checkRounding(double value)
{
    try {
        const qint16 rounded = roundToInteger16(value);
        const double distance = std::fabs(value - rounded);
        expect(distance < 0.5 || (distance == 0.5 && rounded % 2 == 0), "not rounded to the nearest, halves to even",
            QString::number(value, 'g', 17));
        return true;
    } catch (const Error&) {
        expect(!(value >= -32768.5 && value < 32767.5), "overflow within 16 bits", QString::number(value, 'g', 17));
        return false;
    }
}

// A settings number with six whole digits or more, however many, cannot fit 16 bits.
bool hasSixWholeDigits(QStringView text)
{
    static const QRegularExpression sixDigits(QStringLiteral("^[+-]?0*[1-9][0-9]{5}"));
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\n\\r]"));
    QString number = text.toString();
    number.remove(blanks);
    return sixDigits.match(number).hasMatch();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QLocale& locale = localeFor(data[0]);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    for (const std::optional<Money>& value : { Money::fromText(text, u'.'), Money::fromText(text, u','),
             Money::fromText(text, u',', u'.'), Money::fromText(text, locale), Money::fromPointOrComma(text) }) {
        if (value)
            checkMoney(*value, locale, text);
    }
    checkDate(text, locale);

    const bool fits = checkRounding(leadingNumber(text));
    expect(!fits || !hasSixWholeDigits(text), "a settings number of six whole digits fits 16 bits", text);

    // The same bytes as raw values reach the ranges' ends, which text rarely does.
    if (size >= 1 + sizeof(qint64)) {
        qint64 units;
        std::memcpy(&units, data + 1, sizeof units);
        checkMoney(Money::fromUnits(units), locale, u"0.00");
        double raw;
        std::memcpy(&raw, data + 1, sizeof raw);
        checkRounding(raw);
    }
    return 0;
}
