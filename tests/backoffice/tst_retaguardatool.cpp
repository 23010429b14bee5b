#include "backoffice/backofficeclasses.h"
#include "backoffice/clsmensagememail.h"
#include "support/testfiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The administration tool as an operator runs it: a process with the station's drive folder.
class TestRetaguardaTool : public QObject {
    Q_OBJECT

private:
    struct Result {
        int code = -1;
        QByteArray out;
        QByteArray err;
    };

    std::unique_ptr<QTemporaryDir> m_drives;
    QString m_folder;
    QString m_file;

    Result tool(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("AUTOQUORVAN_DRIVES"), m_drives->path());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(RETAGUARDA_TOOL), arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
    }

    BackOfficeSettings settings() const
    {
        return BackOfficeSettings::sqlite(m_file, m_folder + QStringLiteral("/Mensagens.db"));
    }

    static qint16 s(int value) { return qint16(value); }

private Q_SLOTS:
    void init()
    {
        m_drives = std::make_unique<QTemporaryDir>();
        m_folder = m_drives->filePath(QStringLiteral("C/Quorvan/AutoQuorvanNolvex"));
        m_file = m_folder + QStringLiteral("/Retaguarda.db");
    }

    void initCreatesOnceAndKeeps()
    {
        Result first = tool({ QStringLiteral("init") });
        QCOMPARE(first.code, 0);
        QVERIFY(first.out.startsWith("Banco criado: "));
        QVERIFY(QFileInfo::exists(m_file));
        QCOMPARE(tool({ "encerrante", "1", "3", "5" }).code, 0);
        const QByteArray bytes = TestFiles::read(m_file);

        Result again = tool({ QStringLiteral("init") });
        QCOMPARE(again.code, 0);
        QVERIFY(again.out.startsWith("Banco já preparado: "));
        QCOMPARE(TestFiles::read(m_file), bytes);
        QCOMPARE(tool({ "encerrantes" }).out, QByteArray("empresa,bico,encerrante_atual\r\n1,3,5.0000\r\n"));
    }

    void writeCommands_data()
    {
        QTest::addColumn<QList<QStringList>>("commands");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<qint64>("units");
        QTest::addColumn<int>("product");
        using Commands = QList<QStringList>;
        QTest::newRow("product with a description")
            << Commands { { "produto", "7", "5.999", "--descricao", "Gasolina comum" } } << "produto" << 7 << 0
            << qint64(59990) << 0;
        QTest::newRow("product replaced") << Commands { { "produto", "7", "5.999" }, { "produto", "7", "6,1" } }
                                          << "produto" << 7 << 0 << qint64(61000) << 0;
        QTest::newRow("stock item") << Commands { { "estoque", "1", "7", "6.1" } } << "estoque" << 1 << 7
                                    << qint64(61000) << 0;
        QTest::newRow("nozzle") << Commands { { "bico", "1", "3", "7", "5.999" } } << "bico" << 1 << 3 << qint64(59990)
                                << 7;
        QTest::newRow("nozzle with a product above 16 bits")
            << Commands { { "bico", "1", "4", "40000", "0" } } << "bico" << 1 << 4 << qint64(0) << 40000;
        QTest::newRow("totalizer with decimal comma")
            << Commands { { "encerrante", "1", "3", "1234,5678" } } << "encerrante" << 1 << 3 << qint64(12345678) << 0;
        QTest::newRow("totalizer replaced")
            << Commands { { "encerrante", "1", "3", "9" }, { "encerrante", "1", "3", "-0.5" } } << "encerrante" << 1
            << 3 << qint64(-5000) << 0;
        QTest::newRow("option before the command")
            << Commands { { "--banco", "C:\\Quorvan\\AutoQuorvanNolvex\\Retaguarda.db", "encerrante", "-1", "3", "2" } }
            << "encerrante" << -1 << 3 << qint64(20000) << 0;
    }
    void writeCommands()
    {
        QFETCH(QList<QStringList>, commands);
        QFETCH(QString, kind);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(qint64, units);
        QFETCH(int, product);
        QCOMPARE(tool({ "init" }).code, 0);
        for (const QStringList& command : commands) {
            const Result result = tool(command);
            QVERIFY2(result.code == 0, result.err.constData());
            QVERIFY(result.out.isEmpty());
        }
        BackOfficeDatabase database(settings());
        if (kind == u"produto") {
            clsProduto produto(database);
            QVERIFY(produto.Localiza(first));
            QCOMPARE(produto.ValorUnitario.units(), units);
            QCOMPARE(produto.Descricao, commands.first().contains("--descricao") ? "Gasolina comum" : "");
        } else if (kind == u"estoque") {
            clsEstoque estoque(database);
            QVERIFY(estoque.Localiza(s(first), second));
            QCOMPARE(estoque.ValorUnitario.units(), units);
        } else if (kind == u"bico") {
            clsBico bico(database);
            QVERIFY(bico.Localiza(s(first), s(second)));
            QCOMPARE(bico.ValorUnitario.units(), units);
            QCOMPARE(bico.CodigoProduto, product);
        } else {
            clsEncerrante encerrante(database);
            QVERIFY(encerrante.Localiza(s(first), s(second)));
            QCOMPARE(encerrante.EncerranteAtual.units(), units);
        }
    }

    void bancoNamesAnotherFile()
    {
        const QString other = m_drives->filePath(QStringLiteral("outro.db"));
        QCOMPARE(tool({ "--banco", other, "init" }).code, 0);
        QCOMPARE(tool({ "encerrante", "--banco", other, "2", "1", "7" }).code, 0);
        QVERIFY(!QFileInfo::exists(m_file));
        QCOMPARE(tool({ "encerrantes", "--banco=" + other }).out,
            QByteArray("empresa,bico,encerrante_atual\r\n2,1,7.0000\r\n"));
    }

    void abastecimentos_data()
    {
        QTest::addColumn<QStringList>("filter");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("all, in order of registration") << QStringList() << QList<int> { 0, 1, 2 };
        QTest::newRow("one company") << QStringList { "--empresa", "1" } << QList<int> { 0, 2 };
        QTest::newRow("one nozzle") << QStringList { "--bico", "3" } << QList<int> { 0, 1 };
        QTest::newRow("company and nozzle") << QStringList { "--empresa", "1", "--bico", "4" } << QList<int> { 2 };
        QTest::newRow("nothing matches") << QStringList { "--empresa", "9" } << QList<int> {};
    }
    void abastecimentos()
    {
        QFETCH(QStringList, filter);
        QFETCH(QList<int>, rows);
        QCOMPARE(tool({ "init" }).code, 0);
        struct Sale {
            int empresa, bico;
            QDate date;
            QTime time;
            int produto;
            qint64 price, quantity, total;
        };
        // Registered out of key order, so a listing sorted by anything but registration shows.
        const Sale sales[] = {
            { 1, 3, QDate(2026, 3, 14), QTime(9, 30, 5), 7, 59990, 12340, 7403 * 10 },
            { 2, 3, QDate(2026, 3, 13), QTime(23, 0, 0), 8, 41230, 1, 0 },
            { 1, 4, QDate(2025, 1, 2), QTime(0, 0, 1), -3, -1, std::numeric_limits<qint64>::max(),
                std::numeric_limits<qint64>::min() },
        };
        const QByteArray lines[] = {
            "1,3,2026-03-14,09:30:05,7,5.9990,1.2340,7.4030\r\n",
            "2,3,2026-03-13,23:00:00,8,4.1230,0.0001,0.0000\r\n",
            "1,4,2025-01-02,00:00:01,-3,-0.0001,922337203685477.5807,-922337203685477.5808\r\n",
        };
        {
            BackOfficeDatabase database(settings());
            clsAbastecimento fueling(database);
            for (const Sale& sale : sales) {
                fueling.CodigoEmpresa = s(sale.empresa);
                fueling.NumeroBico = s(sale.bico);
                fueling.DataAbastecimento = DateValue::fromDate(sale.date);
                fueling.HoraAbastecimento = DateValue::fromTime(sale.time);
                fueling.CodigoProduto = s(sale.produto);
                fueling.ValorUnitario = Money::fromUnits(sale.price);
                fueling.Quantidade = Money::fromUnits(sale.quantity);
                fueling.ValorTotal = Money::fromUnits(sale.total);
                QVERIFY(fueling.Inclui());
            }
        }
        QByteArray expected = "empresa,bico,data,hora,produto,valor_unitario,quantidade,valor_total\r\n";
        for (int row : rows)
            expected += lines[row];
        const Result result = tool(QStringList { "abastecimentos" } + filter);
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, expected);
    }

    void encerrantes_data()
    {
        QTest::addColumn<QStringList>("filter");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("all, by company and nozzle")
            << QStringList()
            << QByteArray("empresa,bico,encerrante_atual\r\n1,3,0.0100\r\n1,12,6.2340\r\n2,1,0.0000\r\n");
        QTest::newRow("one company") << QStringList { "--empresa", "2" }
                                     << QByteArray("empresa,bico,encerrante_atual\r\n2,1,0.0000\r\n");
    }
    void encerrantes()
    {
        QFETCH(QStringList, filter);
        QFETCH(QByteArray, expected);
        QCOMPARE(tool({ "init" }).code, 0);
        QCOMPARE(tool({ "encerrante", "2", "1", "0" }).code, 0);
        QCOMPARE(tool({ "encerrante", "1", "12", "6.234" }).code, 0);
        QCOMPARE(tool({ "encerrante", "1", "3", ",01" }).code, 0);
        const Result result = tool(QStringList { "encerrantes" } + filter);
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, expected);
    }

    void mensagens()
    {
        QVERIFY(QDir().mkpath(m_folder));
        const QByteArray header = "chave,codigo,empresa,nome_empresa,nome_destinatario,email_destinatario,email_copia,"
                                  "assunto,mensagem,data_hora,data_hora_registro,endereco_ip,situacao,liberada\r\n";
        // Listing must not create the outbox the bridge would create.
        QCOMPARE(tool({ "mensagens" }).out, header);
        QVERIFY(!QFileInfo::exists(m_folder + QStringLiteral("/Mensagens.db")));
        {
            BackOfficeDatabase database(settings());
            clsMensagemEmail message(database);
            message.Empresa = 7;
            message.NomeEmpresa = QStringLiteral("Posto \"Central\", Ltda");
            message.Assunto = QStringLiteral("Posto:AutoQuorvan QX!");
            message.Mensagem = QStringLiteral("A automação não irá funcionar\r\nEntre em contato");
            message.DataHora = QStringLiteral("06/12/2026 14:05:31");
            QVERIFY(message.Inclui());
            message.Mensagem = QStringLiteral("segunda");
            message.Liberada = -1;
            QVERIFY(message.Inclui());
        }
        const Result result = tool({ "mensagens" });
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out,
            header
                + QStringLiteral("0,1,7,\"Posto \"\"Central\"\", Ltda\",,,,Posto:AutoQuorvan QX!,"
                                 "\"A automação não irá funcionar\r\nEntre em contato\",06/12/2026 14:05:31,,,0,0\r\n"
                                 "0,2,7,\"Posto \"\"Central\"\", Ltda\",,,,Posto:AutoQuorvan QX!,segunda,"
                                 "06/12/2026 14:05:31,,,0,-1\r\n")
                      .toUtf8());
    }

    void badInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList();
        QTest::newRow("unknown command") << QStringList { "vender" };
        QTest::newRow("missing argument") << QStringList { "bico", "1", "3", "7" };
        QTest::newRow("extra argument") << QStringList { "encerrante", "1", "3", "5", "9" };
        QTest::newRow("company not a number") << QStringList { "estoque", "um", "7", "1" };
        QTest::newRow("nozzle beyond 16 bits") << QStringList { "encerrante", "1", "40000", "1" };
        QTest::newRow("product beyond 32 bits") << QStringList { "produto", "3000000000", "1" };
        QTest::newRow("price not a number") << QStringList { "produto", "7", "5,99.1" };
        QTest::newRow("price with thousands") << QStringList { "produto", "7", "1.234,56" };
        QTest::newRow("empty price") << QStringList { "produto", "7", "" };
        QTest::newRow("unknown option") << QStringList { "abastecimentos", "--posto", "1" };
        QTest::newRow("option of another command") << QStringList { "encerrantes", "--bico", "1" };
        QTest::newRow("option without value") << QStringList { "abastecimentos", "--empresa" };
        QTest::newRow("filter not a number") << QStringList { "abastecimentos", "--empresa", "x" };
        QTest::newRow("text file as database") << QStringList { "--banco", "@text", "encerrante", "1", "1", "1" };
        QTest::newRow("init over another program's database") << QStringList { "--banco", "@foreign", "init" };
        QTest::newRow("missing database") << QStringList { "--banco", "@missing", "encerrantes" };
    }
    void badInput()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(tool({ "init" }).code, 0);
        const QString text = m_drives->filePath(QStringLiteral("texto.db"));
        TestFiles::write(text, "nada a ver\r\n");
        const QString foreign = m_drives->filePath(QStringLiteral("outro.db"));
        {
            BackOfficeDatabase other(BackOfficeSettings::sqlite(m_file + "x", foreign));
            clsMensagemEmail(other).Inclui();
        }
        arguments.replaceInStrings(QStringLiteral("@text"), text);
        arguments.replaceInStrings(QStringLiteral("@foreign"), foreign);
        arguments.replaceInStrings(QStringLiteral("@missing"), m_drives->filePath(QStringLiteral("nenhum.db")));
        const QStringList files = QDir(m_drives->path()).entryList(QDir::Files);
        const QByteArray database = TestFiles::read(m_file);
        const QByteArray other = TestFiles::read(foreign);

        const Result result = tool(arguments);
        QCOMPARE(result.code, 2);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.startsWith("autoquorvan-retaguarda: "), result.err.constData());
        QCOMPARE(result.err.count('\n'), 1);
        QVERIFY(result.err.endsWith('\n'));
        QCOMPARE(QDir(m_drives->path()).entryList(QDir::Files), files);
        QCOMPARE(TestFiles::read(m_file), database);
        QCOMPARE(TestFiles::read(foreign), other);
        QCOMPARE(TestFiles::read(text), QByteArray("nada a ver\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestRetaguardaTool)
#include "tst_retaguardatool.moc"
