#include "bridge/stationstatus.h"

#include "common/error.h"
#include "common/textfile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString moment(const QDateTime& value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

StationStatus::StationStatus(const Drives& drives, const Clock& clock, BackOfficeDatabase& backOffice)
    : m_drives(drives)
    , m_clock(clock)
    , m_backOffice(backOffice)
{
}

void StationStatus::started(qint16 empresa, const QString& computador, const QString& versao)
{
    m_health.empresa = empresa;
    m_health.computador = computador;
    m_health.versao = versao;
    m_health.inicio = m_clock.now();
    m_started = true;
    m_changed = true;
}

void StationStatus::nozzle(qint16 bico, int retidos, const QString& maisAntigo, const QString& motivo)
{
    const StationHealth::Nozzle now { bico, retidos, maisAntigo, motivo };
    const bool holds = retidos > 0 || !motivo.isEmpty();
    for (qsizetype i = 0; i < m_health.bicos.size(); ++i) {
        if (m_health.bicos[i].bico != bico)
            continue;
        if (!holds)
            m_health.bicos.removeAt(i);
        else if (m_health.bicos[i] == now)
            return;
        else
            m_health.bicos[i] = now;
        m_changed = true;
        return;
    }
    if (holds) {
        m_health.bicos.append(now);
        m_changed = true;
    }
}

void StationStatus::cycleFinished()
{
    if (!m_started || (!m_changed && m_sinceWritten.isValid() && m_sinceWritten.elapsed() < HeartbeatMs))
        return;
    write();
}

void StationStatus::write()
{
    const bool whole = m_changed || m_rowStale;
    m_changed = false;
    m_sinceWritten.start();
    m_health.ultimoCiclo = m_clock.now();

    QJsonArray bicos;
    for (const StationHealth::Nozzle& nozzle : std::as_const(m_health.bicos)) {
        bicos.append(
            QJsonObject { { QStringLiteral("bico"), nozzle.bico }, { QStringLiteral("retidos"), nozzle.retidos },
                { QStringLiteral("mais_antigo"), nozzle.maisAntigo }, { QStringLiteral("motivo"), nozzle.motivo } });
    }
    const QJsonObject status { { QStringLiteral("empresa"), m_health.empresa },
        { QStringLiteral("computador"), m_health.computador }, { QStringLiteral("versao"), m_health.versao },
        { QStringLiteral("inicio"), moment(m_health.inicio) },
        { QStringLiteral("ultimo_ciclo"), moment(m_health.ultimoCiclo) }, { QStringLiteral("bicos"), bicos } };
    // Not waited for on disk: a status lost to a power cut is rewritten by the next cycle, and the
    // wait would double the cost of every heartbeat. A status that cannot be written is no reason
    // to hold a sale.
    try {
        TextFile::replace(m_drives.toLocal(FilePath), QJsonDocument(status).toJson());
    } catch (const Error&) {
    }
    try {
        if (whole || !BackOfficeStatus::pulsa(m_backOffice, m_health))
            BackOfficeStatus::grava(m_backOffice, m_health);
        m_rowStale = false;
    } catch (const Error&) {
        // The row may lack a change that failed to reach it: the next writing is whole.
        m_rowStale = true;
    }
}
