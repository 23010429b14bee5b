#pragma once

#include "common/stationsettings.h"
#include "eventlog/failurelog.h"
#include "fueling/pumptablereader.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

// The heartbeat of the bridge: each tick of Timer1 scans every nozzle's pump table once and, on
// every tenth tick, looks for a request file. The timer is stopped for the whole cycle and
// re-armed with 30 ms at its end, so cycles never overlap and the 30 ms are a pause between them.
//
// While every table is at rest, the ticks up to the tenth would find nothing to do: the cycle
// rests instead, the timer set for the tenth tick, and wakes early when the kernel reports a write
// in the tables' folder. Those ticks count as ticks, so requests keep their cadence, and a sale
// arrives as soon as it would have, without 33 wake-ups a second of a computer otherwise idle.
class PollingCycle : public QObject {
    Q_OBJECT

public:
    static constexpr int PauseMs = 30;

    PollingCycle(
        PumpTableReader& reader, FailureLog& failures, const StationSettings& settings, QObject* parent = nullptr);

    // What runs after the nozzle scan of every tenth cycle.
    void setRequestCheck(std::function<void()> check) { m_requestCheck = std::move(check); }
    // What runs at the end of every cycle, before the timer is armed again. It may wait on the
    // back-office in a nested event loop, so no cycle may start inside it: armed first, the timer
    // would begin cycle after cycle inside each other for as long as the back-office is locked.
    void setCycleEnd(std::function<void()> end) { m_cycleEnd = std::move(end); }

    // Enables the timer with its 30 ms, as start-up does on the computer the settings name.
    void start();
    // Stops the timer for good: nothing may poll once the window unloads.
    void stop();
    // One cycle.
    void Timer1_Timer();
    // Scans nozzles 1 to lQuantidadeBicos once.
    void ConverteAutomacao();
    bool isRunning() const { return m_running; }
    bool isResting() const { return m_change && m_change->isEnabled(); }

    const QTimer& Timer1() const { return m_timer1; }
    qint16 lContadorTimer = 0;

Q_SIGNALS:
    void cycleFinished();

private:
    const QString& tableName(qint16 bico);
    void arm();
    void endRest();
    void timedOut();
    void tableChanged();

    PumpTableReader& m_reader;
    FailureLog& m_failures;
    const StationSettings& m_settings;
    std::function<void()> m_requestCheck;
    std::function<void()> m_cycleEnd;
    QTimer m_timer1;
    std::unique_ptr<QSocketNotifier> m_change;
    QElapsedTimer m_rest;
    bool m_running = false;
    QStringList m_tableNames;
};
