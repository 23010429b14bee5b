#pragma once

#include <QString>

namespace RotinasGerais {
// The value of a key of a Windows-style INI file, with the results the station's settings have
// always had: section and key names matched without regard to case, blanks around the value
// removed, a value in a matching pair of quotes given without them, at most 254 characters, and
// empty text when the file, the section or the key is missing. The file is Windows-1252 text, or
// UTF-8 when it begins with a byte-order mark. When a section or a key appears twice, the first
// one counts. Lines without "=" and lines starting with ";" are not keys.
QString LeIni(const QString& pSecao, const QString& pChave, const QString& pArquivo);
} // namespace RotinasGerais
