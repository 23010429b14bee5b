#pragma once

#include "backoffice/backofficeobjects.h"
#include "backoffice/backofficetransaction.h"
#include "common/clock.h"
#include "common/stationsettings.h"
#include "eventlog/eventlog.h"
#include "eventlog/failurelog.h"
#include "fueling/fueling.h"

// Turns a fueling into a fueling record of the back-office and moves the nozzle's totalizer by
// the quantity delivered, both in one transaction: a crash or a failure between the two can no
// longer leave a sale whose litres never reached the totalizer.
class FuelingRegistration {
public:
    enum class Outcome {
        Inserted,
        InsertedWithoutTotalizer, // the nozzle has no totalizer to move
        AlreadyRegistered, // the same sale read again: its pump record may go
        Held, // not stored, and reported: its pump record must stay
    };

    FuelingRegistration(EventLog& log, FailureLog& failures, BackOfficeObjects& backOffice,
        const StationSettings& settings, const Clock& clock);

    // The connection the registrations' transactions run on.
    clsConexao& conexao() { return m_backOffice.Conexao(); }

    // Registers the fueling inside the transaction. When it is not stored (refused, failed, or a
    // different sale under a registered key) its own writes are undone, the reason is reported and
    // Held is returned; what the transaction did before stays.
    Outcome registerFueling(BackOfficeTransaction& transaction, const Fueling& fueling);
    // Commits the transaction's registrations; false, reported under source, when the back-office
    // refused: then none of them is stored.
    bool commit(BackOfficeTransaction& transaction, const QString& source);
    // The event lines of a fueling whose registration was committed.
    void confirm(const Fueling& fueling, Outcome outcome);

    // Registers one fueling in a transaction of its own; true only when the back-office inserted it.
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

    Outcome insert(const Fueling& fueling, const QString& source);
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
