#include "backoffice/backofficeclasses.h"
#include "backoffice/clsmensagememail.h"
#include "backoffice/sqlconnection.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QDirIterator>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <limits>
#include <unistd.h>

namespace {

const QDateTime Moment(QDate(2026, 3, 14), QTime(9, 30, 5));

// A fueling of 1.234 litres as the bridge fills it: every other property zero or a null text
// (which the columns refuse), but Campo19, where a column bound to the wrong property shows.
clsAbastecimento fueling(BackOfficeDatabase& database, qint16 empresa, qint16 bico, const QDateTime& moment)
{
    clsAbastecimento fueling(database);
    fueling.CodigoEmpresa = empresa;
    fueling.NumeroBico = bico;
    fueling.DataAbastecimento = DateValue::fromDate(moment.date());
    fueling.HoraAbastecimento = DateValue::fromTime(moment.time());
    fueling.Quantidade = Money::fromUnits(12340);
    fueling.Campo19 = -fueling.Quantidade;
    return fueling;
}

// The child process of the fuelings test: registers a fueling, moves its nozzle's totalizer by
// its litres as the bridge does (5 + 1.234 must store 6.234 exactly), says so and waits to be
// killed, so the test ends it at the worst moment, right after the calls returned.
int incluiAndWait(const QString& drives)
{
    BackOfficeDatabase database(BackOfficeSettings::fromIni(Drives(drives)));
    clsEncerrante encerrante(database);
    encerrante.Localiza(1, 3);
    encerrante.EncerranteAtual = encerrante.EncerranteAtual + Money::fromUnits(12340);
    if (fueling(database, 1, 3, Moment).Inclui() && encerrante.Altera(1, 3))
        std::puts("INCLUIDO");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}

} // namespace

// The back-office classes on a station's real SQLite file, and the administration tool run as the
// operator runs it.
class TestBackOffice : public QObject {
    Q_OBJECT

    std::optional<TestStation> m_station;

    BackOfficeDatabase& db() { return *m_station->backOffice; }
    QString file() { return db().settings().file; }

    QString tool(const QStringList& arguments) { return TestFiles::run(QStringLiteral(RETAGUARDA_TOOL), arguments); }

