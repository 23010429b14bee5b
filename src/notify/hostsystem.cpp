#include "notify/hostsystem.h"

#include <QHostInfo>
#include <cerrno>
#include <unistd.h>

HostSystem::HostName SystemHost::localHostName() const
{
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return { QString(), errno };
    return { QString::fromLocal8Bit(buffer), 0 };
}

QList<QHostAddress> SystemHost::addressesOf(const QString& name) const
{
    const QHostInfo info = QHostInfo::fromName(name);
    return info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>();
}
