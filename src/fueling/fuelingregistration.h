#pragma once

#include "backoffice/backofficeobjects.h"
#include "backoffice/backofficetransaction.h"
#include "common/clock.h"
#include "common/error.h"
#include "common/stationsettings.h"
#include "eventlog/eventlog.h"
#include "eventlog/failurelog.h"
#include "fueling/fueling.h"

#include <optional>

// Turns fuelings into fueling records of the back-office and moves each nozzle's totalizer by the
// quantity delivered, in one transaction: a crash or a failure between the two can no longer leave
// a sale whose litres never reached the totalizer. The back-office work runs on the back-office's
// own thread in one piece per table; what it has to say is written afterwards, on the caller's.
class FuelingRegistration {
public:
    enum class Outcome {
        Inserted,
        InsertedWithoutTotalizer, // the nozzle has no totalizer to move
        AlreadyRegistered, // the same sale read again: its pump record may go
        Held, // not stored: its pump record must stay
    };
    // A failure to report once an hour while it lasts, under the source that fails.
    struct Failure {
        QString source;
        QStringList messages;
    };
    struct Batch {
        // What to register, in stored order; completed with each nozzle's product and price when
        // lookUpNozzles is set.
        QList<Fueling> fuelings;
        bool lookUpNozzles = true;
        // The outcomes of the first fuelings, all stored once committed; the one after them, if
        // any, was not: because of held, or of the nozzle look-up's error at step xFase.
        QList<Outcome> outcomes;
        std::optional<Failure> held;
        std::optional<Error> lookUpError;
        qint16 xFase = 0;
        // The commit's failure: then none of them is stored.
        std::optional<Failure> commitFailure;
    };

    FuelingRegistration(EventLog& log, FailureLog& failures, BackOfficeObjects& backOffice,
        const StationSettings& settings, const Clock& clock);

    // Registers the batch's fuelings in one transaction on the back-office's thread, stopping at
    // the first that cannot be; commits the ones before it.
    void registerAll(Batch& batch, const QString& commitSource);
    // The event lines of a fueling whose registration was committed.
    void confirm(const Fueling& fueling, Outcome outcome);
    // Writes a failure once an hour while it lasts.
    void report(const Failure& failure) { m_failures.report(failure.source, failure.messages); }

    // Registers one complete fueling in a transaction of its own; true only when inserted.
    bool AutoAtualTabeAbastecimento(const Fueling& fueling);
    // Registers a fueling a caller brings, at the current date and time, completing its price and
    // total from the back-office when no price is given.
    void AutoAtualizaAbastecimento(qint16 pBico, Money pValorUnitario, Money pQuantidade, Money pValorTotal);

    // The nozzle's product and price from the back-office, both 0 when the nozzle is unknown.
    // xFase follows the steps (15 the look-up, 16 the product, 17 the price) so a failure names
    // the one it happened in.
    void lookUpNozzle(Fueling& fueling, qint16& xFase);

private:
    enum class Totalizer { Moved, Missing, NotStored };

    Outcome registerFueling(BackOfficeTransaction& transaction, const Fueling& fueling, std::optional<Failure>& held);
    Outcome insert(const Fueling& fueling, std::optional<Failure>& held);
    Totalizer AutoAtualTabeEncerranteAtual(const Fueling& fueling);
    void completePrice(Fueling& fueling);
    static QString failureSource(const Fueling& fueling);

    EventLog& m_log;
    FailureLog& m_failures;
    BackOfficeObjects& m_backOffice;
    const StationSettings& m_settings;
    const Clock& m_clock;
    // The routine whose trap reports an error, as the station's log files have always named it.
    const char* m_trap = "";
};