    QMap<QString, QByteArray> files()
    {
        QMap<QString, QByteArray> files;
        for (QDirIterator it(m_station->root.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            files.insert(path, TestFiles::read(path));
        }
        return files;
    }

private Q_SLOTS:
    void init()
    {
        m_station.emplace();
        qputenv("AUTOQUORVAN_DRIVES", QFile::encodeName(m_station->root.path())); // for the tool
    }

    // The operator records a station with the tool, and the bridge's classes find it. Company 1's
    // records are written twice: the second must replace every value of the first, but a
    // description left out keeps the one stored.
    void classesFindWhatTheToolRecords()
    {
        for (const char* command : { "produto 7 5.999 --descricao Gasolina", "estoque 1 7 1", "bico 1 3 9 1 --forcar",
                 "encerrante 1 3 5", "produto 7 6,1", "estoque 1 7 7", "bico 1 3 7 1.5", "encerrante 1 3 0.5",
                 "bico 1 4 8 ,5 --forcar", "produto 9 1234,5678 --descricao Diesel", "bico 2 5 9 0",
                 "estoque 2 9 0.0001", "encerrante 2 5 1", "encerrante 1 12 0 --motivo aferição" })
            QCOMPARE(tool(QString::fromUtf8(command).split(u' ')), "0 ");
        QVERIFY(!clsEncerrante(db()).Altera(1, 4)); // a nozzle without a totalizer does not get one
        // A found flag each, then the values. The same objects look up each time, and each misses
        // right after finding, so a miss must also clear what they held.
        clsProduto produto(db());
        clsEstoque estoque(db());
        clsBico nozzle(db());
        clsEncerrante encerrante(db());
        const auto localiza = [&](qint16 empresa, qint16 bico, qint32 codigo) {
            const QString found = QString::asprintf("%d%d%d%d", produto.Localiza(codigo),
                estoque.Localiza(empresa, codigo), nozzle.Localiza(empresa, bico), encerrante.Localiza(empresa, bico));
            return QStringList { found, produto.Descricao, produto.ValorUnitario.toPlainText(),
                estoque.ValorUnitario.toPlainText(), QString::number(nozzle.CodigoProduto),
                nozzle.ValorUnitario.toPlainText(), encerrante.EncerranteAtual.toPlainText() }
                .join(u'|');
        };
        QCOMPARE(localiza(2, 5, 9), "1111|Diesel|1234.5678|0.0001|9|0.0000|1.0000");
        // No product 8, no totalizer of nozzle 4.
        QCOMPARE(localiza(1, 4, 8), "0010||0.0000|0.0000|8|0.5000|0.0000");
        QCOMPARE(localiza(1, 3, 7), "1111|Gasolina|6.1000|7.0000|7|1.5000|0.5000");
        QCOMPARE(localiza(2, 3, 7), "1000|Gasolina|6.1000|0.0000|0|0.0000|0.0000"); // another company
        QCOMPARE(
            tool({ "encerrantes" }), "0 empresa,bico,encerrante_atual\r\n1,3,0.5000\r\n1,12,0.0000\r\n2,5,1.0000\r\n");
        QCOMPARE(
            tool({ "produtos" }), "0 codigo,descricao,valor_unitario\r\n7,Gasolina,6.1000\r\n9,Diesel,1234.5678\r\n");
        QCOMPARE(tool({ "estoques", "--empresa", "2" }), "0 empresa,produto,valor_unitario\r\n2,9,0.0001\r\n");
        QCOMPARE(tool({ "bicos" }),
            "0 empresa,bico,produto,valor_unitario\r\n1,3,7,1.5000\r\n1,4,8,0.5000\r\n2,5,9,0.0000\r\n");
        // Every change of a totalizer is in its history, with the reason given.
        QCOMPARE(m_station->query("SELECT bico, tipo, motivo, antes, depois FROM encerrantes_historico ORDER BY id"),
            QStringList(
                { "3|manual||0|50000", "3|manual||50000|5000", "5|manual||0|10000", "12|manual|aferição|0|0" }));
    }

    // setup: SQL run on our database, "missing", or the bytes the file holds instead. error: what a
    // look-up raises (the SQLite message follows the first row's), @ standing for the file in those
    // of a database that does not open.
    void failuresNameTheirCause_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("error");
        const QString notOpen = QStringLiteral("#3146 clsBico.Localiza: Retaguarda @: ");
        const QString noSchema = notOpen + QStringLiteral("o banco de dados não tem o esquema \"retaguarda\"");
        const QString money = QStringLiteral("#3146 SqlValue.money: valor monetário inválido no banco: ");
        QTest::newRow("missing table")
            << "DROP TABLE bicos"
            << (TestStation::onPostgres()
                       ? QStringLiteral("#3146 clsBico.Localiza: a tabela não existe no banco de dados")
                       : QStringLiteral("#3146 clsBico.Localiza: o banco de dados recusou a operação: no such table"));
        QTest::newRow("another program's database") << "DROP TABLE versao_esquema" << noSchema;
        QTest::newRow("the outbox") << "UPDATE versao_esquema SET esquema = 'mensagens'" << noSchema;
        QTest::newRow("newer schema") << "UPDATE versao_esquema SET versao = 3"
                                      << notOpen + "versão 3 do esquema, esta versão do programa conhece até a 2";
        QTest::newRow("older schema") << "UPDATE versao_esquema SET versao = 1"
                                      << notOpen
                + "o esquema está na versão 1 e esta versão do programa usa a 2: atualize-o com autoquorvan-retaguarda "
                  "atualiza";
        if (TestStation::onPostgres())
            return;
        // SQLite keeps what it is given whatever the column says.
        QTest::newRow("money with a fraction") << "INSERT INTO bicos VALUES (1, 3, 7, 1.5)" << money + "'1.5'";
        QTest::newRow("missing file") << "missing" << notOpen + "arquivo não encontrado";
        QTest::newRow("text file") << QString(200, u'x') << notOpen + "o arquivo não é um banco de dados SQLite";
        QTest::newRow("empty file") << "" << notOpen + "o banco de dados está vazio, sem o esquema (crie-o com init)";
    }
    // A database that is not ours makes Ativa false: a back-office that is not there must be noticed.
    void failuresNameTheirCause()
    {
        QFETCH(QString, setup);
        QFETCH(QString, error);
        if (setup.contains(u' '))
            m_station->sql(setup);
        else if (setup == u"missing")
            QVERIFY(QFile::remove(file()));
        else
            TestFiles::write(file(), setup.toLatin1());
        db().close();
        const bool opens = !error.contains(u'@');
        QCOMPARE(clsConexao(db()).Ativa(), opens);
        error.replace(u'@', db().settings().describe());
        QCOMPARE(
            TestFiles::outcome([this] { return clsBico(db()).Localiza(1, 3), QString(); }, true).left(error.size()),
            error);
        // The bridge may start before the database is restored: the next call finds it.
        if (setup == u"missing") {
            BackOfficeDatabase(db().settings()).create();
            QVERIFY(clsConexao(db()).Ativa());
        }
    }

