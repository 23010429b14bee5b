#include "dbase/pumptable.h"

QString PumpTable::name(int bico)
{
    return QStringLiteral("BOMBA%1.DBF").arg(bico, 2, 10, QChar(u'0'));
}

QList<Dbf::Field> PumpTable::fields()
{
    return {
        { QStringLiteral("DATA"), 'D', 1, 8, 0 },
        { QStringLiteral("HORA"), 'C', 9, 8, 0 },
        { QStringLiteral("LITROS"), 'N', 17, 10, 3 },
        { QStringLiteral("VALOR"), 'N', 27, 10, 2 },
    };
}
