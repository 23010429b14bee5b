#include "bridge/bridge.h"

#include <utility>

void Bridge::Form_Unload()
{
    m_readingPending = false;
    m_polling.stop();
    m_backOffice.release();
    m_eventLog.GravaEvento(m_eventLog.line(QStringLiteral(" - Objetos de Automação finalizados")));
    m_eventLog.CriaLogCupom(m_eventLog.line(QStringLiteral(" - Finalizando AutoQuorvan")));
}

void Bridge::requestClose()
{
    m_closeRequested = true;
    m_ports.messageBox.dismissAll();
}

void Bridge::cmdEncerrante_Click()
{
    // Inside a cycle the reading would run in the cycle's open transaction, and a box of it would
    // keep that transaction, and the back-office's lock, until the operator answered it.
    if (m_polling.isRunning()) {
        if (!std::exchange(m_readingPending, true)) {
            connect(
                &m_polling, &PollingCycle::cycleFinished, this,
                [this] {
                    if (std::exchange(m_readingPending, false))
                        m_reading.cmdEncerrante_Click();
                },
                Qt::SingleShotConnection);
        }
        return;
    }
    m_reading.cmdEncerrante_Click();
}
