#pragma once

#include "dbase/datacontrol.h"

#include <QProcess>
#include <QtEndian>

// Helpers shared by the dBASE tests: tables built byte by byte (so the reader is not checked only
// against our own writer), reading a table back, and the other dBASE writer.
namespace PumpTables {

inline const QByteArray PumpFields = "Data:D8,Hora:C8,Litros:N10.3,Valor:N10.2";

// fields: "Name:TypeLength[.Decimals]" separated by commas.
inline QByteArray dbf(const QList<QByteArray>& records, int headerCount = -1, char version = 0x03,
    const QByteArray& fields = PumpFields, bool endByte = true)
{
    QByteArray descriptors;
    int recordLength = 1;
    for (const QByteArray& field : fields.split(',')) {
        const QList<QByteArray> size = field.mid(field.indexOf(':') + 2).split('.');
        QByteArray descriptor = field.left(field.indexOf(':')).leftJustified(11, '\0') + field[field.indexOf(':') + 1];
        descriptor.resize(32, '\0');
        descriptor[16] = char(size[0].toInt());
        descriptor[17] = char(size.value(1).toInt());
        descriptors += descriptor;
        recordLength += size[0].toInt();
    }
    QByteArray bytes(32, '\0');
    bytes[0] = version;
    qToLittleEndian<quint32>(headerCount < 0 ? records.size() : headerCount, bytes.data() + 4);
    qToLittleEndian<quint16>(quint16(32 + descriptors.size() + 1), bytes.data() + 8);
    qToLittleEndian<quint16>(quint16(recordLength), bytes.data() + 10);
    return bytes + descriptors + '\r' + records.join() + (endByte ? "\x1a" : "");
}

inline QByteArray rec(const char* data, const char* hora, const char* litros, const char* valor, char flag = ' ')
{
    return flag + QByteArray(data).leftJustified(8) + QByteArray(hora).leftJustified(8)
        + QByteArray(litros).rightJustified(10) + QByteArray(valor).rightJustified(10);
}

// Every remaining record as "Data|Hora|Litros|Valor", the stored texts.
inline QStringList readAll(const QString& directory, const QString& table, const QString& drives = QString())
{
    DataControl dataNolvex { Drives(drives.isEmpty() ? directory : drives) };
    dataNolvex.setDatabaseName(directory);
    dataNolvex.setRecordSource(table);
    QStringList records;
    for (dataNolvex.Refresh(); !dataNolvex.Eof(); dataNolvex.MoveNext()) {
        QStringList values;
        for (const char16_t* name : { u"Data", u"Hora", u"Litros", u"Valor" })
            values += dataNolvex.Fields(name).text();
        records += values.join(u'|');
    }
    return records;
}

// Runs a script of Debian's python3-dbf (not the python3 on the PATH, which may lack it); empty
// when the module is missing, so the caller can skip.
inline std::optional<QString> pythonDbf(const QString& script, const QString& table)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), script, table });
    python.waitForFinished();
    const QByteArray errors = python.readAllStandardError();
    if (python.exitCode() != 0 && errors.contains("ModuleNotFoundError"))
        return std::nullopt;
    return python.exitCode() == 0 ? QString::fromUtf8(python.readAllStandardOutput()) : QString::fromUtf8(errors);
}

} // namespace PumpTables
