#include "dbase/datacontrol.h"

#include "common/codepage.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Reads exactly count bytes from the file's position, or throws the disk error.
QByteArray readExactly(QFile& file, qint64 count)
{
    QByteArray bytes = file.read(count);
    if (file.error() != QFileDevice::NoError)
        throw Dbf::ioError(file);
    return bytes;
}

} // namespace

DataControl::DataControl(Drives drives)
    : m_drives(std::move(drives))
{
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

void DataControl::Refresh()
{
    m_path.clear();
    m_header = {};
    m_records.clear();
    m_recordCount = 0;
    m_current = 0;

    const QString path = tablePath();
    QFile file(path);
    // Two reads of known sizes; a read buffer would only add a copy.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw Dbf::openError(file);
    Dbf::Header header = Dbf::parseFixedHeader(readExactly(file, Dbf::FixedHeaderSize), path);
    const qint64 count = header.availableRecords(file.size());
    // The rest of the header and the record area in one read, kept so a delete can tell whether
    // its record is still the one that was read.
    const QByteArray bytes = readExactly(file, header.recordOffset(count) - Dbf::FixedHeaderSize);
    file.close();
    Dbf::parseFields(header, bytes, path);
    const qsizetype recordBytes = bytes.size() - (header.headerLength - Dbf::FixedHeaderSize);

    m_path = path;
    m_records = bytes.sliced(header.headerLength - Dbf::FixedHeaderSize);
    // A file cut short between its size and the read holds only whole records.
    m_recordCount = std::min<qint64>(count, recordBytes / header.recordLength);
    m_header = std::move(header);
    m_current = nextLive(0);
}

void DataControl::MoveNext()
{
    if (Eof())
        throw Error::noCurrentRecord();
    m_current = nextLive(m_current + 1);
}

FieldValue DataControl::Fields(QStringView name) const
{
    const QByteArrayView record = currentRecord();
    const Dbf::Field* field = m_header.field(name);
    if (!field)
        throw Dbf::fieldNotFound(name, m_path);
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
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        if (!QFileInfo::exists(m_path))
            throw Error::noCurrentRecord();
        throw Dbf::openError(file);
    }
    // The table may have been rewritten since the refresh: the record counts as still there only
    // when the layout and the position are the same and its bytes have not changed.
    const QByteArray fixed = readExactly(file, Dbf::FixedHeaderSize);
    if (fixed.size() < Dbf::FixedHeaderSize)
        throw Error::noCurrentRecord();
    const Dbf::Header now = Dbf::parseFixedHeader(fixed, m_path);
    if (now.headerLength != m_header.headerLength || now.recordLength != m_header.recordLength
        || now.availableRecords(file.size()) <= m_current)
        throw Error::noCurrentRecord();
    const qint64 offset = m_header.recordOffset(m_current);
    if (!file.seek(offset))
        throw Dbf::ioError(file);
    if (readExactly(file, m_header.recordLength) != record)
        throw Error::noCurrentRecord();
    // Only the flag: the header belongs to the pump automation, which may be appending right now.
    if (!file.seek(offset) || file.write(&Dbf::DeletedFlag, 1) != 1 || !file.flush())
        throw Dbf::ioError(file);
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw Dbf::ioError(file);
    m_records[m_current * m_header.recordLength] = Dbf::DeletedFlag;
}

QByteArrayView DataControl::currentRecord() const
{
    if (Eof())
        throw Error::noCurrentRecord();
    const QByteArrayView record
        = QByteArrayView(m_records).sliced(m_current * m_header.recordLength, m_header.recordLength);
    if (record[0] == Dbf::DeletedFlag)
        throw Error(ErrorNumber::RecordDeleted, QStringLiteral("O registro foi excluído."));
    return record;
}

qint64 DataControl::nextLive(qint64 from) const
{
    qint64 index = from;
    while (index < m_recordCount && m_records[index * m_header.recordLength] == Dbf::DeletedFlag)
        ++index;
    return index;
}
