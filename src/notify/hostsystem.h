#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>

// What the operating system says about this computer's name and addresses. The real one asks the
// system; tests give a host name of their choosing.
class HostSystem {
public:
    struct HostName {
        QString name;
        int errorCode = 0; // non-zero when the system refused to give the name
    };

    virtual ~HostSystem() = default;
    virtual HostName localHostName() const = 0;
    // The addresses a name resolves to; empty when it does not resolve.
    virtual QList<QHostAddress> addressesOf(const QString& name) const = 0;
};

class SystemHost final : public HostSystem {
public:
    HostName localHostName() const override;
    QList<QHostAddress> addressesOf(const QString& name) const override;
};
