#pragma once

#include "backoffice/backofficedatabase.h"

#include <QDateTime>
#include <QList>
#include <QString>

// How a station's bridge is doing, as it tells the back-office and its status file: in a chain,
// one database shows every station's.
struct StationHealth {
    struct Nozzle {
        qint16 bico = 0;
        int retidos = 0; // records waiting in its pump table
        QString maisAntigo; // the oldest one's date and time
        QString motivo; // why they wait
        bool operator==(const Nozzle&) const = default;
    };
    qint16 empresa = 0;
    QString computador;
    QString versao;
    QDateTime inicio;
    QDateTime ultimoCiclo;
    QList<Nozzle> bicos; // only those holding records or failing
};

namespace BackOfficeStatus {
// Replaces the station's row and its nozzles' rows, in one transaction. Throws the back-office error.
void grava(BackOfficeDatabase& database, const StationHealth& health);
// Moves only the station's last cycle on; false when the station has no row yet. Throws the
// back-office error.
bool pulsa(BackOfficeDatabase& database, const StationHealth& health);
// Every station's row: "empresa,computador,versao,inicio,ultimo_ciclo,estado,retidos,bicos", estado
// "parado" when its last cycle is more than a minute older than now.
QList<QStringList> lista(BackOfficeDatabase& database, const QDateTime& now);
} // namespace BackOfficeStatus