    // A fueling reported stored is a sale: it must be in the file when the process dies right after
    // the call returns, with no chance to close the database or checkpoint its log. The same fueling
    // again is refused, and one that differs from it in any part of the key (nozzle, company, a second
    // later, the day before) is another sale. The tool lists them in the order registered, which no
    // sorting by a column gives, with money at the 64-bit limits read back exactly.
    void fuelings()
    {
        m_station->addNozzle(3, 7, "5.999", "5");
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--inclui"), m_station->root.path() });
        while (child.bytesAvailable() < 9 && child.waitForReadyRead(60000)) { }
        QCOMPARE(child.readAll(), QByteArray("INCLUIDO\n"));
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished());
        QCOMPARE(m_station->query(QStringLiteral("SELECT * FROM abastecimentos")),
            QStringList { "1|1|3|2026-03-14|09:30:05||0|0|12340|0|0|0|0||0||||0|-12340||0|0" });
        QCOMPARE(m_station->totalizer(3), QStringLiteral("6.2340"));
        QVERIFY(!fueling(db(), 1, 3, Moment).Inclui());
        clsAbastecimento sales[] = { fueling(db(), 1, 4, Moment), fueling(db(), 2, 3, Moment),
            fueling(db(), 1, 3, Moment.addSecs(1)), fueling(db(), 1, 3, Moment.addDays(-1)) };
        sales[0].CodigoProduto = -3;
        sales[0].ValorUnitario = Money::fromUnits(-1);
        sales[0].Quantidade = Money::fromUnits(std::numeric_limits<qint64>::max());
        sales[0].ValorTotal = Money::fromUnits(std::numeric_limits<qint64>::min());
        for (clsAbastecimento& f : sales) {
            const auto existe
                = [&f] { return f.Existe(f.CodigoEmpresa, f.DataAbastecimento, f.HoraAbastecimento, f.NumeroBico); };
            QVERIFY(!existe() && f.Inclui() && existe() && !f.Inclui());
        }
        const QString header = "0 empresa,bico,data,hora,produto,valor_unitario,quantidade,valor_total\r\n";
        const QString lines[] = { "1,3,2026-03-14,09:30:05,0,0.0000,1.2340,0.0000\r\n",
            "1,4,2026-03-14,09:30:05,-3,-0.0001,922337203685477.5807,-922337203685477.5808\r\n",
            "2,3,2026-03-14,09:30:05,0,0.0000,1.2340,0.0000\r\n", "1,3,2026-03-14,09:30:06,0,0.0000,1.2340,0.0000\r\n",
            "1,3,2026-03-13,09:30:05,0,0.0000,1.2340,0.0000\r\n" };
        QCOMPARE(tool({ "abastecimentos" }), header + lines[0] + lines[1] + lines[2] + lines[3] + lines[4]);
        QCOMPARE(tool({ "abastecimentos", "--empresa", "1", "--bico", "3" }), header + lines[0] + lines[3] + lines[4]);
    }

    // The outbox must work exactly when the back-office does not, so the back-office file is missing.
    // The bridge loads a record, changes it and stores it back; the tool lists the records.
    void messageRecords()
    {
        if (!TestStation::onPostgres())
            QVERIFY(QFile::remove(file()));
        const QString header = "0 chave,codigo,empresa,nome_empresa,nome_destinatario,email_destinatario,email_copia,"
                               "assunto,mensagem,data_hora,data_hora_registro,endereco_ip,situacao,liberada\r\n";
        QCOMPARE(tool({ "mensagens" }), header);
        QVERIFY(!QFileInfo::exists(db().settings().outbox)); // listing must not create what the bridge creates
        BackOfficeDatabase other(db().settings());
        clsMensagemEmail message(db()), another(other), loaded(db());
        another.Mensagem = QStringLiteral("A automação \"não\" irá funcionar,\r\nentre em contato");
        // Another program continues the sequence.
        QVERIFY(message.Inclui() && message.Codigo == 1 && another.Inclui() && another.Codigo == 2);
        // Every property changed to a value of its own, so a column bound to the wrong one shows.
        int i = 0;
        for (QString* text : { &message.NomeEmpresa, &message.NomeDestinatario, &message.EmailDestinatario,
                 &message.EmailCopia, &message.Assunto, &message.Mensagem, &message.DataHora, &message.DataHoraRegistro,
                 &message.EnderecoIP })
            *text = QStringLiteral("alterada%1").arg(i++);
        message.Empresa = 8;
        message.Situacao = 80;
        message.Liberada = -8;
        QVERIFY(message.Altera(0, 1) && !message.Altera(1, 2) && !message.Altera(0, 3));
        // Stored again as new records, what Localiza loaded must list the same, and after a miss blank.
        QVERIFY(loaded.Localiza(0, 1) && loaded.Codigo == 1 && loaded.Inclui() && loaded.Codigo == 3);
        QVERIFY(!loaded.Localiza(0, 4) && !loaded.Localiza(1, 1) && loaded.Codigo == 0 && loaded.Inclui());
        const QString altered = ",8,alterada0,alterada1,alterada2,alterada3,alterada4,alterada5,alterada6,alterada7,"
                                "alterada8,80,-8\r\n";
        QCOMPARE(tool({ "mensagens" }),
            header + "0,1" + altered
                + "0,2,0,,,,,,\"A automação \"\"não\"\" irá funcionar,\r\nentre em contato\",,,,0,0\r\n0,3" + altered
                + "0,4,0,,,,,,,,,,0,0\r\n");
        // Its file is made when missing, but a missing folder means the station is not set up.
        BackOfficeDatabase unset(BackOfficeSettings::sqlite(QString(), m_station->onC("ausente/Mensagens.db")));
        QCOMPARE(TestFiles::outcome([&] { return clsMensagemEmail(unset).Inclui(), QString(); }, true),
            QStringLiteral("#3146 clsMensagemEmail.Inclui: Mensagens %1: a pasta %2 não existe")
                .arg(unset.settings().outbox, m_station->onC("ausente")));
    }

    // The tool finds its database where --banco says, a Windows path going through the drives, or
    // as the bridge does, where a bare file name in the settings sits beside them.
    void toolFindsItsDatabase()
    {
        if (TestStation::onPostgres())
            QSKIP("--banco and Arquivo= name SQLite files");
        const QString other = m_station->systemFolder() + QStringLiteral("/Outro.db");
        QCOMPARE(
            tool({ "--banco", "C:\\QUORVAN\\AutoQuorvanNolvex\\Outro.db", "init" }), "0 Banco criado: " + other + "\n");
        QCOMPARE(tool({ "encerrante", "--banco=" + other, "2", "1", "7" }), "0 ");
        const QByteArray bytes = TestFiles::read(other);
        const QString ini = m_station->systemFolder() + QStringLiteral("/Retaguarda.INI");
        TestFiles::write(ini, "[retaguarda]\r\narquivo=Outro.db\r\n");
        QCOMPARE(tool({ "init" }), "0 Banco já preparado: " + other + "\n");
        QCOMPARE(TestFiles::read(other), bytes);
        QCOMPARE(tool({ "encerrantes" }), "0 empresa,bico,encerrante_atual\r\n2,1,7.0000\r\n");
    }

    // A setting that cannot be used is named with its key, and the password shows nowhere.
    void settingsNameTheirKey_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("error");
        const QByteArray server
            = "Driver=PostgreSQL\r\nServidor=/nao/existe\r\nBanco=posto\r\nUsuario=caixa\r\nSenha=s3nh4\r\n";
        QTest::newRow("unknown driver") << QByteArray("Driver=Oracle\r\n")
                                        << "Driver=Oracle não é suportado (use SQLite ou PostgreSQL)";
        QTest::newRow("no database") << QByteArray("Driver=PostgreSQL\r\nServidor=matriz\r\nUsuario=caixa\r\n")
                                     << "falta Banco= para o PostgreSQL";
        QTest::newRow("port that is no port") << server + "Porta=70000\r\n"
                                              << "Porta=70000 não é uma porta (1 a 65535)";
        QTest::newRow("unknown SSL mode") << server + "SSL=sempre\r\n"
                                          << "SSL=sempre não é disable, prefer, require nem verify-full";
        QTest::newRow("timeout that is no number") << server + "TempoLimite=5s\r\n"
                                                   << "TempoLimite=5s não é um número de segundos (1 a 3600)";
        QTest::newRow("server that does not answer")
            << server + "SSL=disable\r\n"
            << "PostgreSQL /nao/existe:5432/posto (usuário caixa): não foi possível conectar ao servidor";
    }
    void settingsNameTheirKey()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, error);
        TestFiles::write(m_station->systemFolder() + QStringLiteral("/Retaguarda.INI"), "[RETAGUARDA]\r\n" + settings);
        const QString result = tool({ "encerrantes" });
        QVERIFY2(result.contains(error) && !result.contains(QStringLiteral("s3nh4")), qPrintable(result));
        QVERIFY(result.startsWith(error.contains(QStringLiteral("conectar")) ? "1 " : "2 "));
    }

    // An older schema of ours is refused by the bridge until atualiza brings it to our version in
    // place; the rows stay. The SQLite file below was made by the first version of the program.
    void atualizaUpgradesInPlace()
    {
        if (!TestStation::onPostgres())
            QVERIFY(QFile::copy(QStringLiteral(TEST_DATA "/retaguarda-versao-1.db"), file())
                || (QFile::remove(file()) && QFile::copy(QStringLiteral(TEST_DATA "/retaguarda-versao-1.db"), file())));
        else
            for (const char* statement :
                { "DROP TABLE encerrantes_historico", "DROP TABLE situacao", "DROP TABLE situacao_bicos",
                    "UPDATE versao_esquema SET versao = 1", "INSERT INTO encerrantes VALUES (1, 2, 12345678)" })
                m_station->sql(QString::fromLatin1(statement));
        QFile::setPermissions(file(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        db().close();
        QVERIFY(!clsConexao(db()).Ativa());
        QCOMPARE(db().status(), BackOfficeDatabase::Status::Older);
        const QString encerrantes = tool({ "encerrantes" });
        QVERIFY2(encerrantes.startsWith("2 ") && encerrantes.contains("atualiza"), qPrintable(encerrantes));
        QCOMPARE(
            tool({ "atualiza" }), "0 Esquema atualizado da versão 1 para a 2: " + db().settings().describe() + "\n");
        QCOMPARE(tool({ "atualiza" }), "0 O esquema já está na versão 2: " + db().settings().describe() + "\n");
        QVERIFY(clsConexao(db()).Ativa());
        QVERIFY(tool({ "encerrantes" }).contains("1,2,1234.5678\r\n"));
        QVERIFY(tool({ "historico" }).startsWith("0 empresa,bico,data_hora,tipo,motivo,litros,antes,depois,"));
    }

    // A database that may be read but not written can still be listed, by a user who may only read.
    void listingOnlyReads()
    {
        if (TestStation::onPostgres())
            QSKIP("the server's own permissions decide who reads; the file's are SQLite's");
        m_station->addNozzle(3, 7, "5.999", "5");
        db().close();
        QFile::setPermissions(file(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        QStringList command { QStringLiteral(RETAGUARDA_TOOL), QStringLiteral("encerrantes") };
        if (::geteuid() == 0) {
            command = QStringList { "setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--" } + command;
            for (QString path = file(); path != QDir::rootPath(); path = QFileInfo(path).path())
                QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOther | QFileDevice::ReadOther);
        }
        QCOMPARE(TestFiles::run(command.first(), command.mid(1)), "0 empresa,bico,encerrante_atual\r\n1,3,5.0000\r\n");
    }

    void toolRefusesBadInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList();
        QTest::newRow("unknown command") << QStringList { "vender" };
        QTest::newRow("missing argument") << QStringList { "bico", "1", "3", "7" };
        QTest::newRow("extra argument") << QStringList { "encerrante", "1", "3", "5", "9" };
        QTest::newRow("nozzle beyond 16 bits") << QStringList { "encerrante", "1", "40000", "1" };
        QTest::newRow("company -1") << QStringList { "encerrante", "-1", "3", "1" };
        QTest::newRow("product 0") << QStringList { "produto", "0", "1" };
        QTest::newRow("product the bridge cannot hold") << QStringList { "produto", "40000", "1" };
        QTest::newRow("negative price") << QStringList { "produto", "7", "-4.29" };
        QTest::newRow("negative totalizer") << QStringList { "encerrante", "1", "3", "-0.5" };
        QTest::newRow("more decimals than stored") << QStringList { "produto", "7", "6.29999" };
        QTest::newRow("nozzle of an unknown product") << QStringList { "bico", "1", "3", "99", "5.99" };
        QTest::newRow("flag with a value") << QStringList { "bico", "1", "3", "99", "5.99", "--forcar=sim" };
        QTest::newRow("price with thousands") << QStringList { "produto", "7", "1.234,56" };
        QTest::newRow("unknown option") << QStringList { "abastecimentos", "--posto", "1" };
        QTest::newRow("option of another command") << QStringList { "encerrantes", "--bico", "1" };
        QTest::newRow("option without value") << QStringList { "abastecimentos", "--empresa" };
        QTest::newRow("init over another program's database") << QStringList { "--banco", "@outro.db", "init" };
        QTest::newRow("missing database") << QStringList { "--banco", "@nenhum.db", "encerrantes" };
    }
    void toolRefusesBadInput()
    {
        QFETCH(QStringList, arguments);
        BackOfficeDatabase(BackOfficeSettings::sqlite(QString(), m_station->onC("outro.db"))).outbox("teste");
        arguments.replaceInStrings(QStringLiteral("@"), m_station->onC(QString()));
        const QMap<QString, QByteArray> before = files();
        const QString result = tool(arguments);
        QVERIFY2(result.startsWith("2 autoquorvan-retaguarda: ") && result.count(u'\n') == 1 && result.endsWith(u'\n'),
            qPrintable(result));
        QVERIFY(files() == before);
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--inclui") == 0)
        return incluiAndWait(QString::fromLocal8Bit(argv[2]));
    TestBackOffice test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backoffice.moc"
