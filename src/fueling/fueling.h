#pragma once

#include "common/datevalue.h"
#include "common/money.h"

#include <QDateTime>

// One fueling on its way from a pump record (or the window's public entry) to the back-office,
// with the names its fields have always had.
struct Fueling {
    qint16 lBico = 0;
    DateValue lData;
    DateValue lHora;
    qint16 lCodigoProduto = 0;
    Money lValorUnitario;
    Money lQuantidade;
    Money lValorTotal;
};

namespace FuelingDate {
// A pump record without a date was made today, unless its time of day is still hours ahead of
// now: then it was made before midnight and waited (its delete failed, the bridge was stopped),
// and must keep yesterday's date, or it would be registered a second time under today's. Two
// hours leave room for a pump clock set apart from the computer's.
DateValue forBlank(DateValue hora, const QDateTime& now);
} // namespace FuelingDate
