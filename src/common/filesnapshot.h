#pragma once

#include <QByteArray>
#include <QtGlobal>

// What the file system says of a file or a folder without opening it: enough to tell that it has
// not been written since, when it had been quiet for a while before.
struct FileSnapshot {
    qint64 device = -1;
    qint64 inode = -1;
    qint64 size = -1;
    qint64 modified = -1; // nanoseconds
    qint64 changed = -1; // nanoseconds; no program can set it
    bool quiet = false; // unchanged for a second when taken

    // False where the system gives no such times (Windows): then nothing may be taken as unchanged.
    static bool take(const QByteArray& path, FileSnapshot& result);

    bool operator==(const FileSnapshot& other) const
    {
        return device == other.device && inode == other.inode && size == other.size && modified == other.modified
            && changed == other.changed;
    }
};
