#include "common/textfile.h"

#include "common/codepage.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
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

// Opens for writing without following a symbolic link in the file's place.
bool openForWriting(QFile& file, QIODevice::OpenMode mode)
{
#ifdef Q_OS_WIN
    return file.open(mode);
#else
    const int flags
        = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (mode.testFlag(QIODevice::Append) ? O_APPEND : O_TRUNC);
    const int descriptor = ::open(QFile::encodeName(file.fileName()).constData(), flags, 0666);
    if (descriptor < 0)
        return false;
    if (!file.open(descriptor, mode, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return false;
    }
    return true;
#endif
}

void writeAll(const QString& path, QIODevice::OpenMode mode, const QByteArray& bytes, bool durable)
{
    QFile file(path);
    if (QFileInfo(path).isSymLink())
        throw Error(
            ErrorNumber::PermissionDenied, QStringLiteral("Permissão negada: %1 é um link simbólico").arg(path));
    if (!openForWriting(file, mode))
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

QStringList TextFile::readLines(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(file, true);
    // The size first, so a huge file is refused unread; the read is bounded too, for one that
    // grows meanwhile.
    const QByteArray bytes = file.size() > maxBytes ? QByteArray() : file.read(file.size() + 1);
    if (file.error() != QFileDevice::NoError)
        throw fileError(file, true);
    if (file.size() > maxBytes || bytes.size() > maxBytes)
        throw Error(ErrorNumber::FileAccess,
            QStringLiteral("Arquivo grande demais: %1 (mais de %2 bytes)").arg(path).arg(maxBytes));
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

void TextFile::replace(const QString& path, const QByteArray& bytes)
{
    const QString temporary = path + QStringLiteral(".tmp");
    writeAll(temporary, QIODevice::WriteOnly | QIODevice::Truncate, bytes, false);
    // A symbolic link in the file's place is replaced itself, never followed.
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temporary).toStdString(), QFile::encodeName(path).toStdString(), error);
    if (error)
        throw Error(ErrorNumber::FileAccess,
            QStringLiteral("Não foi possível mover %1 para %2 (%3)")
                .arg(temporary, path, QString::fromLocal8Bit(error.message())));
}

void TextFile::remove(const QString& path, Removal removal)
{
    QFile file(path);
    const QFileInfo info(path);
    if (info.isSymLink()) {
        if (!QDir().remove(path))
            throw fileError(file, false);
        return;
    }
    if (!info.isFile())
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
