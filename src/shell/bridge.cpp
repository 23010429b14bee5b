#include "shell/bridge.h"

Bridge::Bridge(const Ports& ports, QObject* parent)
    : QObject(parent)
    , m_ports(ports)
    , m_eventLog(ports.drives, ports.clock, ports.messageBox)
{
}

Bridge::~Bridge() = default;
