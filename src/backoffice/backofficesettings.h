#pragma once

#include "common/drives.h"
#include "common/systemfolder.h"

#include <QString>

// Where the back-office records live: a SQLite file beside the bridge unless Retaguarda.INI names
// a PostgreSQL server (a station's server, or a chain's central database that every station's
// bridge writes into under its own company code). The e-mail outbox is always the local file,
// because the one message the bridge sends says that the back-office does not answer.
struct BackOfficeSettings {
    enum class Kind { Sqlite, Postgres };

    static inline const QString DatabasePath = SystemFolder + QStringLiteral("Retaguarda.db");
    static inline const QString SettingsPath = SystemFolder + QStringLiteral("Retaguarda.INI");
    static inline const QString OutboxPath = SystemFolder + QStringLiteral("Mensagens.db");
    static inline const QString Section = QStringLiteral("RETAGUARDA");

    // The settings the bridge runs with: the fixed files, overridden by Retaguarda.INI when present.
    static BackOfficeSettings fromIni(const Drives& drives);
    // A local SQLite database and outbox given as local paths.
    static BackOfficeSettings sqlite(QString file, QString outbox);

    Kind kind() const;
    // Empty when the settings can be used; otherwise what is wrong, naming the key.
    QString problem() const;
    // Names the database for log lines and error texts; never the password.
    QString describe() const;

    int port() const;
    int timeoutSeconds() const;
    QString sslMode() const;

    QString driver;
    QString file;
    QString servidor;
    QString porta;
    QString banco;
    QString usuario;
    QString senha;
    QString ssl;
    QString tempoLimite;
    QString outbox;
};
