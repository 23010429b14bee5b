#pragma once

#include "common/drives.h"
#include "common/systemfolder.h"

#include <QString>

// Where the back-office records live. The station's settings file may point the bridge at another
// SQLite file or, in a chain, at a server; the e-mail outbox is always the local file, because the
// one message the bridge sends says that the back-office database does not answer.
struct BackOfficeSettings {
    enum class Kind { Sqlite, Server };

    static inline const QString DatabasePath = SystemFolder + QStringLiteral("Retaguarda.db");
    static inline const QString SettingsPath = SystemFolder + QStringLiteral("Retaguarda.INI");
    static inline const QString OutboxPath = SystemFolder + QStringLiteral("Mensagens.db");
    static inline const QString Section = QStringLiteral("RETAGUARDA");

    // The settings the bridge runs with: the fixed files, overridden by Retaguarda.INI when present.
    static BackOfficeSettings fromIni(const Drives& drives);
    // A local SQLite database and outbox given as local paths.
    static BackOfficeSettings sqlite(QString file, QString outbox);

    // SQLite unless Driver= names a server; the one place that decides which driver is used.
    Kind kind() const;
    // Names the database for log lines and error texts; never the password.
    QString describe() const;

    QString driver;
    QString file;
    QString servidor;
    QString porta;
    QString banco;
    QString usuario;
    QString senha;
    QString outbox;
};
