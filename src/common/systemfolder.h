#pragma once

#include <QString>

// The folder of the bridge's settings, logs and local databases. Fixed: only the drive mapping
// says where it is on this computer.
inline const QString SystemFolder = QStringLiteral("C:\\Quorvan\\AutoQuorvanNolvex\\");
