#include "bridge/bridge.h"

void Bridge::Form_Unload()
{
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
    m_reading.cmdEncerrante_Click();
}
