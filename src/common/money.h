#pragma once

#include <QLocale>
#include <QString>
#include <compare>
#include <optional>

// Prices, litres, totals and totalizers: a signed count of ten-thousandths. Sums are exact and a
// product is held to four decimals, so a totalizer never drifts the way a binary float would.
class Money {
public:
    static constexpr qint64 UnitsPerWhole = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(qint64 units) { return Money(units); }
    // Rounds to four decimals, halves away from zero; throws the overflow error beyond the range.
    static Money fromDouble(double value);
    // Reads "-1.234,5678"-style text with the given separators (the group separator may be null).
    // Blanks around the number are allowed; digits past the fourth decimal round half away from
    // zero. Empty optional for text that is not a number or lies outside the range.
    static std::optional<Money> fromText(QStringView text, QChar decimalSeparator, QChar groupSeparator = QChar());
    // Reads a number typed with either a point or a comma before its decimals and no grouping:
    // without grouping, "1,5" and "1.5" can only mean one thing.
    static std::optional<Money> fromPointOrComma(QStringView text);
    // Reads text written with the locale's separators.
    static std::optional<Money> fromText(QStringView text, const QLocale& locale);

    constexpr qint64 units() const { return m_units; }
    double toDouble() const { return double(m_units) / UnitsPerWhole; }
    constexpr bool isZero() const { return m_units == 0; }

    // Exact; throws the overflow error when the result leaves the range.
    Money operator+(Money other) const;
    Money operator-(Money other) const;
    Money operator-() const;
    // The product held to four decimals, halves away from zero; throws the overflow error.
    Money operator*(Money other) const;
    Money& operator+=(Money other) { return *this = *this + other; }

    friend constexpr auto operator<=>(Money, Money) = default;

    // Number patterns of the form "##,###,##0.00" or "00000000.00": zeros before the point give the
    // minimum integer digits, a comma anywhere before it asks for thousands groups, the places after
    // it give the decimals (rounded half away from zero). Separators come from the locale.
    QString format(QStringView pattern, const QLocale& locale = QLocale()) const;
    // The plain text form: no grouping, no padding, trailing zeros of the decimals dropped.
    QString toText(const QLocale& locale = QLocale()) const;
    // "1234.5600": fixed four decimals with a point, for storage and CSV.
    QString toPlainText() const;

private:
    explicit constexpr Money(qint64 units)
        : m_units(units)
    {
    }

    qint64 m_units = 0;
};
