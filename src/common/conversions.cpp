#include "common/conversions.h"

#include "common/error.h"

#include <QString>
#include <cmath>
#include <limits>

double leadingNumber(QStringView text)
{
    QString number;
    bool pointSeen = false;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r')
            continue;
        if (number.isEmpty() && (c == u'-' || c == u'+')) {
            number += c;
        } else if (c >= u'0' && c <= u'9') {
            number += c;
        } else if (c == u'.' && !pointSeen) {
            pointSeen = true;
            number += c;
        } else {
            break;
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    // Digits beyond the range of a double read as an infinity, which overflows wherever the number
    // is used, instead of passing for a text without a number.
    return ok || std::isinf(value) ? value : 0.0;
}

qint16 roundToInteger16(double value)
{
    if (!std::isfinite(value))
        throw Error::overflow();
    // nearbyint rounds half to even under the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        throw Error::overflow();
    return qint16(rounded);
}

qint16 toInteger16(qint64 value)
{
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        throw Error::overflow();
    return qint16(value);
}
