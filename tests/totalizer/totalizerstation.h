#pragma once

#include "backoffice/sqlconnection.h"
#include "support/teststation.h"

using Box = RecordingMessageBox::Box;

// A pt_BR test station with the reading and the exchange wired to it as the bridge holds them, file
// logging on and four nozzles of company 1 whose totalizers cover the formatting cases.
struct TotalizerStation : TestStation {
    TotalizerStation()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        log.lGravaLogArquivo = true;
        const char* totals[] = { "1000.5", "0", "1234567.891", "999.996" };
        for (qint16 bico = 1; bico <= 4; ++bico)
            addNozzle(bico, 1, "5.99", totals[bico - 1]);
    }

    // Once nozzle 1's line is in the list the totalizer table is gone: a back-office failing in the
    // middle of a reading.
    void failAfterNozzle1()
    {
        QObject::connect(&log.EventLB(), &EventListModel::currentRowChanged, [this](int row) {
            if (log.EventLB().lines().at(row).contains(QStringLiteral(" - Bico-1 ")))
                backOffice->records("test").run(QStringLiteral("DROP TABLE encerrantes"), "test");
        });
    }

    EventLog log { drives, clock, boxes };
    BackOfficeObjects objects { *backOffice };
    StationSettings settings { 4, 1, QString() };
    TotalizerReading reading { log, objects, boxes, settings };
    RequestExchange exchange { reading, log, drives };
};

// The fake clock's time of day in front of each message.
inline QStringList at(QStringList messages)
{
    for (QString& message : messages)
        message.prepend(QStringLiteral("14:05:31"));
    return messages;
}
