#include "backoffice/backofficesettings.h"

#include "common/leini.h"

#include <QStringList>

namespace {

bool isRelativeWindowsPath(const QString& path)
{
    const bool drive = path.size() >= 2 && path[1] == u':';
    return !drive && !path.startsWith(u'\\') && !path.startsWith(u'/');
}

const QStringList SslModes
    = { QStringLiteral("disable"), QStringLiteral("prefer"), QStringLiteral("require"), QStringLiteral("verify-full") };

// A whole number from first to last, or -1.
int wholeNumber(const QString& text, int first, int last)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= first && value <= last ? value : -1;
}

} // namespace

BackOfficeSettings BackOfficeSettings::fromIni(const Drives& drives)
{
    const QString ini = drives.toLocal(SettingsPath);
    const auto read = [&ini](const char* key) { return RotinasGerais::LeIni(Section, QString::fromLatin1(key), ini); };
    BackOfficeSettings settings;
    settings.driver = read("Driver");
    // A bare file name sits beside the settings file, not in whatever folder the program was
    // started from.
    QString arquivo = read("Arquivo");
    if (!arquivo.isEmpty() && isRelativeWindowsPath(arquivo))
        arquivo = SystemFolder + arquivo;
    settings.file = drives.toLocal(arquivo.isEmpty() ? DatabasePath : arquivo);
    settings.servidor = read("Servidor");
    settings.porta = read("Porta");
    settings.banco = read("Banco");
    settings.usuario = read("Usuario");
    settings.senha = read("Senha");
    settings.ssl = read("SSL");
    settings.tempoLimite = read("TempoLimite");
    settings.outbox = drives.toLocal(OutboxPath);
    return settings;
}

BackOfficeSettings BackOfficeSettings::sqlite(QString file, QString outbox)
{
    BackOfficeSettings settings;
    settings.file = std::move(file);
    settings.outbox = std::move(outbox);
    return settings;
}

BackOfficeSettings::Kind BackOfficeSettings::kind() const
{
    const QString name = driver.trimmed().toUpper();
    return name == u"POSTGRESQL" || name == u"QPSQL" ? Kind::Postgres : Kind::Sqlite;
}

QString BackOfficeSettings::problem() const
{
    const QString name = driver.trimmed().toUpper();
    if (!name.isEmpty() && name != u"SQLITE" && name != u"QSQLITE" && name != u"POSTGRESQL" && name != u"QPSQL")
        return QStringLiteral("Driver=%1 não é suportado (use SQLite ou PostgreSQL)").arg(driver);
    if (kind() == Kind::Sqlite)
        return QString();
    for (const auto& [key, value] :
        { std::pair { "Servidor", &servidor }, { "Banco", &banco }, { "Usuario", &usuario } }) {
        if (value->trimmed().isEmpty())
            return QStringLiteral("falta %1= para o PostgreSQL").arg(QLatin1StringView(key));
    }
    if (!porta.isEmpty() && port() < 0)
        return QStringLiteral("Porta=%1 não é uma porta (1 a 65535)").arg(porta);
    if (!ssl.isEmpty() && sslMode().isEmpty())
        return QStringLiteral("SSL=%1 não é disable, prefer, require nem verify-full").arg(ssl);
    if (!tempoLimite.isEmpty() && timeoutSeconds() < 0)
        return QStringLiteral("TempoLimite=%1 não é um número de segundos (1 a 3600)").arg(tempoLimite);
    return QString();
}

QString BackOfficeSettings::describe() const
{
    if (kind() == Kind::Sqlite)
        return file;
    return QStringLiteral("PostgreSQL %1:%2/%3 (usuário %4)")
        .arg(servidor, porta.isEmpty() ? QStringLiteral("5432") : porta, banco, usuario);
}

int BackOfficeSettings::port() const
{
    return porta.isEmpty() ? 5432 : wholeNumber(porta, 1, 65535);
}

int BackOfficeSettings::timeoutSeconds() const
{
    return tempoLimite.isEmpty() ? 5 : wholeNumber(tempoLimite, 1, 3600);
}

QString BackOfficeSettings::sslMode() const
{
    if (ssl.isEmpty())
        return QStringLiteral("prefer");
    const QString mode = ssl.trimmed().toLower();
    return SslModes.contains(mode) ? mode : QString();
}
