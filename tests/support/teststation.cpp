#include "support/teststation.h"

#include "backoffice/backofficeadmin.h"
#include "dbase/datacontrol.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFileInfo>

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

QStringList TestStation::logLines() const
{
    QStringList lines = QString::fromLatin1(logFile()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    lines.removeIf([](const QString& line) { return line.endsWith(QStringLiteral(" - AutoQuorvan Iniciado: ")); });
    return lines;
}

void TestStation::addNozzle(qint16 bico, qint32 produto, const char* preco, const char* encerrante)
{
    const auto money = [](const char* text) { return *Money::fromText(QString::fromLatin1(text), u'.'); };
    BackOfficeAdmin::gravaBico(*backOffice, 1, bico, produto, money(preco));
    if (encerrante)
        BackOfficeAdmin::gravaEncerrante(*backOffice, 1, bico, money(encerrante));
}

QStringList TestStation::fuelings() const
{
    QStringList rows;
    for (const QStringList& row : BackOfficeAdmin::abastecimentos(*backOffice, {}, {}).rows)
        rows += row.mid(1).join(u' ');
    return rows;
}

QString TestStation::totalizer(qint16 bico) const
{
    for (const QStringList& row : BackOfficeAdmin::encerrantes(*backOffice, {}).rows) {
        if (row[0] == u"1" && row[1].toInt() == bico)
            return row[2];
    }
    return QString();
}

QStringList TestStation::pumpRecords(const QString& table) const
{
    DataControl control(drives);
    control.setDatabaseName(QStringLiteral("C:\\wdn\\matriz"));
    control.setRecordSource(table);
    if (!QFileInfo::exists(control.tablePath()))
        return {};
    control.Refresh();
    QStringList records;
    for (; !control.Eof(); control.MoveNext()) {
        QStringList values;
        for (const char16_t* field : { u"Data", u"Hora", u"Litros", u"Valor" })
            values += control.Fields(field).text();
        records += values.join(u'|');
    }
    return records;
}
