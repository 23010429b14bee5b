#pragma once

#include "common/drives.h"
#include "dbase/dbffile.h"
#include "dbase/fieldvalue.h"

#include <QByteArray>
#include <QString>

// The window's data control over the pump database: one table of one directory, read afresh at
// every refresh because the pump automation appends to it between our operations. The member
// names are those of the control the routines were written against. Every failure throws Error.
class DataControl {
public:
    explicit DataControl(Drives drives);

    // The pump database directory as the settings give it, a Windows or a POSIX path.
    const QString& DatabaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& name) { m_databaseName = name; }
    // The table's file name; ".DBF" is understood when it has no extension. Takes effect at the
    // next refresh.
    const QString& RecordSource() const { return m_recordSource; }
    void setRecordSource(const QString& source) { m_recordSource = source; }

    // The local path of the table that the next refresh opens.
    QString tablePath() const;

    // Opens the table afresh, reads its header and its records, and stands on the first record
    // that is not deleted. After a failure there is no table and no current record.
    void Refresh();
    // True when there is no current record: an empty table, or past the last record. (Not "EOF":
    // that is a macro of the C library.)
    bool Eof() const { return m_current >= m_recordCount; }
    // Stands on the next record that is not deleted, or past the last; throws no current record
    // when already past the last.
    void MoveNext();
    // The value of the current record's field of that name, without regard to case.
    FieldValue Fields(QStringView name) const;
    // The current record's position, to stand on it again with setBookmark until the next refresh.
    qint64 bookmark() const { return m_current; }
    void setBookmark(qint64 bookmark) { m_current = bookmark; }
    // The current record's bytes as text: tells one record from another, and a record from itself
    // after it was rewritten.
    QString recordKey() const;
    // Marks the current record deleted in the file, provided it is still there unchanged; throws
    // no current record otherwise, and then writes nothing.
    void Delete();

private:
    QByteArrayView currentRecord() const;
    qint64 nextLive(qint64 from) const;

    Drives m_drives;
    QString m_databaseName = QStringLiteral("C:\\wdn\\matriz");
    QString m_recordSource = QStringLiteral("BOMBA01");

    // What the last refresh read; nothing of it survives the next refresh.
    QString m_path;
    Dbf::Header m_header;
    QByteArray m_records;
    qint64 m_recordCount = 0;
    qint64 m_current = 0;
};
