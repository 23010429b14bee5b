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

private:
    int m_descriptor = -1;
    QString m_path;
    mutable QString m_reason;
};
