#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the single-byte code page of every file the system reads or writes, so an accented
// letter is one byte. Characters the code page lacks are written as '?'.
namespace Cp1252 {
QByteArray encode(QStringView text);
QString decode(QByteArrayView bytes);
} // namespace Cp1252
