#include "bridge/bridge.h"

Bridge::Bridge(const Ports& ports, QObject* parent)
    : QObject(parent)
    , m_ports(ports)
    , m_instance(ports.drives.root())
    , m_eventLog(ports.drives, ports.clock, ports.messageBox)
    , m_dataNolvex(ports.drives)
    , m_backOffice(ports.backOffice)
    , m_email(ports.backOffice, ports.drives, ports.clock, ports.messageBox, ports.host)
    , m_failures(m_eventLog, ports.clock)
    , m_status(ports.drives, ports.clock, ports.backOffice)
    , m_registration(m_eventLog, m_failures, m_backOffice, m_settings, ports.clock)
    , m_reader(m_dataNolvex, m_registration, m_failures, ports.clock, m_status)
    , m_reading(m_eventLog, m_backOffice, ports.messageBox, m_settings)
    , m_exchange(m_reading, m_eventLog, m_failures, ports.drives)
    , m_polling(m_reader, m_failures, m_settings)
{
    m_polling.setRequestCheck([this] { m_exchange.VerificaSolicitacaoExtra(); });
    m_polling.setCycleEnd([this] { m_status.cycleFinished(); });
    connect(&m_polling, &PollingCycle::cycleFinished, this, &Bridge::cycleFinished);
}

Bridge::~Bridge() = default;
