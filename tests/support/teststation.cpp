#include "support/teststation.h"

#include "support/testfiles.h"

#include <QDir>

TestStation::TestStation()
    : drives(root.path())
{
    for (const QString& folder : { systemFolder(), pumpFolder(), exchangeFolder() })
        QDir().mkpath(folder);
    BackOfficeDatabase(BackOfficeSettings::fromIni(drives)).create();
    // A handle of its own for the bridge, opened only when the bridge asks.
    backOffice = std::make_unique<BackOfficeDatabase>(BackOfficeSettings::fromIni(drives));
}

QString TestStation::onC(const QString& relative) const
{
    return root.filePath(QStringLiteral("C/") + relative);
}

void TestStation::writeIni(const QByteArray& content)
{
    TestFiles::write(systemFolder() + QStringLiteral("/AutoQuorvan.INI"), content);
}

QByteArray TestStation::iniFor(int bicos, const QByteArray& computer)
{
    return "[LOCALIZACAO]\r\n"
           "Local banco dados nolvex=C:\\wdn\\matriz\r\n"
           "Computador com automacao="
        + computer
        + "\r\n"
          "[OUTRAS]\r\n"
          "Quantidade de Bicos="
        + QByteArray::number(bicos)
        + "\r\n"
          "Codigo da Empresa=1\r\n"
          "Nome da Empresa=Auto Posto Jo\xE3o de Barro\r\n"
          "EmpresaGlobal=1\r\n";
}

QByteArray TestStation::logFile() const
{
    return TestFiles::read(systemFolder() + QStringLiteral("/AUTOMACAO_")
        + clock.now().toString(QStringLiteral("dd_MM_yyyy_HH")) + QStringLiteral(".LOG"));
}
