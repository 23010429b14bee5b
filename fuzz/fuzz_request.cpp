// The request reader over a request file of any bytes: its lines, then the line holding the command.

#include "common/codepage.h"
#include "common/error.h"
#include "common/textfile.h"
#include "fuzzfiles.h"
#include "totalizer/requestexchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = FuzzFiles::write(QStringLiteral("Solicitacao.txt"), bytes);
    // The file is there and readable, so reading it must not fail.
    const QStringList lines = TextFile::readLines(path);

    // Nothing is lost: one line per line end, plus a last line without one, and the lines hold
    // every byte but their ends (a carriage return at the end of the file ends the last line).
    const qsizetype expectedLines = bytes.count('\n') + (!bytes.isEmpty() && !bytes.endsWith('\n') ? 1 : 0);
    QByteArray withoutEnds = QByteArray(bytes).replace("\r\n", "\n");
    if (withoutEnds.endsWith('\n') || withoutEnds.endsWith('\r'))
        withoutEnds.chop(1);
    if (lines.size() != expectedLines || Cp1252::encode(lines.join(u'\n')) != withoutEnds)
        qFatal("readLines gave %lld lines that are not the file's %lld", qlonglong(lines.size()),
            qlonglong(expectedLines));

    try {
        RequestExchange::commandLine(lines, path);
    } catch (const Error&) {
    }
    return 0;
}
