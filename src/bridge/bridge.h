#pragma once

#include "backoffice/backofficedatabase.h"
#include "backoffice/backofficeobjects.h"
#include "bridge/singleinstance.h"
#include "bridge/stationstatus.h"
#include "common/clock.h"
#include "common/drives.h"
#include "common/messagebox.h"
#include "common/stationsettings.h"
#include "common/systemfolder.h"
#include "dbase/datacontrol.h"
#include "eventlog/eventlog.h"
#include "eventlog/failurelog.h"
#include "fueling/fuelingregistration.h"
#include "fueling/pollingcycle.h"
#include "fueling/pumptablereader.h"
#include "notify/emailrequest.h"
#include "notify/hostsystem.h"
#include "totalizer/requestexchange.h"
#include "totalizer/totalizerreading.h"

#include <QObject>
#include <QTimer>

// What the bridge needs from the world, built once by main() and handed in.
struct Ports {
    const Clock& clock;
    MessageBox& messageBox;
    const Drives& drives;
    const HostSystem& host;
    BackOfficeDatabase& backOffice;
};

// The non-visual half of the window MenuAutomacao: all run-time state of the bridge and the
// routines that work on it. The widget owns one, shows its event list, forwards its timer, buttons
// and close request, and does what the signals ask of the window.
class Bridge : public QObject {
    Q_OBJECT

public:
    enum class StartupOutcome {
        End, // a copy is already running, the back-office does not answer, or start-up failed
        Idle, // this is not the computer the settings name: window and tray only
        Running, // the polling timer is on
        Closed, // a close request came during a start-up box: start-up went no further
    };

    static inline const QString DesignedCaption = QStringLiteral("Quorvan Automação");
    static inline const QString gVersao = QStringLiteral("2.08.08-a");

    explicit Bridge(const Ports& ports, QObject* parent = nullptr);
    ~Bridge() override;

    // Start-up, once, before the window is first shown.
    StartupOutcome Form_Load();
    // Unload: releases the back-office objects and writes the two shutdown events.
    void Form_Unload();
    // A close request that cannot be carried out at once, because start-up or a polling cycle is
    // held by a box: the boxes end and no later one waits, and start-up goes no further.
    void requestClose();
    // The click of the "Encerrante" button: a totalizer reading whose failure is logged, never fatal.
    // A click while a cycle waits on the back-office is read once the cycle has ended.
    void cmdEncerrante_Click();

    // True while a polling cycle runs (a modal box inside it keeps the event loop turning); the
    // window waits for cycleFinished before it unloads, so nothing is released under the cycle.
    bool isCycleRunning() const { return m_polling.isRunning(); }

    // The window's public method for a caller with its own fueling.
    void AutoAtualizaAbastecimento(qint16 pBico, Money pValorUnitario, Money pQuantidade, Money pValorTotal)
    {
        m_registration.AutoAtualizaAbastecimento(pBico, pValorUnitario, pQuantidade, pValorTotal);
    }

    // The window's caption: the designed one, and the version once start-up has run.
    const QString& caption() const { return m_caption; }
    EventLog& eventLog() { return m_eventLog; }
    EventListModel& EventLB() { return m_eventLog.EventLB(); }

    const StationSettings& settings() const { return m_settings; }
    const DataControl& dataNolvex() const { return m_dataNolvex; }
    const EmailRequest& emailRequest() const { return m_email; }
    const QTimer& Timer1() const { return m_polling.Timer1(); }
    PollingCycle& polling() { return m_polling; }
    FuelingRegistration& registration() { return m_registration; }
    PumpTableReader& reader() { return m_reader; }
    const QString& lMensagem() const { return m_lMensagem; }
    const StationStatus& status() const { return m_status; }

Q_SIGNALS:
    void captionChanged(const QString& caption);
    // AtualizaIconeBandeja: 0 puts the icon into the tray, 1 updates it, 2 removes it.
    void trayIconRequested(int pAcao);
    void cycleFinished();

private:
    StartupOutcome runStartup();
    QString readSetting(const QString& section, const QString& key) const;
    QString startupMessage(const QDateTime& moment) const;

    Ports m_ports;
    SingleInstance m_instance;
    EventLog m_eventLog;
    StationSettings m_settings;
    QString lDiretorioSistema;
    QString m_lMensagem;
    DataControl m_dataNolvex;
    BackOfficeObjects m_backOffice;
    EmailRequest m_email;
    FailureLog m_failures;
    StationStatus m_status;
    FuelingRegistration m_registration;
    PumpTableReader m_reader;
    TotalizerReading m_reading;
    RequestExchange m_exchange;
    PollingCycle m_polling;
    QString m_caption = DesignedCaption;
    bool m_closeRequested = false;
    bool m_readingPending = false;
};
