#include "bridge/singleinstance.h"

#include <QDir>

namespace {

QString lockPath(const QString& folder)
{
    QDir().mkpath(folder);
    return folder + QStringLiteral("/autoquorvan.lock");
}

} // namespace

SingleInstance::SingleInstance(const QString& folder)
    : m_lock(lockPath(folder))
{
    // Zero: a lock is stale only when the process that made it is gone, never by age, because the
    // bridge runs for months.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    if (m_lock.tryLock(0))
        return true;
    return m_lock.error() != QLockFile::LockFailedError;
}
