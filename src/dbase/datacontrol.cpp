#include "dbase/datacontrol.h"

#include "common/codepage.h"
#include "dbase/tablefile.h"

#include <QFile>

namespace {

// Records read at once while looking for live ones.
constexpr qint64 ChunkBytes = 64 * 1024;

bool sameLayout(const Dbf::Header& a, const Dbf::Header& b)
{
    return a.version == b.version && a.headerLength == b.headerLength && a.recordLength == b.recordLength;
}

} // namespace

DataControl::DataControl(Drives drives)
    : m_drives(std::move(drives))
{
    m_clock.start();
}

void DataControl::setDatabaseName(const QString& name)
{
    m_databaseName = name;
    m_tables.clear();
    m_table = nullptr;
}

QString DataControl::tablePath() const
{
    QString name = m_recordSource;
    if (!name.contains(u'.'))
        name += QStringLiteral(".DBF");
    QString path = m_databaseName;
    if (!path.isEmpty() && !path.endsWith(u'\\') && !path.endsWith(u'/'))
        path += u'/';
    return m_drives.toLocal(path + name);
}

DataControl::Table& DataControl::tableFor(const QString& source)
{
    // The polling cycle hands over the same names every cycle: a look-up mostly ends at a pointer.
    for (auto& [name, table] : m_tables) {
        if (name.constData() == source.constData())
            return *table;
    }
    for (auto& [name, table] : m_tables) {
        if (name == source)
            return *table;
    }
    return *m_tables.emplace_back(source, std::make_unique<Table>()).second;
}

void DataControl::Refresh()
{
    m_table = nullptr;
    m_live.clear();
    m_current = 0;

    Table& table = tableFor(m_recordSource);
    // The path is resolved once: finding a name without regard to case lists the folder.
    if (table.path.isEmpty()) {
        table.path = QFile::encodeName(tablePath());
        const qsizetype slash = table.path.lastIndexOf('/');
        table.folder = table.path.left(std::max<qsizetype>(slash, 1));
        table.fileName = table.path.mid(slash + 1);
    }
    if (table.idle && stillAtRest(table)) {
        m_table = &table;
        return;
    }
    FileSnapshot before;
    const bool seen = FileSnapshot::take(table.path, before);
    if (seen && table.idle && *table.idle == before) {
        table.restingSince = m_changes->now();
        m_table = &table;
        return;
    }
    table.idle.reset();
    TableFile file;
    if (!file.open(table.path, TableFile::Mode::Read)) {
        const QString path = QFile::decodeName(table.path);
        table = Table();
        throw Dbf::openError(path, file.reason());
    }
    try {
        const QByteArray fixed = file.read(Dbf::FixedHeaderSize, 0);
        Dbf::Header header = Dbf::parseFixedHeader(fixed, file.path());
        bool known = table.header.recordLength > 0 && sameLayout(table.header, header);
        if (known && table.firstLive > 0)
            known = file.read(header.recordLength, header.recordOffset(table.firstLive - 1)) == table.lastDeleted;
        if (!known) {
            Dbf::parseFields(
                header, file.read(header.headerLength - Dbf::FixedHeaderSize, Dbf::FixedHeaderSize), file.path());
            table.header = header;
            table.firstLive = 0;
            table.lastDeleted.clear();
        }
        table.header.recordCount = header.recordCount;
        readLive(file, table);
        if (seen && before.quiet && m_live.isEmpty()) {
            table.idle = before;
            table.restingSince = m_changes->now();
            table.lookedAt = m_clock.nsecsElapsed();
        }
    } catch (const Error&) {
        table = Table();
        throw;
    }
    m_table = &table;
}

bool DataControl::stillAtRest(Table& table)
{
    // Watched before the look that follows, so no write falls between the two unseen.
    if (!m_changes->watch(table.folder))
        return false;
    // The kernel's report is read at least once between two refreshes of a table, and again when
    // a millisecond has passed since: an idle cycle reads it once, and a sale written while the
    // cycle registers others is still found in this cycle.
    constexpr qint64 CollectAgainNs = 1000000;
    const qint64 now = m_clock.nsecsElapsed();
    if (table.collectsSeen == m_collects || now - m_collectedAt > CollectAgainNs) {
        m_changes->collect();
        ++m_collects;
        m_collectedAt = now;
    }
    table.collectsSeen = m_collects;
    if (now - table.lookedAt >= LookEveryMs * 1000000LL) {
        table.lookedAt = now;
        return false;
    }
    return m_changes->lastChange(table.fileName) <= table.restingSince;
}

