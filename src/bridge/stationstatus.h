#pragma once

#include "backoffice/backofficestatus.h"
#include "common/clock.h"
#include "common/drives.h"
#include "common/systemfolder.h"

#include <QElapsedTimer>

// Whether the bridge is healthy, for whoever looks from afar: a status file beside the log, which
// can be read when the back-office is down, and the station's row in the back-office, where a
// chain sees every station. Written when a nozzle starts or stops holding records back, and
// otherwise now and then with the time of the last cycle, so a bridge that stopped shows.
class StationStatus {
public:
    static inline const QString FilePath = SystemFolder + QStringLiteral("Situacao.json");
    // Half the minute after which a station shows as stopped: a running bridge never looks stopped,
    // and a writing (two flushes to disk) is spread over a thousand idle cycles.
    static constexpr qint64 HeartbeatMs = 30000;

    StationStatus(const Drives& drives, const Clock& clock, BackOfficeDatabase& backOffice);

    // Polling starts: who the station is.
    void started(qint16 empresa, const QString& computador, const QString& versao);
    // A table after its reading: how many records it holds back, the oldest one's date and time,
    // and why; none and no reason when nothing waits.
    void nozzle(qint16 bico, int retidos, const QString& maisAntigo, const QString& motivo);
    // A cycle ended: the status is written when it changed or its last writing is old.
    void cycleFinished();

    // Writes the status now: whole after a change, otherwise only the time of the last cycle.
    void write();

    const StationHealth& health() const { return m_health; }

private:
    const Drives& m_drives;
    const Clock& m_clock;
    BackOfficeDatabase& m_backOffice;
    StationHealth m_health;
    bool m_started = false;
    bool m_changed = false;
    bool m_rowStale = true;
    QElapsedTimer m_sinceWritten;
};
