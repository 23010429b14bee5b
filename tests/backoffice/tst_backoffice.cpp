#include "backoffice/backofficeadmin.h"
#include "backoffice/backofficeclasses.h"
#include "backoffice/clsmensagememail.h"
#include "backoffice/sqlconnection.h"
#include "common/error.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QDirIterator>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <limits>

namespace {

const QDateTime Moment(QDate(2026, 3, 14), QTime(9, 30, 5));

// The error an action raises as "number description"; empty when it raises none.
QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        return QString::number(error.number()) + u' ' + error.description();
    }
    return QString();
}

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

// The child process of fuelingSurvivesKill: registers a fueling, moves its totalizer, says so and
// waits to be killed, so the test ends it at the worst moment, right after the calls returned.
int incluiAndWait(const QString& file)
{
    BackOfficeDatabase database(BackOfficeSettings::sqlite(file, QString()));
    clsEncerrante encerrante(database);
    encerrante.EncerranteAtual = Money::fromUnits(62340);
    if (fueling(database, 1, 3, Moment).Inclui() && encerrante.Altera(1, 3))
        std::puts("INCLUIDO");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}

// Every property of the message; with a mark, first set to values that differ from each other and
// from those of a mark of another length, so a column bound to the wrong property shows.
QStringList properties(clsMensagemEmail& m, const QString& mark = QString())
{
    const QList<QString*> texts { &m.NomeEmpresa, &m.NomeDestinatario, &m.EmailDestinatario, &m.EmailCopia, &m.Assunto,
        &m.Mensagem, &m.DataHora, &m.DataHoraRegistro, &m.EnderecoIP };
    if (!mark.isNull()) {
        for (int i = 0; i < texts.size(); ++i)
            *texts[i] = mark + QString::number(i);
        m.Empresa = qint16(mark.size());
        m.Situacao = 10 * int(mark.size());
        m.Liberada = qint16(-mark.size());
    }
    QStringList values { QString::number(m.Empresa), QString::number(m.Codigo), QString::number(m.Situacao),
        QString::number(m.Liberada) };
    for (const QString* text : texts)
        values += *text;
    return values;
}

} // namespace

// The back-office classes on a station's real SQLite file, and the administration tool run as the
// operator runs it.
class TestBackOffice : public QObject {
    Q_OBJECT

    std::optional<TestStation> m_station;

    BackOfficeDatabase& db() { return *m_station->backOffice; }
    QString file() { return db().settings().file; }

    // Runs SQL on the station's database through a handle of its own: the first row as "a|b|c".
    QString sql(const QString& statement)
    {
        BackOfficeDatabase other(db().settings());
        SqlConnection& connection = other.records("teste");
        const auto row = connection.first(connection.statement(statement, "teste"), "teste");
        return QVariant(row.value_or(QVariantList())).toStringList().join(u'|');
    }

    // What the classes load for a product, the company's stock item of it, a nozzle and its
    // totalizer: a found flag each, then the values. Each object first loads a record that exists,
    // so a miss must also clear what it held.
    QString localiza(qint16 empresa, qint16 bico, qint32 codigo)
    {
        clsProduto produto(db());
        clsEstoque estoque(db());
        clsBico nozzle(db());
        clsEncerrante encerrante(db());
        produto.Localiza(7), estoque.Localiza(1, 7), nozzle.Localiza(1, 3), encerrante.Localiza(1, 3);
        QString found;
        for (const bool each : { produto.Localiza(codigo), estoque.Localiza(empresa, codigo),
                 nozzle.Localiza(empresa, bico), encerrante.Localiza(empresa, bico) })
            found += each ? u'1' : u'0';
        return QStringList { found, produto.Descricao, produto.ValorUnitario.toPlainText(),
            estoque.ValorUnitario.toPlainText(), QString::number(nozzle.CodigoProduto),
            nozzle.ValorUnitario.toPlainText(), encerrante.EncerranteAtual.toPlainText() }
            .join(u'|');
    }

