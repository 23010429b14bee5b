#pragma once

#include "common/drives.h"
#include "common/filesnapshot.h"
#include "common/folderchanges.h"
#include "dbase/dbffile.h"
#include "dbase/fieldvalue.h"
#include "dbase/tablefile.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

// The window's data control over the pump database: one table of one directory at a time, read
// afresh at every refresh because the pump automation appends to it between our operations. The
// member names are those of the control the routines were written against. Every failure throws
// Error.
//
// The pump automation never packs its tables, so a table's life is mostly deleted records. The
// control remembers, per table, where the deleted records that begin it end, and reads only from
// there: a refresh costs an open, a read of the header and of the last record known deleted, and a
// close, however many records the table has held. That record is the proof nothing moved: when
// the table was packed, cut short, replaced or rewritten, it is not what it was, and the table is
// read again from its start. And a table the last refresh found without live records, quiet since,
// is not even opened: a look at its file's times and size tells it has not been written. Where the
// kernel reports the folder's changes, most of those looks are saved too: a table it has not seen
// written is looked at only every LookEveryMs, which catches what no report tells (a write through
// a mapping, or on another machine's share) a few hundred milliseconds later.
class DataControl {
public:
    // At most this many live records per refresh: a table that holds more gives the rest at the
    // next one, so memory never grows with a table.
    static constexpr int MaxLiveRecords = 1000;
    // How long a table at rest goes unlooked at while the kernel reports nothing written to it.
    static constexpr int LookEveryMs = 250;

    explicit DataControl(Drives drives);
    // What a refresh read points into the control's own memory of its tables.
    DataControl(const DataControl&) = delete;
    DataControl& operator=(const DataControl&) = delete;
    DataControl(DataControl&&) = default;

    // The pump database directory as the settings give it, a Windows or a POSIX path.
    const QString& DatabaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& name);
    // The table's file name; ".DBF" is understood when it has no extension. Takes effect at the
    // next refresh.
    const QString& RecordSource() const { return m_recordSource; }
    void setRecordSource(const QString& source) { m_recordSource = source; }

    // The local path of the table that the next refresh opens.
    QString tablePath() const;

    // Opens the table afresh, reads its header and its live records, and stands on the first. After
    // a failure there is no table and no current record.
    void Refresh();
    // True when there is no current record: an empty table, or past the last record. (Not "EOF":
    // that is a macro of the C library.)
    bool Eof() const { return m_current >= m_live.size(); }
    // Stands on the next live record, or past the last; throws no current record when already past
    // the last.
    void MoveNext();
    // The value of the current record's field of that name, without regard to case.
    FieldValue Fields(QStringView name) const;
    // How many live records the last refresh read.
    qint64 liveCount() const { return m_live.size(); }
    // The current record's position, to stand on it again with setBookmark until the next refresh.
    qint64 bookmark() const { return m_current; }
    void setBookmark(qint64 bookmark) { m_current = bookmark; }
    // The current record's bytes as text: tells one record from another, and a record from itself
    // after it was rewritten.
    QString recordKey() const;
    // Marks the current record deleted in the file, provided it is still there unchanged; throws
    // no current record otherwise, and then writes nothing.
    void Delete();

    // Readable as soon as the kernel reports a change in the tables' folder, while every table the
    // control knows was found at rest by its last refresh; -1 otherwise. Valid until the next
    // refresh: a caller may wait on it instead of refreshing tables that cannot have changed.
    int restingDescriptor() const;

private:
    // What a table's refreshes remember of it.
    struct Table {
        QByteArray path; // local, as the system encodes file names; empty: to be resolved
        Dbf::Header header;
        qint64 firstLive = 0; // every record before this one is deleted
        QByteArray lastDeleted; // the bytes of the record before firstLive
        // Taken before the last read that found no live record, of a file quiet then: while the
        // file is as it was, it holds none still.
        std::optional<FileSnapshot> idle;
        QByteArray folder, fileName; // of path
        quint64 restingSince = 0; // the folder's changes up to the last look that found it idle
        quint64 collectsSeen = 0; // the reports read when last refreshed
        qint64 lookedAt = 0; // m_clock's nanoseconds at the last look at its file
    };
    struct Live {
        qint64 index;
        QByteArray bytes;
    };

    bool stillAtRest(Table& table);
    QByteArrayView currentRecord() const;
    void readLive(const TableFile& file, Table& table);

    Drives m_drives;
    QString m_databaseName = QStringLiteral("C:\\wdn\\matriz");
    QString m_recordSource = QStringLiteral("BOMBA01");

    Table& tableFor(const QString& source);

    std::vector<std::pair<QString, std::unique_ptr<Table>>> m_tables;
    std::unique_ptr<FolderChanges> m_changes = std::make_unique<FolderChanges>();
    quint64 m_collects = 0;
    qint64 m_collectedAt = 0; // m_clock's nanoseconds
    QElapsedTimer m_clock;
    // What the last refresh read; nothing of it survives the next refresh.
    Table* m_table = nullptr;
    QList<Live> m_live;
    qint64 m_current = 0;
};
