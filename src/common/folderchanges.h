#pragma once

#include <QByteArray>
#include <QHash>

// Which files of a folder the kernel saw written, created, removed or renamed, so a file at rest
// need not be looked at every cycle. Only ever a hint that a file may have changed: a change the
// kernel cannot see (written through a mapping, on another machine's share) needs the caller's
// own look now and then, and where nothing can be watched every file may have changed.
class FolderChanges {
public:
    FolderChanges() = default;
    ~FolderChanges();
    FolderChanges(const FolderChanges&) = delete;
    FolderChanges& operator=(const FolderChanges&) = delete;

    // Watches the folder unless it is the one watched; false when it cannot be watched.
    bool watch(const QByteArray& folder);
    // Readable while the kernel holds a report not yet collected; -1 when not watching.
    int descriptor() const { return m_descriptor; }
    const QByteArray& folder() const { return m_folder; }
    // Takes in what the kernel queued; each event gets a number above every earlier one.
    void collect();
    // The number given to the last event that may concern the file: above now() of the moment a
    // caller saw the file as it was, it may have changed since. A lost event, or the folder gone,
    // concerns every file.
    quint64 lastChange(const QByteArray& fileName) const;
    // The number of the last event taken in.
    quint64 now() const { return m_serial; }

private:
    void everything();
    void stop();

    int m_descriptor = -1;
    QByteArray m_folder;
    quint64 m_serial = 0;
    quint64 m_everything = 0;
    QHash<QByteArray, quint64> m_changed;
};
