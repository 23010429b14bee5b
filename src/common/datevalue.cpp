#include "common/datevalue.h"

#include <cmath>

namespace {

constexpr qint64 SecondsPerDay = 86400;
const QDate Epoch(1899, 12, 30);

struct Parts {
    qint64 day;
    qint64 second;
};

// Splits a value into whole days and the seconds of its time of day. For values before the epoch
// the fraction still counts forward from midnight (-1.25 is 29 December 1899, 06:00), as the
// platform's date value does.
Parts split(double days)
{
    double whole = std::trunc(days);
    qint64 second = std::llround(std::fabs(days - whole) * SecondsPerDay);
    if (second >= SecondsPerDay) {
        second -= SecondsPerDay;
        whole += days < 0 ? -1 : 1;
    }
    return { qint64(whole), second };
}

std::optional<QDate> dateFromText(QStringView text, const QLocale& locale)
{
    const QString value = text.toString();
    const QString formats[] = { QStringLiteral("dd/MM/yyyy"), QStringLiteral("d/M/yyyy"), QStringLiteral("dd/MM/yy"),
        QStringLiteral("d/M/yy"), QStringLiteral("yyyy-MM-dd"), QStringLiteral("yyyyMMdd"),
        locale.dateFormat(QLocale::ShortFormat) };
    for (const QString& format : formats) {
        const QDate date = QDate::fromString(value, format);
        if (!date.isValid())
            continue;
        // Two-digit years read as 19xx; like the platform's own window, 00 to 29 are this century.
        const bool twoDigitYear = !format.contains(QStringLiteral("yyyy"));
        return twoDigitYear && date.year() < 1930 ? date.addYears(100) : date;
    }
    return std::nullopt;
}

std::optional<QTime> timeFromText(QStringView text)
{
    const QString value = text.toString();
    for (const auto* format : { "H:mm:ss", "H:mm" }) {
        const QTime time = QTime::fromString(value, QLatin1StringView(format));
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

} // namespace

DateValue DateValue::fromDate(QDate date)
{
    return DateValue(double(Epoch.daysTo(date)));
}

DateValue DateValue::fromTime(QTime time)
{
    return DateValue(double(time.msecsSinceStartOfDay()) / (SecondsPerDay * 1000.0));
}

DateValue DateValue::fromDateTime(const QDateTime& dateTime)
{
    const double day = double(Epoch.daysTo(dateTime.date()));
    const double fraction = fromTime(dateTime.time()).days();
    return DateValue(day < 0 ? day - fraction : day + fraction);
}

std::optional<DateValue> DateValue::fromText(QStringView text, const QLocale& locale)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    if (const auto time = timeFromText(trimmed))
        return fromTime(*time);
    if (const auto date = dateFromText(trimmed, locale))
        return fromDate(*date);
    const qsizetype blank = trimmed.lastIndexOf(u' ');
    if (blank > 0) {
        const auto date = dateFromText(trimmed.left(blank).trimmed(), locale);
        const auto time = timeFromText(trimmed.mid(blank + 1));
        if (date && time)
            return fromDateTime(QDateTime(*date, *time));
    }
    return std::nullopt;
}

QDate DateValue::date() const
{
    return Epoch.addDays(split(m_days).day);
}

QTime DateValue::time() const
{
    return QTime(0, 0).addSecs(int(split(m_days).second));
}

bool DateValue::hasDatePart() const
{
    return split(m_days).day != 0;
}

QString DateValue::toText(const QLocale& locale) const
{
    const QString timeText = time().toString(QStringLiteral("HH:mm:ss"));
    if (!hasDatePart())
        return timeText;
    const QString dateText = locale.toString(date(), QLocale::ShortFormat);
    if (!hasTimePart())
        return dateText;
    return dateText + u' ' + timeText;
}
