#include "dbase/dbfappender.h"

#include "common/codepage.h"
#include "dbase/fieldvalue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

QString numberText(Money value, int decimals)
{
    QString pattern = QStringLiteral("0");
    if (decimals > 0)
        pattern += u'.' + QString(std::min(decimals, 4), u'0');
    return value.format(pattern, QLocale::c());
}

// The text a field of the pump layout gets; other fields of the table stay blank.
QString fieldText(const Dbf::Field& field, const PumpRecord& record)
{
    const QString name = field.name.toUpper();
    if (name == u"DATA")
        return field.type == 'D' ? record.data.toString(QStringLiteral("yyyyMMdd"))
                                 : record.data.toString(QStringLiteral("dd/MM/yyyy"));
    if (name == u"HORA")
        return field.type == 'D' ? record.data.toString(QStringLiteral("yyyyMMdd"))
                                 : record.hora.toString(QStringLiteral("HH:mm:ss"));
    if (name == u"LITROS")
        return numberText(record.litros, field.decimals);
    if (name == u"VALOR")
        return numberText(record.valor, field.decimals);
    return QString();
}

Dbf::Header readHeader(QFile& file)
{
    Dbf::Header header = Dbf::parseFixedHeader(file.read(Dbf::FixedHeaderSize), file.fileName());
    Dbf::parseFields(header, file.read(header.headerLength - Dbf::FixedHeaderSize), file.fileName());
    return header;
}

} // namespace

DbfAppender::DbfAppender(QString path)
    : m_path(std::move(path))
{
}

QByteArray DbfAppender::encode(const PumpRecord& record) const
{
    Dbf::Header header;
    if (QFileInfo::exists(m_path)) {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            throw Dbf::openError(file);
        header = readHeader(file);
    } else {
        header.fields = PumpTable::fields();
        header.recordLength = 37;
    }
    for (const char16_t* name : { PumpTable::Data, PumpTable::Hora, PumpTable::Litros, PumpTable::Valor }) {
        if (!header.field(name))
            throw Dbf::fieldNotFound(name, m_path);
    }

    QByteArray bytes(header.recordLength, ' ');
    bytes[0] = Dbf::LiveFlag;
    for (const Dbf::Field& field : std::as_const(header.fields)) {
        const QByteArray text = Cp1252::encode(fieldText(field, record));
        if (text.size() > field.length)
            throw Error(ErrorNumber::Overflow,
                QStringLiteral("O valor %1 não cabe no campo %2 (%3 %4,%5) de '%6'.")
                    .arg(QString::fromLatin1(text), field.name, QChar::fromLatin1(field.type))
                    .arg(field.length)
                    .arg(field.decimals)
                    .arg(m_path));
        // Numbers stand to the right of their field, everything else to the left.
        const bool numeric = field.type == 'N' || field.type == 'F';
        bytes.replace(field.offset + (numeric ? field.length - text.size() : 0), text.size(), text);
    }
    return bytes;
}

bool DbfAppender::create(QDate lastUpdate)
{
    if (QFileInfo::exists(m_path))
        return false;
    const QFileInfo info(m_path);
    if (!info.absoluteDir().exists())
        throw Dbf::invalidPath(info.absolutePath());
    // Written under another name and then moved in place, so a reader polling the folder never
    // meets a table whose header is only half there.
    QTemporaryFile file(info.absolutePath() + QStringLiteral("/.XXXXXX.tmp"));
    if (!file.open())
        throw Dbf::openError(file);
    // What a table made by any other program gets, not the private mode of a temporary file.
    file.setPermissions(
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QByteArray bytes = Dbf::newHeader(PumpTable::fields(), lastUpdate) + Dbf::FileEnd;
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw Dbf::ioError(file);
    // Never replaces a table that another writer created meanwhile.
    if (!file.rename(m_path)) {
        if (QFileInfo::exists(m_path))
            return false;
        throw Dbf::ioError(file);
    }
    file.setAutoRemove(false);
    return true;
}

void DbfAppender::append(const PumpRecord& record, QDate lastUpdate)
{
    create(lastUpdate);
    const QByteArray bytes = encode(record) + Dbf::FileEnd;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        throw Dbf::openError(file);
    const Dbf::Header header = readHeader(file);
    if (bytes.size() != header.recordLength + 1)
        throw Dbf::badTable(m_path, QStringLiteral("o cabeçalho mudou durante a gravação"));
    // Behind the last counted record that is really there: a record whose count never came is
    // overwritten, and a table cut short gets no hole.
    const qint64 count = header.availableRecords(file.size());
    if (!file.seek(header.recordOffset(count)) || file.write(bytes) != bytes.size() || !file.flush())
        throw Dbf::ioError(file);
    const QByteArray update = Dbf::updateBytes(lastUpdate, quint32(count + 1));
    if (!file.seek(1) || file.write(update) != update.size() || !file.flush())
        throw Dbf::ioError(file);
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw Dbf::ioError(file);
}

std::optional<QDateTime> DbfAppender::lastMoment() const
{
    if (!QFileInfo::exists(m_path))
        return std::nullopt;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw Dbf::openError(file);
    const Dbf::Header header = readHeader(file);
    const qint64 count = header.availableRecords(file.size());
    if (count == 0)
        return std::nullopt;
    if (!file.seek(header.recordOffset(count - 1)))
        throw Dbf::ioError(file);
    const QByteArray record = file.read(header.recordLength);
    if (record.size() != header.recordLength)
        throw Dbf::ioError(file);
    const auto value = [&](const char16_t* name) {
        const Dbf::Field* field = header.field(name);
        if (!field)
            throw Dbf::fieldNotFound(name, m_path);
        return FieldValue(field->type, Cp1252::decode(QByteArrayView(record).sliced(field->offset, field->length)));
    };
    const FieldValue data = value(PumpTable::Data);
    const FieldValue hora = value(PumpTable::Hora);
    try {
        const std::optional<DateValue> date = data.toDate();
        if (!date)
            return std::nullopt;
        return QDateTime(date->date(), hora.toDateTime().time(), Qt::UTC);
    } catch (const Error&) {
        return std::nullopt;
    }
}
