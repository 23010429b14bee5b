#include "bridge/singleinstance.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString lockPath(const QString& folder)
{
    QDir().mkpath(folder);
    return folder + QStringLiteral("/autoquorvan.lock");
}

} // namespace

SingleInstance::SingleInstance(const QString& folder)
    : m_path(lockPath(folder))
    , m_lock(m_path)
{
    // Zero: a lock is stale only when the process that made it is gone, never by age, because the
    // bridge runs for months.
    m_lock.setStaleLockTime(0);
}

SingleInstance::Result SingleInstance::acquire()
{
    if (m_lock.tryLock(0))
        return Result::Acquired;
    return m_lock.error() == QLockFile::LockFailedError ? Result::Running : Result::Failed;
}

QString SingleInstance::failure() const
{
    const QFileInfo folder(QFileInfo(m_path).absolutePath());
    QString reason = QStringLiteral("erro desconhecido");
    if (!folder.isDir())
        reason = QStringLiteral("a pasta não existe");
    else if (!folder.isWritable())
        reason = QStringLiteral("sem permissão de gravação na pasta");
    else if (m_lock.error() == QLockFile::PermissionError)
        reason = QStringLiteral("sem permissão para criar o arquivo");
    return QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(m_path), reason);
}
