#include "common/textfile.h"

#include "common/codepage.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Builds the error for a file the file system refused, in the terms operators know from the
// station's log files.
Error fileError(const QFile& file, bool reading)
{
    const QString path = file.fileName();
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return Error(ErrorNumber::PathNotFound, QStringLiteral("Caminho não encontrado: %1").arg(path));
    if (reading && !info.exists())
        return Error(ErrorNumber::FileNotFound, QStringLiteral("Arquivo não encontrado: %1").arg(path));
    if (file.error() == QFileDevice::OpenError || file.error() == QFileDevice::PermissionsError)
        return Error(
            ErrorNumber::PermissionDenied, QStringLiteral("Permissão negada: %1 (%2)").arg(path, file.errorString()));
    return Error(
        ErrorNumber::FileAccess, QStringLiteral("Erro de acesso ao arquivo: %1 (%2)").arg(path, file.errorString()));
}

void writeAll(const QString& path, QIODevice::OpenMode mode, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(mode))
        throw fileError(file, false);
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw fileError(file, false);
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw fileError(file, false);
}

QByteArray withLineEnds(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += Cp1252::encode(line) + "\r\n";
    return bytes;
}

} // namespace

QStringList TextFile::readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(file, true);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fileError(file, true);
    QStringList lines;
    if (bytes.isEmpty())
        return lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines += Cp1252::decode(line);
    }
    if (bytes.endsWith('\n'))
        lines.removeLast();
    return lines;
}

void TextFile::writeLines(const QString& path, const QStringList& lines)
{
    writeAll(path, QIODevice::WriteOnly | QIODevice::Truncate, withLineEnds(lines));
}

void TextFile::appendLine(const QString& path, const QString& line)
{
    writeAll(path, QIODevice::WriteOnly | QIODevice::Append, withLineEnds({ line }));
}
