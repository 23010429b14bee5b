#include "notify/mdl_socket_ip.h"

// The socket layer of this platform needs no start-up, so there is no version or socket-count
// check to fail: each lookup goes straight to the system.

QString mdl_socket_ip::NomeComputadorLocal(const HostSystem& host, MessageBox& messageBox)
{
    const HostSystem::HostName result = host.localHostName();
    if (result.errorCode != 0) {
        messageBox.show(
            QStringLiteral("Windows Sockets error %1 não é possivel obter nome do Host.").arg(result.errorCode));
        return QString();
    }
    return result.name;
}

QString mdl_socket_ip::EnderecoIPLocal(const HostSystem& host, MessageBox& messageBox)
{
    const HostSystem::HostName result = host.localHostName();
    if (result.errorCode != 0) {
        messageBox.show(
            QStringLiteral("Ocorre um erro de Socket : %1 , não é possivel obter nome do Host.").arg(result.errorCode));
        return QString();
    }
    for (const QHostAddress& address : host.addressesOf(result.name.trimmed())) {
        bool isIpv4 = false;
        const quint32 value = address.toIPv4Address(&isIpv4);
        if (isIpv4)
            return QStringLiteral("%1.%2.%3.%4")
                .arg(value >> 24)
                .arg((value >> 16) & 0xFF)
                .arg((value >> 8) & 0xFF)
                .arg(value & 0xFF);
    }
    messageBox.show(QStringLiteral("Windows Sockets não esta respondendo. não é possivel obter nome do Host"));
    return QString();
}
