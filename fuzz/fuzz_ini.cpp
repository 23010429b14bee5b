// The INI reader over a settings file of any bytes, asked for the station's own keys and for the
// first section and key the file itself names.

#include "backoffice/backofficesettings.h"
#include "common/codepage.h"
#include "common/leini.h"
#include "fuzzfiles.h"

namespace {

// The first "[section]" and the first "key=" after it, so keys the fuzzer invents are found too.
std::pair<QString, QString> namedInFile(const QString& text)
{
    const qsizetype open = text.indexOf(u'[');
    if (open < 0)
        return {};
    const qsizetype close = text.indexOf(u']', open);
    const qsizetype lineEnd = text.indexOf(u'\n', open);
    const QString section = text.mid(open + 1, (close < 0 ? text.size() : close) - open - 1);
    if (lineEnd < 0)
        return { section, QString() };
    const qsizetype equals = text.indexOf(u'=', lineEnd);
    const qsizetype keyStart = text.lastIndexOf(u'\n', equals) + 1;
    return { section, equals < 0 ? QString() : text.mid(keyStart, equals - keyStart).trimmed() };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = FuzzFiles::write(QStringLiteral("AutoQuorvan.INI"), bytes);
    // The same settings saved with line feeds alone, as an editor elsewhere may save them.
    const QString unixPath = FuzzFiles::write(QStringLiteral("Unix.INI"), QByteArray(bytes).replace("\r\n", "\n"));
    const auto [section, key] = namedInFile(Cp1252::decode(bytes));
    const std::pair<QString, QString> questions[] = {
        { QStringLiteral("OUTRAS"), QStringLiteral("Quantidade de Bicos") },
        { QStringLiteral("LOCALIZACAO"), QStringLiteral("Local banco dados nolvex") },
        { BackOfficeSettings::Section, QStringLiteral("Arquivo") },
        { section, key },
    };
    for (const auto& [pSecao, pChave] : questions) {
        const QString value = RotinasGerais::LeIni(pSecao, pChave, path);
        // A value is one line's, and never longer than the settings' buffer.
        if (value.size() > 254 || value.contains(u'\n'))
            qFatal("LeIni gave a value of %lld characters or of more than one line", qlonglong(value.size()));
        if (RotinasGerais::LeIni(pSecao, pChave, unixPath) != value)
            qFatal("LeIni read '%s' differently without carriage returns", qPrintable(value));
    }
    return 0;
}
