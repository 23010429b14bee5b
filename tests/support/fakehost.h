#pragma once

#include "notify/hostsystem.h"

// A computer whose name and addresses the test chooses.
class FakeHost final : public HostSystem {
public:
    HostName name { QStringLiteral("POSTO01"), 0 };
    QList<QHostAddress> addresses { QHostAddress(QStringLiteral("10.0.0.5")) };

    HostName localHostName() const override { return name; }
    QList<QHostAddress> addressesOf(const QString& hostName) const override
    {
        return hostName == name.name ? addresses : QList<QHostAddress>();
    }
};
