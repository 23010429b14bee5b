#pragma once

#include <QByteArray>
#include <QString>

// A table file opened for one operation and closed with the object: positioned reads and writes and
// nothing else, so an idle cycle costs what the files cost (an open, a read of the header, a close)
// and no buffer or file object is made for it.
class TableFile {
public:
    enum class Mode { Read, ReadWrite };

    TableFile() = default;
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    // The path as the system encodes file names; false, with the system's reason, when refused.
    bool open(const QByteArray& path, Mode mode);
    // Reads up to size bytes at offset; fewer at the end of the file. Throws the disk error.
    qint64 read(char* data, qint64 size, qint64 offset) const;
    QByteArray read(qint64 size, qint64 offset) const;
    // Writes the bytes at offset and waits until they are handed to the system. Throws the disk error.
    void write(const char* data, qint64 size, qint64 offset) const;
    // Why the last open or transfer failed.
    QString reason() const { return m_reason; }
    const QString& path() const { return m_path; }

    // What the file system says of a file without opening it: enough to tell that it has not been
    // written since, when it had been quiet for a while before.
    struct Snapshot {
        qint64 device = -1;
        qint64 inode = -1;
        qint64 size = -1;
        qint64 modified = -1; // nanoseconds
        qint64 changed = -1; // nanoseconds; no program can set it
        bool quiet = false; // unchanged for a second when taken
        bool operator==(const Snapshot& other) const
        {
            return device == other.device && inode == other.inode && size == other.size && modified == other.modified
                && changed == other.changed;
        }
    };
    // False where the system gives no such times (Windows): the file is then read every time.
    static bool snapshot(const QByteArray& path, Snapshot& result);

private:
    int m_descriptor = -1;
    QString m_path;
    mutable QString m_reason;
};
