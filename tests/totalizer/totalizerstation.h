#pragma once

#include "backoffice/backofficeadmin.h"
#include "common/codepage.h"
#include "support/teststation.h"
#include "totalizer/requestexchange.h"

#include <QSqlDatabase>
#include <QSqlQuery>

// A station with file logging on, company 1 and four nozzles, and the reading and the exchange
// wired to it as the window holds them.
struct TotalizerStation {
    TotalizerStation() { log.lGravaLogArquivo = true; }

    // Seeds a totalizer as the administration tool would, through a handle of its own.
    void setTotalizer(qint16 empresa, qint16 bico, double value)
    {
        BackOfficeDatabase admin(station.backOffice->settings());
        BackOfficeAdmin::gravaEncerrante(admin, empresa, bico, Money::fromDouble(value));
    }

    // Drops the totalizer table from another connection, as a damaged back-office would present
    // itself to the bridge in the middle of a reading.
    void dropTotalizers()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("vandal"));
            db.setDatabaseName(station.backOffice->settings().file);
            if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("DROP TABLE encerrantes")))
                qFatal("cannot drop the totalizer table");
        }
        QSqlDatabase::removeDatabase(QStringLiteral("vandal"));
    }

    // Drops the totalizer table as soon as nozzle 1's line has reached the list.
    void dropTotalizersAfterNozzle1()
    {
        QObject::connect(&log.EventLB(), &EventListModel::currentRowChanged, [this](int row) {
            if (log.EventLB().lines().at(row).contains(QStringLiteral(" - Bico-1 ")))
                dropTotalizers();
        });
    }

    // The lines of the hour's log file.
    QStringList logged() const
    {
        QStringList lines = Cp1252::decode(station.logFile()).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }

    TestStation station;
    EventLog log { station.drives, station.clock, station.boxes };
    BackOfficeObjects objects { *station.backOffice };
    StationSettings settings { 4, 1, QString() };
    TotalizerReading reading { log, objects, station.boxes, settings };
    RequestExchange exchange { reading, log, station.drives };
};

// The fake clock's time of day in front of each message.
inline QStringList at(const QStringList& messages)
{
    QStringList lines;
    for (const QString& message : messages)
        lines += QStringLiteral("14:05:31") + message;
    return lines;
}
