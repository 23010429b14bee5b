#pragma once

#include "backoffice/backofficeobjects.h"
#include "bridge/stationstatus.h"
#include "dbase/datacontrol.h"
#include "eventlog/failurelog.h"
#include "fueling/fuelingregistration.h"

// Empties one nozzle's pump table: its records are read in stored order, then completed with the
// nozzle's product and price from the back-office and registered, all in one transaction; only
// after its commit are their records deleted, so a crash at any point leaves each record either
// unregistered and in the table, or registered and found so when it is read again.
class PumpTableReader {
public:
    PumpTableReader(DataControl& dataNolvex, FuelingRegistration& registration, FailureLog& failures,
        const Clock& clock, StationStatus& status);

    // Reads the table lNomeArquivo of nozzle lBicoAtual. Never throws: a failure is logged and
    // leaves the failing record, and those behind it, for the next cycle.
    void LoopBomba();
    // Readable when one of the tables may have been written, while all were at rest; else -1.
    int restingDescriptor() const { return m_data.restingDescriptor(); }

    qint16 lBicoAtual = 0;
    QString lNomeArquivo;

private:
    using Failure = FuelingRegistration::Failure;

    Fueling readRecord(qint16& xFase);
    // The date and time of the record at the bookmark, as well as it reads.
    QString recordMoment(qint64 bookmark);
    Failure failure(const Error& error, qint16 xFase) const;

    DataControl& m_data;
    FuelingRegistration& m_registration;
    FailureLog& m_failures;
    const Clock& m_clock;
    StationStatus& m_status;
};