    // The tool's exit code, a space, then what it wrote on standard output and standard error.
    QString tool(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral(RETAGUARDA_TOOL), arguments);
        const bool exited = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
        return QString::number(exited ? process.exitCode() : -1) + u' '
            + QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    }

    // Every file under the drives with its bytes.
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
    // Seeded through a handle of its own, so the station's handle first opens in the test.
    void init()
    {
        m_station.emplace();
        qputenv("AUTOQUORVAN_DRIVES", QFile::encodeName(m_station->root.path())); // for the tool
        BackOfficeDatabase seed(db().settings());
        BackOfficeAdmin::gravaProduto(seed, 7, Money::fromUnits(59990), QStringLiteral("Gasolina"));
        BackOfficeAdmin::gravaEstoque(seed, 1, 7, Money::fromUnits(61000));
        BackOfficeAdmin::gravaBico(seed, 1, 3, 7, Money::fromUnits(59990));
        BackOfficeAdmin::gravaBico(seed, 1, 4, 40000, Money::fromUnits(1));
        BackOfficeAdmin::gravaEncerrante(seed, 1, 3, Money::fromUnits(50000));
    }

    void lookUps()
    {
        QCOMPARE(localiza(1, 3, 7), "1111|Gasolina|5.9990|6.1000|7|5.9990|5.0000");
        // A product code past 16 bits; no product 9, no totalizer of nozzle 4.
        QCOMPARE(localiza(1, 4, 9), "0010||0.0000|0.0000|40000|0.0001|0.0000");
        QCOMPARE(localiza(2, 3, 7), "1000|Gasolina|5.9990|0.0000|0|0.0000|0.0000"); // another company
    }

    // Existe before and after Inclui; the same fueling again is refused, and one that differs in any
    // part of the key (company, nozzle, seconds after the first) is another sale.
    void duplicateKey_data()
    {
        QTest::addColumn<QList<int>>("key");
        QTest::newRow("another nozzle") << QList<int> { 1, 4, 0 };
        QTest::newRow("another company") << QList<int> { 2, 3, 0 };
        QTest::newRow("one second later") << QList<int> { 1, 3, 1 };
        QTest::newRow("another day") << QList<int> { 1, 3, 86400 };
    }
    void duplicateKey()
    {
        QFETCH(QList<int>, key);
        const auto existe = [](clsAbastecimento& f) {
            return f.Existe(f.CodigoEmpresa, f.DataAbastecimento, f.HoraAbastecimento, f.NumeroBico);
        };
        clsAbastecimento first = fueling(db(), 1, 3, Moment);
        clsAbastecimento second = fueling(db(), qint16(key[0]), qint16(key[1]), Moment.addSecs(key[2]));
        QVERIFY(!existe(first) && first.Inclui() && existe(first));
        QVERIFY(!first.Inclui());
        QVERIFY(!existe(second) && second.Inclui() && existe(second));
        QCOMPARE(m_station->fuelings().size(), 2);
    }

    void totalizerKeepsMoneyExact_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::newRow("5 + 1.234") << qint64(50000);
        QTest::newRow("up to the largest") << std::numeric_limits<qint64>::max() - 12340;
    }
    void totalizerKeepsMoneyExact()
    {
        QFETCH(qint64, start);
        BackOfficeAdmin::gravaEncerrante(db(), 1, 3, Money::fromUnits(start));
        clsEncerrante encerrante(db());
        QVERIFY(encerrante.Localiza(1, 3));
        encerrante.EncerranteAtual = encerrante.EncerranteAtual + Money::fromUnits(12340);
        QVERIFY(encerrante.Altera(1, 3));
        QVERIFY(!encerrante.Altera(1, 4)); // a nozzle without a totalizer does not get one
        QCOMPARE(sql(QStringLiteral("SELECT group_concat(bico || '=' || encerrante_atual) FROM encerrantes")),
            QStringLiteral("3=%1").arg(start + 12340));
    }

    // setup: SQL run on our database, "missing", or the bytes the file holds instead. error: what a
    // look-up raises (the SQLite message follows the first row's), @ standing for the file in those
    // of a database that does not open.
    void failuresNameTheirCause_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("error");
        const QString notOpen = QStringLiteral("3146 clsBico.Localiza: Retaguarda @: ");
        const QString noSchema = notOpen + QStringLiteral("o banco de dados não tem o esquema \"retaguarda\"");
        const QString money = QStringLiteral("3146 SqlValue.money: valor monetário inválido no banco: ");
        QTest::newRow("missing table") << "DROP TABLE bicos" << QStringLiteral("3146 clsBico.Localiza: no such table");
        QTest::newRow("money that is no count") << "UPDATE bicos SET valor_unitario = 'abc'" << money + "'abc'";
        QTest::newRow("money with a fraction") << "UPDATE bicos SET valor_unitario = 1.5" << money + "'1.5'";
        QTest::newRow("missing file") << "missing" << notOpen + "arquivo não encontrado";
        QTest::newRow("text file") << QString(200, u'x') << notOpen + "o arquivo não é um banco de dados SQLite";
        QTest::newRow("empty file") << "" << notOpen + "o banco de dados está vazio, sem o esquema";
        QTest::newRow("another program's database") << "DROP TABLE versao_esquema" << noSchema;
        QTest::newRow("the outbox") << "UPDATE versao_esquema SET esquema = 'mensagens'" << noSchema;
        QTest::newRow("newer schema") << "UPDATE versao_esquema SET versao = 2"
                                      << notOpen + "versão 2 do esquema, esta versão do programa conhece até a 1";
    }
    // A database that is not ours makes Ativa false, and looking never creates or changes a file: a
    // back-office that is not there must be noticed.
    void failuresNameTheirCause()
    {
        QFETCH(QString, setup);
        QFETCH(QString, error);
        if (setup.startsWith(u"DROP") || setup.startsWith(u"UPDATE"))
            sql(setup);
        else if (setup == u"missing")
            QVERIFY(QFile::remove(file()));
        else
            TestFiles::write(file(), setup.toLatin1());
        const QMap<QString, QByteArray> before = files();
        const bool opens = !error.contains(u'@');
        QCOMPARE(clsConexao(db()).Ativa(), opens);
        error.replace(u'@', file());
        QCOMPARE(errorOf([this] { clsBico(db()).Localiza(1, 3); }).left(error.size()), error);
        if (opens)
            return;
        QVERIFY(files() == before);
        // The bridge may start before the database is restored: the next call finds it.
        if (setup == u"missing") {
            BackOfficeDatabase(db().settings()).create();
            QVERIFY(clsConexao(db()).Ativa());
        }
    }

    // A fueling reported stored is a sale: it must be in the file when the process dies right after
    // the call returns, with no chance to close the database or checkpoint its log.
    void fuelingSurvivesKill()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--inclui"), file() });
        while (child.bytesAvailable() < 9 && child.waitForReadyRead(60000)) { }
        QCOMPARE(child.readAll(), QByteArray("INCLUIDO\n"));
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished());
        QCOMPARE(sql(QStringLiteral("SELECT * FROM abastecimentos")),
            "1|1|3|2026-03-14|09:30:05||0|0|12340|0|0|0|0||0||||0|-12340||0|0");
        QCOMPARE(m_station->totalizer(3), QStringLiteral("6.2340"));
    }

    // The outbox must work exactly when the back-office does not, so the back-office file is missing.
    // The bridge loads a record, changes it and stores it back; the tool lists the records.
    void messageRecords()
    {
        const QString header = "0 chave,codigo,empresa,nome_empresa,nome_destinatario,email_destinatario,email_copia,"
                               "assunto,mensagem,data_hora,data_hora_registro,endereco_ip,situacao,liberada\r\n";
        QCOMPARE(tool({ "mensagens" }), header);
        QVERIFY(!QFileInfo::exists(db().settings().outbox)); // listing must not create what the bridge creates
        BackOfficeDatabase database(BackOfficeSettings::sqlite(m_station->onC("ausente.db"), db().settings().outbox));
        BackOfficeDatabase other(database.settings());
        clsMensagemEmail message(database), another(other), loaded(database), blank(database);
        properties(message, QStringLiteral("um"));
        properties(another, QStringLiteral("dois"));
        another.Mensagem = QStringLiteral("A automação \"não\" irá funcionar,\r\nentre em contato");
        QVERIFY(message.Inclui() && another.Inclui()); // another program continues the sequence
        properties(message, QStringLiteral("alterada"));
        QVERIFY(message.Altera(0, 1) && !message.Altera(1, 2) && !message.Altera(0, 3));
        QVERIFY(loaded.Localiza(0, 1));
        QCOMPARE(properties(loaded), properties(message));
        QVERIFY(loaded.Localiza(0, 2));
        QCOMPARE(properties(loaded), properties(another));
        QVERIFY(!loaded.Localiza(1, 2) && !blank.Localiza(0, 3));
        QCOMPARE(properties(loaded), properties(blank));
        QVERIFY(!QFileInfo::exists(database.settings().file));
        QCOMPARE(tool({ "mensagens" }),
            header
                + "0,1,8,alterada0,alterada1,alterada2,alterada3,alterada4,alterada5,alterada6,alterada7,"
                  "alterada8,80,-8\r\n0,2,4,dois0,dois1,dois2,dois3,dois4,\"A automação \"\"não\"\" irá "
                  "funcionar,\r\nentre em contato\",dois6,dois7,dois8,40,-4\r\n");
        // Its file is made when missing, but a missing folder means the station is not set up.
        BackOfficeDatabase unset(BackOfficeSettings::sqlite(QString(), m_station->onC("ausente/Mensagens.db")));
        QCOMPARE(errorOf([&] { clsMensagemEmail(unset).Inclui(); }),
            QStringLiteral("3146 clsMensagemEmail.Inclui: Mensagens %1: a pasta %2 não existe")
                .arg(unset.settings().outbox, m_station->onC("ausente")));
        QVERIFY(!QFileInfo::exists(m_station->onC("ausente")));
    }

    void toolCommands()
    {
        // A Windows path goes through the drives; "-2" is a value, not an option.
        const QString other = m_station->root.filePath("D/outro.db");
        QCOMPARE(tool({ "--banco", "D:\\outro.db", "init" }), "0 Banco criado: " + other + "\n");
        QCOMPARE(tool({ "encerrante", "--banco", "D:\\outro.db", "-2", "1", "7" }), "0 ");
        const QByteArray bytes = TestFiles::read(other);
        QCOMPARE(tool({ "--banco=" + other, "init" }), "0 Banco já preparado: " + other + "\n");
        QCOMPARE(TestFiles::read(other), bytes);
        QCOMPARE(tool({ "encerrantes", "--banco", other }), "0 empresa,bico,encerrante_atual\r\n-2,1,7.0000\r\n");
        // Company 1's records replace the seeded ones; company 2's are new.
        const QList<QStringList> commands { { "produto", "7", "6,1" }, { "estoque", "1", "7", "7" },
            { "bico", "1", "3", "40000", "1.5" }, { "encerrante", "1", "3", "-0.5" },
            { "produto", "9", "1234,5678", "--descricao", "Diesel S10" }, { "estoque", "2", "9", ",5" },
            { "bico", "2", "5", "9", "0" }, { "encerrante", "2", "5", "1" }, { "encerrante", "1", "12", "0" } };
        for (const QStringList& command : commands)
            QCOMPARE(tool(command), "0 ");
        QCOMPARE(localiza(1, 3, 7), "1111||6.1000|7.0000|40000|1.5000|-0.5000");
        QCOMPARE(localiza(2, 5, 9), "1111|Diesel S10|1234.5678|0.5000|9|0.0000|1.0000");
        const QString header = "0 empresa,bico,encerrante_atual\r\n";
        QCOMPARE(tool({ "encerrantes" }), header + "1,3,-0.5000\r\n1,12,0.0000\r\n2,5,1.0000\r\n");
        QCOMPARE(tool({ "encerrantes", "--empresa", "2" }), header + "2,5,1.0000\r\n");
        // The tool reads the bridge's settings: a bare file name sits beside them; a server opens
        // nothing in this build, and its password shows nowhere.
        const QString ini = m_station->systemFolder() + QStringLiteral("/Retaguarda.INI");
        QVERIFY(clsMensagemEmail(db()).Inclui());
        TestFiles::write(ini, "[retaguarda]\r\narquivo=Outro.db\r\n");
        QCOMPARE(tool({ "init" }), "0 Banco criado: " + m_station->systemFolder() + "/Outro.db\n");
        TestFiles::write(ini, "[RETAGUARDA]\r\nDriver=QPSQL\r\nServidor=matriz\r\nSenha=s3nh4\r\n");
        QCOMPARE(tool({ "encerrantes" }),
            "2 autoquorvan-retaguarda: Retaguarda QPSQL matriz:/ (usuário ): o driver \"QPSQL\" ainda não é "
            "suportado\n");
        QVERIFY(tool({ "mensagens" }).contains("\r\n0,1,")); // the outbox stays local
    }

    void toolListsFuelings()
    {
        // Registered out of key order, so a listing sorted by anything but registration shows.
        clsAbastecimento sales[]
            = { fueling(db(), 1, 3, Moment), fueling(db(), 2, 3, QDateTime(QDate(2026, 3, 13), QTime(23, 0))),
                  fueling(db(), 1, 4, QDateTime(QDate(2025, 1, 2), QTime(0, 0, 1))) };
        sales[2].CodigoProduto = -3;
        sales[2].ValorUnitario = Money::fromUnits(-1);
        sales[2].Quantidade = Money::fromUnits(std::numeric_limits<qint64>::max());
        sales[2].ValorTotal = Money::fromUnits(std::numeric_limits<qint64>::min());
        QVERIFY(sales[0].Inclui() && sales[1].Inclui() && sales[2].Inclui());
        const QString header = "0 empresa,bico,data,hora,produto,valor_unitario,quantidade,valor_total\r\n";
        const QString lines[] = { "1,3,2026-03-14,09:30:05,0,0.0000,1.2340,0.0000\r\n",
            "2,3,2026-03-13,23:00:00,0,0.0000,1.2340,0.0000\r\n",
            "1,4,2025-01-02,00:00:01,-3,-0.0001,922337203685477.5807,-922337203685477.5808\r\n" };
        QCOMPARE(tool({ "abastecimentos" }), header + lines[0] + lines[1] + lines[2]);
        QCOMPARE(tool({ "abastecimentos", "--bico", "3" }), header + lines[0] + lines[1]);
        QCOMPARE(tool({ "abastecimentos", "--empresa", "1", "--bico", "4" }), header + lines[2]);
    }

    void toolRefusesBadInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList();
        QTest::newRow("unknown command") << QStringList { "vender" };
        QTest::newRow("missing argument") << QStringList { "bico", "1", "3", "7" };
        QTest::newRow("extra argument") << QStringList { "encerrante", "1", "3", "5", "9" };
        QTest::newRow("nozzle beyond 16 bits") << QStringList { "encerrante", "1", "40000", "1" };
        QTest::newRow("product beyond 32 bits") << QStringList { "produto", "3000000000", "1" };
        QTest::newRow("price with thousands") << QStringList { "produto", "7", "1.234,56" };
        QTest::newRow("unknown option") << QStringList { "abastecimentos", "--posto", "1" };
        QTest::newRow("option of another command") << QStringList { "encerrantes", "--bico", "1" };
        QTest::newRow("option without value") << QStringList { "abastecimentos", "--empresa" };
        QTest::newRow("text file as database") << QStringList { "--banco", "@texto.db", "encerrante", "1", "1", "1" };
        QTest::newRow("init over another program's database") << QStringList { "--banco", "@outro.db", "init" };
        QTest::newRow("missing database") << QStringList { "--banco", "@nenhum.db", "encerrantes" };
    }
    void toolRefusesBadInput()
    {
        QFETCH(QStringList, arguments);
        TestFiles::write(m_station->onC("texto.db"), "nada a ver\r\n");
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