int DataControl::restingDescriptor() const
{
    if (m_changes->descriptor() < 0)
        return -1;
    // A report read after a table's refresh, later in the same cycle, may name it: then the
    // descriptor no longer tells of that write, and only the next refresh can.
    for (const auto& [name, table] : m_tables) {
        if (!table->idle || table->folder != m_changes->folder()
            || m_changes->lastChange(table->fileName) > table->restingSince)
            return -1;
    }
    return m_tables.empty() ? -1 : m_changes->descriptor();
}

void DataControl::readLive(const TableFile& file, Table& table)
{
    const Dbf::Header& header = table.header;
    const qint64 length = header.recordLength;
    const qint64 perChunk = std::max<qint64>(1, ChunkBytes / length);
    bool leading = true;
    QByteArray chunk;
    // The count bounds what may be read (a record is written before the count that includes it),
    // and a file cut short bounds it too.
    for (qint64 index = table.firstLive; index < header.recordCount && m_live.size() < MaxLiveRecords;) {
        const qint64 wanted = std::min<qint64>(perChunk, header.recordCount - index);
        chunk = file.read(wanted * length, header.recordOffset(index));
        const qint64 got = chunk.size() / length;
        for (qint64 i = 0; i < got && m_live.size() < MaxLiveRecords; ++i) {
            const QByteArray record = chunk.sliced(i * length, length);
            if (record[0] != Dbf::DeletedFlag) {
                leading = false;
                m_live.append({ index + i, record });
            } else if (leading) {
                table.firstLive = index + i + 1;
                table.lastDeleted = record;
            }
        }
        if (got < wanted)
            break;
        index += got;
    }
}

void DataControl::MoveNext()
{
    if (Eof())
        throw Error::noCurrentRecord();
    ++m_current;
}

FieldValue DataControl::Fields(QStringView name) const
{
    const QByteArrayView record = currentRecord();
    const Dbf::Field* field = m_table->header.field(name);
    if (!field)
        throw Dbf::fieldNotFound(name, QFile::decodeName(m_table->path));
    // Memo, binary and OLE fields hold only a block number of another file, which nothing here uses.
    if (field->type == 'M' || field->type == 'B' || field->type == 'G')
        return FieldValue(field->type, QString());
    return FieldValue(field->type, Cp1252::decode(record.sliced(field->offset, field->length)));
}

QString DataControl::recordKey() const
{
    return Eof() ? QString() : QString::fromLatin1(currentRecord());
}

void DataControl::Delete()
{
    const QByteArrayView record = currentRecord();
    Live& live = m_live[m_current];
    TableFile file;
    if (!file.open(m_table->path, TableFile::Mode::ReadWrite)) {
        const QString path = QFile::decodeName(m_table->path);
        if (!QFile::exists(path))
            throw Error::noCurrentRecord();
        throw Dbf::openError(path, file.reason());
    }
    // The table may have been rewritten since the refresh: the record counts as still there only
    // when the layout is the same and its bytes at its place have not changed.
    const QByteArray fixed = file.read(Dbf::FixedHeaderSize, 0);
    if (fixed.size() < Dbf::FixedHeaderSize || !sameLayout(Dbf::parseFixedHeader(fixed, file.path()), m_table->header))
        throw Error::noCurrentRecord();
    const qint64 offset = m_table->header.recordOffset(live.index);
    if (file.read(m_table->header.recordLength, offset) != record)
        throw Error::noCurrentRecord();
    // Only the flag: the header belongs to the pump automation, which may be appending right now.
    file.write(&Dbf::DeletedFlag, 1, offset);
    live.bytes[0] = Dbf::DeletedFlag;
}

QByteArrayView DataControl::currentRecord() const
{
    if (Eof())
        throw Error::noCurrentRecord();
    const QByteArray& record = m_live[m_current].bytes;
    if (record[0] == Dbf::DeletedFlag)
        throw Error(ErrorNumber::RecordDeleted, QStringLiteral("O registro foi excluído."));
    return record;
}
