#pragma once

#include "backoffice/backofficeobjects.h"
#include "common/stationsettings.h"
#include "dbase/datacontrol.h"
#include "dbase/pumptable.h"
#include "eventlog/failurelog.h"
#include "fueling/fuelingregistration.h"

// Empties one nozzle's pump table: each record, in stored order, is completed with the nozzle's
// product and price from the back-office, registered, and deleted.
class PumpTableReader {
public:
    PumpTableReader(DataControl& dataNolvex, FuelingRegistration& registration, BackOfficeObjects& backOffice,
        FailureLog& failures, const Clock& clock, const StationSettings& settings);

    // Reads the table lNomeArquivo of nozzle lBicoAtual. Never throws: a failure is logged and
    // leaves the failing record, and those behind it, for the next cycle.
    void LoopBomba();

    qint16 lBicoAtual = 0;
    QString lNomeArquivo;

private:
    void readTable(qint16& xFase);
    void readRecord(qint16& xFase);
    QStringList failureLines(const Error& error, qint16 xFase) const;

    DataControl& m_data;
    FuelingRegistration& m_registration;
    BackOfficeObjects& m_backOffice;
    FailureLog& m_failures;
    const Clock& m_clock;
    const StationSettings& m_settings;
};
