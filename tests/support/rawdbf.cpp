#include "support/rawdbf.h"

#include <QtEndian>

QByteArray RawDbf::table(
    const QList<QByteArray>& records, int headerCount, char version, const QByteArray& fields, bool endByte)
{
    QByteArray descriptors;
    int recordLength = 1;
    for (const QByteArray& field : fields.split(',')) {
        const QList<QByteArray> parts = field.split(':');
        const QList<QByteArray> size = parts[1].mid(1).split('.');
        QByteArray descriptor = parts[0].leftJustified(11, '\0') + parts[1][0];
        descriptor.resize(32, '\0');
        descriptor[16] = char(size[0].toInt());
        descriptor[17] = char(size.value(1).toInt());
        descriptors += descriptor;
        recordLength += size[0].toInt();
    }
    QByteArray bytes(32, '\0');
    bytes[0] = version;
    qToLittleEndian<quint32>(quint32(headerCount < 0 ? records.size() : headerCount), bytes.data() + 4);
    qToLittleEndian<quint16>(quint16(32 + descriptors.size() + 1), bytes.data() + 8);
    qToLittleEndian<quint16>(quint16(recordLength), bytes.data() + 10);
    bytes += descriptors + '\r' + records.join() + (endByte ? "\x1a" : "");
    return bytes;
}

QByteArray RawDbf::record(const char* data, const char* hora, const char* litros, const char* valor, char flag)
{
    return flag + QByteArray(data).leftJustified(8) + QByteArray(hora).leftJustified(8)
        + QByteArray(litros).rightJustified(10) + QByteArray(valor).rightJustified(10);
}
