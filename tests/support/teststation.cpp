#include "support/teststation.h"

#include "backoffice/backofficeadmin.h"
#include "backoffice/sqlconnection.h"
#include "backoffice/tables.h"
#include "dbase/datacontrol.h"
#include "dbase/pumptable.h"
#include "support/rawdbf.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

// Creates or drops a database on the test server, through a connection of the test's own.
void onServer(const QString& statement)
{
    const QString name = QUuid::createUuid().toString(QUuid::Id128);
    {
        QSqlDatabase server = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        server.setHostName(qEnvironmentVariable("AUTOQUORVAN_TEST_PG_HOST"));
        server.setPort(qEnvironmentVariable("AUTOQUORVAN_TEST_PG_PORT").toInt());
        server.setUserName(qEnvironmentVariable("AUTOQUORVAN_TEST_PG_USER"));
        server.setDatabaseName(QStringLiteral("postgres"));
        if (!server.open())
            qFatal("the test server does not answer: %s", qPrintable(server.lastError().text()));
        QSqlQuery query(server);
        if (!query.exec(statement))
            qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

bool TestStation::onPostgres()
{
    return qEnvironmentVariable("AUTOQUORVAN_TEST_ENGINE") == u"postgresql";
}

TestStation::TestStation(const TestStation& chain)
    : drives(root.path())
{
    makeFolders();
    QFile::copy(
        chain.systemFolder() + QStringLiteral("/Retaguarda.INI"), systemFolder() + QStringLiteral("/Retaguarda.INI"));
    backOffice = std::make_unique<BackOfficeDatabase>(BackOfficeSettings::fromIni(drives));
}

void TestStation::makeFolders()
{
    for (const QString& folder : { systemFolder(), pumpFolder(), exchangeFolder() })
        QDir().mkpath(folder);
}

TestStation::TestStation()
    : drives(root.path())
{
    makeFolders();
    if (onPostgres()) {
        m_database = QStringLiteral("estacao_%1").arg(QRandomGenerator::global()->generate64(), 0, 16);
        onServer(QStringLiteral("CREATE DATABASE %1").arg(m_database));
        TestFiles::write(systemFolder() + QStringLiteral("/Retaguarda.INI"),
            "[RETAGUARDA]\r\nDriver=PostgreSQL\r\nServidor="
                + qEnvironmentVariable("AUTOQUORVAN_TEST_PG_HOST").toLocal8Bit() + "\r\nPorta="
                + qEnvironmentVariable("AUTOQUORVAN_TEST_PG_PORT").toLatin1() + "\r\nBanco=" + m_database.toLatin1()
                + "\r\nUsuario=" + qEnvironmentVariable("AUTOQUORVAN_TEST_PG_USER").toLatin1() + "\r\nSSL=disable\r\n");
    }
    BackOfficeDatabase(BackOfficeSettings::fromIni(drives)).create();
    // A handle of its own for the bridge, opened only when the bridge asks.
    backOffice = std::make_unique<BackOfficeDatabase>(BackOfficeSettings::fromIni(drives));
}

TestStation::~TestStation()
{
    bridge.reset();
    backOffice.reset();
    if (!m_database.isEmpty())
        onServer(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(m_database));
}

QString TestStation::onC(const QString& relative) const
{
    return root.filePath(QStringLiteral("C/") + relative);
}

void TestStation::writeIni(const QByteArray& content)
{
    TestFiles::write(systemFolder() + QStringLiteral("/AutoQuorvan.INI"), content);
}

QByteArray TestStation::iniFor(int bicos, const QByteArray& computer, int empresa)
{
    return "[LOCALIZACAO]\r\n"
           "Local banco dados nolvex=C:\\wdn\\matriz\r\n"
           "Computador com automacao="
        + computer + "\r\n[OUTRAS]\r\nQuantidade de Bicos=" + QByteArray::number(bicos) + "\r\nCodigo da Empresa="
        + QByteArray::number(empresa) + "\r\nNome da Empresa=Auto Posto Jo\xE3o de Barro\r\nEmpresaGlobal=1\r\n";
}

Bridge::StartupOutcome TestStation::start(int bicos)
{
    writeIni(iniFor(bicos));
    bridge = std::make_unique<Bridge>(ports());
    return bridge->Form_Load();
}

void TestStation::writePumpTable(const QString& name, const QByteArrayList& records) const
{
    TestFiles::write(pumpFolder() + u'/' + name, RawDbf::table(records));
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

void TestStation::addNozzle(qint16 bico, qint32 produto, const char* preco, const char* encerrante, qint16 empresa)
{
    const auto money = [](const char* text) { return *Money::fromText(QString::fromLatin1(text), u'.'); };
    BackOfficeAdmin::gravaBico(*backOffice, empresa, bico, produto, money(preco));
    if (encerrante)
        BackOfficeAdmin::gravaEncerrante(*backOffice, empresa, bico, money(encerrante), QString(), clock.now());
}

QStringList TestStation::fuelings() const
{
    QStringList rows;
    const QStringList columns
        = QStringLiteral("bico data hora produto valor_unitario quantidade valor_total").split(u' ');
    for (const QStringList& row :
        BackOfficeAdmin::listagem(*backOffice, Tables::abastecimentos(), {}, QStringLiteral("id"), columns).rows)
        rows += row.join(u' ');
    return rows;
}

QString TestStation::totalizer(qint16 bico, qint16 empresa) const
{
    const auto rows = BackOfficeAdmin::listagem(*backOffice, Tables::encerrantes(),
        { { QStringLiteral("empresa"), empresa }, { QStringLiteral("bico"), bico } }, QString(),
        { QStringLiteral("encerrante_atual") })
                          .rows;
    return rows.isEmpty() ? QString() : rows.first().first();
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

void TestStation::sql(const QString& statement) const
{
    backOffice->call([&] { backOffice->records("teste").run(statement, "teste"); });
}

QStringList TestStation::query(const QString& statement) const
{
    return backOffice->call([&] {
        QStringList result;
        for (const SqlRow& row : backOffice->records("teste").rows(statement, {}, "teste")) {
            QStringList fields;
            for (const QVariant& value : row)
                fields << value.toString();
            result << fields.join(u'|');
        }
        return result;
    });
}

void TestStation::addTrigger(const QString& table, const QString& event, const QString& message) const
{
    if (!onPostgres()) {
        sql(QStringLiteral("CREATE TRIGGER falha_%1 BEFORE %2 ON %1 BEGIN SELECT RAISE(%3); END")
                .arg(table, event, message.isEmpty() ? QStringLiteral("IGNORE") : "ABORT, '" + message + "'"));
        return;
    }
    sql(QStringLiteral("CREATE FUNCTION falha_%1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN %2; END $$")
            .arg(table, message.isEmpty() ? QStringLiteral("RETURN NULL") : "RAISE EXCEPTION '" + message + "'"));
    sql(QStringLiteral("CREATE TRIGGER falha_%1 BEFORE %2 ON %1 FOR EACH ROW EXECUTE FUNCTION falha_%1()")
            .arg(table, event));
}

void TestStation::dropTrigger(const QString& table) const
{
    if (!onPostgres()) {
        sql(QStringLiteral("DROP TRIGGER falha_%1").arg(table));
        return;
    }
    sql(QStringLiteral("DROP TRIGGER falha_%1 ON %1").arg(table));
    sql(QStringLiteral("DROP FUNCTION falha_%1()").arg(table));
}

QStringList TestStation::lockTotalizers()
{
    if (!onPostgres())
        return { QStringLiteral("BEGIN IMMEDIATE") };
    return { QStringLiteral("BEGIN"), QStringLiteral("LOCK TABLE encerrantes IN EXCLUSIVE MODE") };
}

QProcessEnvironment TestStation::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("AUTOQUORVAN_DRIVES"), root.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.warning=false"));
    return environment;
}

void TestStation::addPumps(int nozzles, const QString& writer, qint16 empresa)
{
    for (qint16 bico = 1; bico <= nozzles; ++bico) {
        addNozzle(bico, 1, "5.99", "1000", empresa);
        QProcess::execute(
            writer, { pumpFolder(), QString::number(bico), QStringLiteral("--quantidade"), QStringLiteral("0") });
    }
    backOffice->close();
}

void TestStation::startPump(
    QProcess& pump, const QString& writer, int bico, int count, int intervalMs, const QString& litros) const
{
    pump.start(writer,
        { pumpFolder(), QString::number(bico), QStringLiteral("--quantidade"), QString::number(count),
            QStringLiteral("--intervalo-ms"), QString::number(intervalMs), QStringLiteral("--litros"), litros,
            QStringLiteral("--valor"), QStringLiteral("10") });
}
