#include "common/textfile.h"

#include "common/codepage.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

bool syncToDisk(QFile& file)
{
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

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

void writeAll(const QString& path, QIODevice::OpenMode mode, const QByteArray& bytes, bool durable)
{
    QFile file(path);
    if (!file.open(mode))
        throw fileError(file, false);
    if (file.write(bytes) != bytes.size() || !file.flush() || (durable && !syncToDisk(file)))
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
    writeAll(path, QIODevice::WriteOnly | QIODevice::Truncate, withLineEnds(lines), true);
}

void TextFile::appendLine(const QString& path, const QString& line)
{
    writeAll(path, QIODevice::WriteOnly | QIODevice::Append, withLineEnds({ line }), false);
}

void TextFile::remove(const QString& path, Removal removal)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return;
    // Root may delete anything, so the owner's write bit stands in for the read-only flag.
    if (removal == Removal::NotForced && !file.permissions().testFlag(QFileDevice::WriteOwner))
        throw Error(ErrorNumber::PermissionDenied, QStringLiteral("Permissão negada: %1").arg(path));
    if (removal == Removal::Forced)
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
    if (!file.remove())
        throw fileError(file, false);
}

void TextFile::move(const QString& from, const QString& to)
{
    QFile file(from);
    // QFile::rename never replaces an existing file.
    if (!file.rename(to))
        throw Error(ErrorNumber::FileAccess,
            QStringLiteral("Não foi possível mover %1 para %2 (%3)").arg(from, to, file.errorString()));
}
