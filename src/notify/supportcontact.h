#pragma once

#include <QString>

// Who the e-mail requests go to. Kept in one place so a deployment changes them here only.
namespace SupportContact {
inline const QString Name = QStringLiteral("Suporte Técnico AutoQuorvan");
inline const QString Address = QStringLiteral("suporte@autoquorvan.com.br");
inline const QString FirstCopy = QStringLiteral("monitoramento@autoquorvan.com.br");
inline const QString SecondCopy = QStringLiteral("plantao@autoquorvan.com.br");
} // namespace SupportContact
