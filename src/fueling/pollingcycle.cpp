#include "fueling/pollingcycle.h"

#include "common/conversions.h"
#include "common/error.h"
#include "dbase/pumptable.h"

PollingCycle::PollingCycle(
    PumpTableReader& reader, FailureLog& failures, const StationSettings& settings, QObject* parent)
    : QObject(parent)
    , m_reader(reader)
    , m_failures(failures)
    , m_settings(settings)
{
    connect(&m_timer1, &QTimer::timeout, this, &PollingCycle::timedOut);
}

void PollingCycle::start()
{
    m_timer1.start(PauseMs);
}

void PollingCycle::stop()
{
    endRest();
    m_timer1.stop();
}

void PollingCycle::Timer1_Timer()
{
    m_running = true;
    endRest();
    lContadorTimer = qint16(lContadorTimer + 1);
    m_timer1.stop();
    ConverteAutomacao();
    if (lContadorTimer == 10) {
        lContadorTimer = 0;
        if (m_requestCheck)
            m_requestCheck();
    }
    if (m_cycleEnd)
        m_cycleEnd();
    arm();
    m_running = false;
    Q_EMIT cycleFinished();
}

void PollingCycle::arm()
{
    const int descriptor = m_reader.restingDescriptor();
    if (descriptor < 0 || lContadorTimer < 0 || lContadorTimer > 9) {
        m_timer1.start(PauseMs);
        return;
    }
    if (!m_change || m_change->socket() != descriptor) {
        m_change = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(m_change.get(), &QSocketNotifier::activated, this, &PollingCycle::tableChanged);
    }
    m_change->setEnabled(true);
    m_rest.start();
    m_timer1.start((10 - lContadorTimer) * PauseMs);
}

void PollingCycle::endRest()
{
    // The descriptor belongs to the tables' reader, which may close it during the cycle.
    if (m_change)
        m_change->setEnabled(false);
}

void PollingCycle::timedOut()
{
    // A rest lasts until the tenth tick: the ticks before it had nothing to do.
    if (isResting())
        lContadorTimer = 9;
    Timer1_Timer();
}

void PollingCycle::tableChanged()
{
    // The ticks that passed while resting are counted, and the next cycle still keeps its pause
    // after the last one, so a folder written without end is not scanned more often than before.
    const qint64 rested = m_rest.elapsed();
    endRest();
    lContadorTimer = qint16(std::min<qint64>(lContadorTimer + rested / PauseMs, 9));
    m_timer1.start(int(std::max<qint64>(0, PauseMs - rested)));
}

const QString& PollingCycle::tableName(qint16 bico)
{
    // Formatting a name costs more than a look at the table's file: each is made once.
    while (m_tableNames.size() < bico)
        m_tableNames.append(PumpTable::name(int(m_tableNames.size()) + 1));
    return m_tableNames[bico - 1];
}

void PollingCycle::ConverteAutomacao()
{
    static const QString Source = QStringLiteral("ConverteAutomacao");
    try {
        const qint16 limit = m_settings.lQuantidadeBicos;
        for (m_reader.lBicoAtual = 1; m_reader.lBicoAtual <= limit;
             m_reader.lBicoAtual = toInteger16(qint64(m_reader.lBicoAtual) + 1)) {
            m_reader.lNomeArquivo = tableName(m_reader.lBicoAtual);
            m_reader.LoopBomba();
        }
        m_failures.clear(Source);
    } catch (const Error& error) {
        m_failures.report(Source,
            { QStringLiteral(" - ERRO ConverteAutomacao: Erro Desconhecido!"),
                QStringLiteral(" - ERRO: ") + error.description() });
    } catch (const std::exception& error) {
        // Anything else (memory exhausted by a corrupt table) must not stop the timer for good.
        m_failures.report(Source,
            { QStringLiteral(" - ERRO ConverteAutomacao: Erro Desconhecido!"),
                QStringLiteral(" - ERRO: ") + QString::fromLocal8Bit(error.what()) });
    }
}
