#pragma once

#include "common/error.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

class QFileDevice;

// The file format of a dBASE table as the pump automation and other programs write it, shared by
// the reader and the writer so both agree on every offset.
namespace Dbf {
inline constexpr int FixedHeaderSize = 32;
inline constexpr int DescriptorSize = 32;
inline constexpr char HeaderEnd = 0x0D;
inline constexpr char FileEnd = 0x1A;
inline constexpr char LiveFlag = ' ';
inline constexpr char DeletedFlag = '*';
// Windows ANSI in the language-driver byte, so other readers decode the text as we write it.
inline constexpr char LanguageDriverCp1252 = 0x03;

struct Field {
    QString name;
    char type = 'C';
    int offset = 0; // from the start of the record, past the deletion flag
    int length = 0;
    int decimals = 0;
};

struct Header {
    quint8 version = 0;
    quint32 recordCount = 0; // as the header says; the file may hold fewer or more
    int headerLength = 0;
    int recordLength = 0;
    QList<Field> fields;

    // The records a reader may take from a file of this size: a writer first appends the record
    // and only then raises the count, and a file may be cut short, so both bound it.
    qint64 availableRecords(qint64 fileSize) const;
    qint64 recordOffset(qint64 index) const { return headerLength + index * recordLength; }
    // The field of that name without regard to case, or null.
    const Field* field(QStringView name) const;
};

// The fixed 32 bytes: version, count and lengths. Throws BadTable naming the file.
Header parseFixedHeader(QByteArrayView bytes, const QString& path);
// The field descriptors up to the terminator; bytes are the header past its fixed 32 bytes.
void parseFields(Header& header, QByteArrayView bytes, const QString& path);
// A complete header of a new dBASE III table with these fields and no records.
QByteArray newHeader(const QList<Field>& fields, QDate lastUpdate);
// The seven bytes at offset 1: last-update date and record count.
QByteArray updateBytes(QDate lastUpdate, quint32 recordCount);

Error invalidPath(const QString& directory);
Error tableNotFound(const QString& path);
Error badTable(const QString& path, const QString& reason);
Error fieldNotFound(QStringView field, const QString& path);
// The error for a file that would not open: a missing folder or table, or a refusal.
Error openError(const QFileDevice& file);
Error openError(const QString& path, const QString& reason);
// The error for a read or a write that failed on an open file.
Error ioError(const QFileDevice& file);
} // namespace Dbf
