#pragma once

#include "backoffice/backofficeobjects.h"
#include "common/clock.h"
#include "common/datevalue.h"
#include "common/money.h"
#include "common/stationsettings.h"
#include "eventlog/eventlog.h"
#include "eventlog/failurelog.h"

// Turns the current fueling into a fueling record of the back-office and moves the nozzle's
// totalizer by the quantity delivered.
class FuelingRegistration {
public:
    enum class Outcome {
        Inserted,
        AlreadyRegistered,
        Refused, // the back-office answered but did not store it
        Failed, // a back-office call raised an error
    };

    FuelingRegistration(
        EventLog& log, FailureLog& failures, BackOfficeObjects& backOffice, const StationSettings& settings);

    // Registers the current fueling; true only when the back-office inserted it.
    bool AutoAtualTabeAbastecimento() { return registerFueling() == Outcome::Inserted; }
    // The same, telling why nothing was inserted: a refused or failed fueling must stay in its
    // pump table, while one that is already registered may go.
    Outcome registerFueling();
    // Adds the quantity to the nozzle's current totalizer.
    void AutoAtualTabeEncerranteAtual();
    // Registers a fueling a caller brings, at the current date and time, completing its price and
    // total from the back-office when no price is given.
    void AutoAtualizaAbastecimento(qint16 pBico, Money pValorUnitario, Money pQuantidade, Money pValorTotal);

    // The current fueling, filled by the pump table reader (or the public entry) before each
    // registration.
    qint16 lBico = 0;
    DateValue lData;
    DateValue lHora;
    qint16 lCodigoProduto = 0;
    Money lValorUnitario;
    Money lQuantidade;
    Money lValorTotal;

private:
    Outcome insert();
    void completePrice();
    QString failureSource() const;

    EventLog& m_log;
    FailureLog& m_failures;
    BackOfficeObjects& m_backOffice;
    const StationSettings& m_settings;
};
