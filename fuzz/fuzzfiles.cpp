#include "fuzzfiles.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir& temporaryDir()
{
    static QTemporaryDir dir;
    // Without the folder no input can be tried: stop at once rather than report every input.
    if (!dir.isValid())
        qFatal("No temporary folder for the fuzz inputs: %s", qPrintable(dir.errorString()));
    return dir;
}

} // namespace

QString FuzzFiles::folder()
{
    return temporaryDir().path();
}

QString FuzzFiles::write(const QString& name, QByteArrayView bytes)
{
    const QString path = temporaryDir().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes.data(), bytes.size()) != bytes.size())
        qFatal("Cannot write the fuzz input to %s: %s", qPrintable(path), qPrintable(file.errorString()));
    return path;
}
