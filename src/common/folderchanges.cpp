#include "common/folderchanges.h"

#include <QtGlobal>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace {
// Names remembered before they are all forgotten at once, so a folder where other programs make
// file after file of their own costs bounded memory.
constexpr qsizetype MaxNames = 1024;
} // namespace

FolderChanges::~FolderChanges()
{
    stop();
}

bool FolderChanges::watch(const QByteArray& folder)
{
    if (m_descriptor >= 0 && folder == m_folder)
        return true;
    stop();
#ifdef Q_OS_LINUX
    m_descriptor = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_descriptor < 0)
        return false;
    constexpr uint32_t Events = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM
        | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    if (::inotify_add_watch(m_descriptor, folder.constData(), Events) < 0) {
        stop();
        return false;
    }
    m_folder = folder;
    // Whatever happened before the watch began was not seen.
    everything();
    return true;
#else
    Q_UNUSED(folder);
    return false;
#endif
}

void FolderChanges::collect()
{
#ifdef Q_OS_LINUX
    if (m_descriptor < 0)
        return;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(m_descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return;
        if (got <= 0) {
            stop();
            return;
        }
        ++m_serial;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event)) + event->len;
            // The folder itself moved, went away or lost its watch: nothing more will be told.
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) {
                stop();
                return;
            }
            if (event->mask & IN_Q_OVERFLOW || event->len == 0) {
                everything();
                continue;
            }
            if (m_changed.size() >= MaxNames) {
                m_changed.clear();
                everything();
            }
            m_changed.insert(QByteArray(event->name), m_serial);
        }
    }
#endif
}

quint64 FolderChanges::lastChange(const QByteArray& fileName) const
{
    return std::max(m_everything, m_changed.value(fileName));
}

void FolderChanges::everything()
{
    m_everything = ++m_serial;
}

void FolderChanges::stop()
{
#ifdef Q_OS_LINUX
    if (m_descriptor >= 0)
        ::close(m_descriptor);
#endif
    m_descriptor = -1;
    m_folder.clear();
    m_changed.clear();
    everything();
}
