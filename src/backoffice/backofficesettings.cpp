#include "backoffice/backofficesettings.h"

#include "common/leini.h"

namespace {

bool isRelativeWindowsPath(const QString& path)
{
    const bool drive = path.size() >= 2 && path[1] == u':';
    return !drive && !path.startsWith(u'\\') && !path.startsWith(u'/');
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
    if (name.isEmpty() || name == u"SQLITE" || name == u"QSQLITE" || name == u"SQLITE3")
        return Kind::Sqlite;
    return Kind::Server;
}

QString BackOfficeSettings::describe() const
{
    if (kind() == Kind::Sqlite)
        return file;
    return QStringLiteral("%1 %2:%3/%4 (usuário %5)").arg(driver, servidor, porta, banco, usuario);
}
