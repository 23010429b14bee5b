#include "common/money.h"

#include "common/error.h"

#include <cmath>
#include <limits>

namespace {

// Products of two 64-bit counts need 128 bits before they are rounded back.
__extension__ typedef __int128 Wide;

Money checked(Wide value)
{
    if (value > std::numeric_limits<qint64>::max() || value < std::numeric_limits<qint64>::min())
        throw Error::overflow();
    return Money::fromUnits(static_cast<qint64>(value));
}

constexpr Wide powerOfTen(int exponent)
{
    Wide value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

// Divides rounding halves away from zero.
Wide divideRounded(Wide value, Wide divisor)
{
    Wide quotient = value / divisor;
    Wide remainder = value % divisor;
    Wide twice = remainder < 0 ? -remainder * 2 : remainder * 2;
    if (twice >= divisor)
        quotient += value < 0 ? -1 : 1;
    return quotient;
}

QString groupDigits(const QString& digits, QChar separator)
{
    QString grouped;
    const qsizetype count = digits.size();
    for (qsizetype i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0)
            grouped += separator;
        grouped += digits[i];
    }
    return grouped;
}

QString wideToDigits(Wide value)
{
    if (value == 0)
        return QStringLiteral("0");
    QString digits;
    while (value > 0) {
        digits.prepend(QChar(u'0' + char16_t(value % 10)));
        value /= 10;
    }
    return digits;
}

} // namespace

Money Money::fromDouble(double value)
{
    const double scaled = std::round(value * UnitsPerWhole);
    if (!std::isfinite(scaled) || scaled >= 9.2233720368547758e18 || scaled < -9.2233720368547758e18)
        throw Error::overflow();
    return Money(static_cast<qint64>(scaled));
}

std::optional<Money> Money::fromText(QStringView text, QChar decimalSeparator, QChar groupSeparator)
{
    // Thirty decimals are enough to decide every rounding: digits past them cannot move a value
    // across the half-way point of the fourth decimal.
    constexpr Wide MaxFractionScale = powerOfTen(30);
    constexpr Wide WholeLimit = Wide(std::numeric_limits<qint64>::max()) * 10;

    const QStringView trimmed = text.trimmed();
    qsizetype pos = 0;
    bool negative = false;
    if (pos < trimmed.size() && (trimmed[pos] == u'-' || trimmed[pos] == u'+')) {
        negative = trimmed[pos] == u'-';
        ++pos;
    }
    Wide whole = 0;
    Wide fraction = 0;
    Wide fractionScale = 1;
    bool anyDigit = false;
    bool inFraction = false;
    for (; pos < trimmed.size(); ++pos) {
        const QChar c = trimmed[pos];
        if (c >= u'0' && c <= u'9') {
            anyDigit = true;
            const int digit = c.unicode() - u'0';
            if (!inFraction) {
                whole = whole * 10 + digit;
                if (whole > WholeLimit)
                    return std::nullopt;
            } else if (fractionScale < MaxFractionScale) {
                fraction = fraction * 10 + digit;
                fractionScale *= 10;
            }
        } else if (!inFraction && c == decimalSeparator) {
            inFraction = true;
        } else if (!inFraction && !groupSeparator.isNull() && c == groupSeparator && anyDigit) {
            continue;
        } else {
            return std::nullopt;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    Wide units = whole * UnitsPerWhole + divideRounded(fraction * UnitsPerWhole, fractionScale);
    if (negative)
        units = -units;
    if (units > std::numeric_limits<qint64>::max() || units < std::numeric_limits<qint64>::min())
        return std::nullopt;
    return Money(static_cast<qint64>(units));
}

std::optional<Money> Money::fromPointOrComma(QStringView text)
{
    if (const auto value = fromText(text, u'.'))
        return value;
    return fromText(text, u',');
}

std::optional<Money> Money::fromText(QStringView text, const QLocale& locale)
{
    return fromText(text, locale.decimalPoint().front(), locale.groupSeparator().front());
}

Money Money::operator+(Money other) const
{
    return checked(Wide(m_units) + other.m_units);
}

Money Money::operator-(Money other) const
{
    return checked(Wide(m_units) - other.m_units);
}

Money Money::operator-() const
{
    return checked(-Wide(m_units));
}

Money Money::operator*(Money other) const
{
    return checked(divideRounded(Wide(m_units) * other.m_units, UnitsPerWhole));
}

QString Money::format(QStringView pattern, const QLocale& locale) const
{
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView integerPattern = point < 0 ? pattern : pattern.left(point);
    const int decimals = point < 0 ? 0 : int(std::min<qsizetype>(pattern.size() - point - 1, 4));
    const qsizetype minimumDigits = integerPattern.count(u'0');
    const bool grouped = integerPattern.contains(u',');

    const Wide rounded = divideRounded(Wide(m_units), powerOfTen(4 - decimals));
    const Wide magnitude = rounded < 0 ? -rounded : rounded;
    const Wide decimalScale = powerOfTen(decimals);

    QString integerDigits = wideToDigits(magnitude / decimalScale);
    if (integerDigits == u"0" && minimumDigits == 0)
        integerDigits.clear();
    while (integerDigits.size() < minimumDigits)
        integerDigits.prepend(u'0');
    if (grouped)
        integerDigits = groupDigits(integerDigits, locale.groupSeparator().front());

    QString text = rounded < 0 ? QStringLiteral("-") : QString();
    text += integerDigits;
    if (decimals > 0) {
        QString fractionDigits = wideToDigits(magnitude % decimalScale);
        while (fractionDigits.size() < decimals)
            fractionDigits.prepend(u'0');
        text += locale.decimalPoint() + fractionDigits;
    }
    return text;
}

QString Money::toText(const QLocale& locale) const
{
    QString text = format(u"0.0000", locale);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(locale.decimalPoint()))
        text.chop(locale.decimalPoint().size());
    return text;
}

QString Money::toPlainText() const
{
    return format(u"0.0000", QLocale::c());
}
