#pragma once

#include <QStringView>
#include <QtGlobal>

// The number at the head of a text, as settings are read: an optional sign, digits and an optional
// decimal point; blanks are skipped; the number ends at the first other character; text without a
// leading number gives 0, and a number beyond the range of a double an infinity of its sign.
double leadingNumber(QStringView text);
// Rounds to the nearest whole number, an exact half to the even neighbour, as a 16-bit integer;
// throws the overflow error outside -32768..32767.
qint16 roundToInteger16(double value);
// Narrows a whole number to 16 bits; throws the overflow error outside -32768..32767.
qint16 toInteger16(qint64 value);
