#pragma once

#include "common/money.h"
#include "dbase/dbffile.h"

#include <QDate>
#include <QTime>

// The pump automation's hand-over queue: one dBASE table per nozzle, named after the nozzle, whose
// records each hold one fueling. The reader and the writer both take names and layout from here.
namespace PumpTable {
inline constexpr char16_t Data[] = u"Data";
inline constexpr char16_t Hora[] = u"Hora";
inline constexpr char16_t Litros[] = u"Litros";
inline constexpr char16_t Valor[] = u"Valor";

// "BOMBA" + the nozzle with at least two digits + ".DBF".
QString name(int bico);
// Data D 8, Hora C 8, Litros N 10.3, Valor N 10.2: the layout of a new pump table.
QList<Dbf::Field> fields();
} // namespace PumpTable

// One fueling as the pump automation leaves it in a nozzle's table.
struct PumpRecord {
    QDate data;
    QTime hora;
    Money litros;
    Money valor;
};
