#include "shell/bridge.h"

Bridge::Bridge(const Ports& ports, QObject* parent)
    : QObject(parent)
    , m_ports(ports)
    , m_instance(ports.drives.root())
    , m_eventLog(ports.drives, ports.clock, ports.messageBox)
    , m_dataNolvex(ports.drives)
    , m_backOffice(ports.backOffice)
    , m_email(ports.backOffice, ports.drives, ports.clock, ports.messageBox, ports.host)
{
}

Bridge::~Bridge() = default;
