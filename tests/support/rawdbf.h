#pragma once

#include <QByteArray>
#include <QList>

// Pump tables built byte by byte, as another program would write them, so readers are not checked
// against our own writer and a test can store what our writer never would (blank fields).
namespace RawDbf {
inline const QByteArray PumpFields = "Data:D8,Hora:C8,Litros:N10.3,Valor:N10.2";

// fields: "Name:TypeLength[.Decimals]" separated by commas. headerCount < 0: the true count.
QByteArray table(const QList<QByteArray>& records, int headerCount = -1, char version = 0x03,
    const QByteArray& fields = PumpFields, bool endByte = true);
// One record of a pump table; flag '*' marks it deleted.
QByteArray record(const char* data, const char* hora, const char* litros, const char* valor, char flag = ' ');
} // namespace RawDbf
