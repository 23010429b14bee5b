#include "dbase/dbffile.h"

#include "common/codepage.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QtEndian>

namespace {

quint16 readU16(QByteArrayView bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

quint32 readU32(QByteArrayView bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

bool isKnownVersion(quint8 version)
{
    // dBASE III, III with memo, IV/5.0 with memo; other dialects lay out fields differently.
    return version == 0x03 || version == 0x83 || version == 0x8B;
}

QByteArray encodedName(const QString& name)
{
    QByteArray bytes = Cp1252::encode(name.toUpper()).left(10);
    bytes.resize(11, '\0');
    return bytes;
}

} // namespace

qint64 Dbf::Header::availableRecords(qint64 fileSize) const
{
    if (fileSize <= headerLength)
        return 0;
    return std::min<qint64>(recordCount, (fileSize - headerLength) / recordLength);
}

const Dbf::Field* Dbf::Header::field(QStringView name) const
{
    for (const Field& candidate : fields) {
        if (candidate.name.compare(name, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

Dbf::Header Dbf::parseFixedHeader(QByteArrayView bytes, const QString& path)
{
    if (bytes.size() < FixedHeaderSize)
        throw badTable(path, QStringLiteral("cabeçalho incompleto (%1 bytes)").arg(bytes.size()));
    Header header;
    header.version = quint8(bytes[0]);
    if (!isKnownVersion(header.version))
        throw badTable(path, QStringLiteral("versão 0x%1 não suportada").arg(header.version, 2, 16, QChar(u'0')));
    header.recordCount = readU32(bytes, 4);
    header.headerLength = readU16(bytes, 8);
    header.recordLength = readU16(bytes, 10);
    if (header.headerLength < FixedHeaderSize + 1)
        throw badTable(path, QStringLiteral("tamanho de cabeçalho %1 inválido").arg(header.headerLength));
    if (header.recordLength < 1)
        throw badTable(path, QStringLiteral("tamanho de registro %1 inválido").arg(header.recordLength));
    return header;
}

void Dbf::parseFields(Header& header, QByteArrayView bytes, const QString& path)
{
    const int end = header.headerLength - FixedHeaderSize;
    if (bytes.size() < end)
        throw badTable(path,
            QStringLiteral("cabeçalho incompleto (%1 de %2 bytes)")
                .arg(bytes.size() + FixedHeaderSize)
                .arg(header.headerLength));
    int offset = 1;
    for (int at = 0;; at += DescriptorSize) {
        if (at >= end)
            throw badTable(path, QStringLiteral("fim da lista de campos não encontrado"));
        if (bytes[at] == HeaderEnd)
            return;
        if (at + DescriptorSize > end)
            throw badTable(path, QStringLiteral("descrição de campo incompleta"));
        const QByteArrayView descriptor = bytes.sliced(at, DescriptorSize);
        QByteArrayView name = descriptor.first(11);
        if (const qsizetype nul = name.indexOf('\0'); nul >= 0)
            name = name.first(nul);
        Field field;
        field.name = Cp1252::decode(name).trimmed();
        field.type = char(QChar::toUpper(uchar(descriptor[11])));
        field.length = quint8(descriptor[16]);
        field.decimals = quint8(descriptor[17]);
        field.offset = offset;
        offset += field.length;
        if (offset > header.recordLength)
            throw badTable(path, QStringLiteral("o campo %1 passa do fim do registro").arg(field.name));
        header.fields += field;
    }
}

QByteArray Dbf::newHeader(const QList<Field>& fields, QDate lastUpdate)
{
    int recordLength = 1;
    for (const Field& field : fields)
        recordLength += field.length;
    const int headerLength = FixedHeaderSize + DescriptorSize * int(fields.size()) + 1;

    QByteArray bytes(FixedHeaderSize, '\0');
    bytes[0] = 0x03;
    bytes.replace(1, 7, updateBytes(lastUpdate, 0));
    qToLittleEndian<quint16>(quint16(headerLength), bytes.data() + 8);
    qToLittleEndian<quint16>(quint16(recordLength), bytes.data() + 10);
    bytes[29] = LanguageDriverCp1252;
    for (const Field& field : fields) {
        QByteArray descriptor = encodedName(field.name);
        descriptor += field.type;
        descriptor.resize(DescriptorSize, '\0');
        descriptor[16] = char(field.length);
        descriptor[17] = char(field.decimals);
        bytes += descriptor;
    }
    bytes += HeaderEnd;
    return bytes;
}

QByteArray Dbf::updateBytes(QDate lastUpdate, quint32 recordCount)
{
    QByteArray bytes(7, '\0');
    bytes[0] = char(std::clamp(lastUpdate.year() - 1900, 0, 255));
    bytes[1] = char(lastUpdate.month());
    bytes[2] = char(lastUpdate.day());
    qToLittleEndian<quint32>(recordCount, bytes.data() + 3);
    return bytes;
}

Error Dbf::invalidPath(const QString& directory)
{
    return Error(ErrorNumber::InvalidPath, QStringLiteral("'%1' não é um caminho válido.").arg(directory));
}

Error Dbf::tableNotFound(const QString& path)
{
    return Error(ErrorNumber::TableNotFound, QStringLiteral("Não foi possível encontrar o arquivo '%1'.").arg(path));
}

Error Dbf::badTable(const QString& path, const QString& reason)
{
    return Error(
        ErrorNumber::BadTable, QStringLiteral("Formato de banco de dados não reconhecido '%1': %2.").arg(path, reason));
}

Error Dbf::fieldNotFound(QStringView field, const QString& path)
{
    return Error(ErrorNumber::ItemNotFound,
        QStringLiteral("Item não encontrado nesta coleção: campo '%1' de '%2'.").arg(field, path));
}

Error Dbf::openError(const QFileDevice& file)
{
    return openError(file.fileName(), file.errorString());
}

Error Dbf::openError(const QString& path, const QString& reason)
{
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return invalidPath(info.absolutePath());
    if (!info.exists())
        return tableNotFound(path);
    return Error(
        ErrorNumber::CannotOpenFile, QStringLiteral("Não foi possível abrir o arquivo '%1' (%2).").arg(path, reason));
}

Error Dbf::ioError(const QFileDevice& file)
{
    return Error(ErrorNumber::DiskError,
        QStringLiteral("Erro de disco ao acessar o arquivo '%1' (%2).").arg(file.fileName(), file.errorString()));
}
