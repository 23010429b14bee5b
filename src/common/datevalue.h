#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <optional>

// The platform's date value: days since 30 December 1899, the fraction being the time of day. A
// fueling carries its date and its time as two such values, and the log lines print them in the
// default text form, so the whole system shares this one representation.
class DateValue {
public:
    constexpr DateValue() = default;
    explicit constexpr DateValue(double days)
        : m_days(days)
    {
    }
    static DateValue fromDate(QDate date);
    static DateValue fromTime(QTime time);
    static DateValue fromDateTime(const QDateTime& dateTime);
    // Reads a date, a time of day, or both separated by a blank: dd/MM/yyyy, d/M/yy (this
    // century up to 29), yyyy-MM-dd, yyyyMMdd or the locale's short date; H:mm:ss and H:mm. Empty
    // optional for anything else.
    static std::optional<DateValue> fromText(QStringView text, const QLocale& locale = QLocale());

    constexpr double days() const { return m_days; }
    // The calendar day; 30 December 1899 for a value without a date part.
    QDate date() const;
    // The time of day, to the nearest second.
    QTime time() const;
    bool hasDatePart() const;
    bool hasTimePart() const { return time() != QTime(0, 0); }

    // The default text form: the short date, the time "HH:mm:ss" alone when there is no date part,
    // the date alone when there is no time part, otherwise both separated by a blank.
    QString toText(const QLocale& locale = QLocale()) const;

    friend constexpr bool operator==(DateValue, DateValue) = default;

private:
    double m_days = 0;
};
