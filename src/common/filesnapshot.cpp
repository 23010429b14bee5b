#include "common/filesnapshot.h"

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <time.h>
#endif

bool FileSnapshot::take(const QByteArray& path, FileSnapshot& result)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    Q_UNUSED(result);
    return false;
#else
    struct stat status;
    timespec now;
    if (::stat(path.constData(), &status) != 0 || ::clock_gettime(CLOCK_REALTIME, &now) != 0)
        return false;
    const auto nanoseconds = [](const timespec& time) { return qint64(time.tv_sec) * 1000000000 + time.tv_nsec; };
    result.device = qint64(status.st_dev);
    result.inode = qint64(status.st_ino);
    result.size = qint64(status.st_size);
    result.modified = nanoseconds(status.st_mtim);
    result.changed = nanoseconds(status.st_ctim);
    // File times advance by the kernel's tick, not by the nanosecond: a write in the same tick as
    // an earlier one leaves them as they were. A second of quiet before the snapshot means no
    // write was under way when it was taken.
    result.quiet = nanoseconds(now) - result.changed > 1000000000;
    return true;
#endif
}
