#include "backoffice/sqlconnection.h"
#include "support/rawdbf.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QTest>

using RawDbf::record;

class TestPumpTableReader : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<Bridge> m_bridge;

    QString table(const QString& name) const { return m_station->pumpFolder() + u'/' + name; }
    void writeTable(const QString& name, const QList<QByteArray>& records)
    {
        TestFiles::write(table(name), RawDbf::table(records));
    }
    void sql(const char* statement)
    {
        m_station->backOffice->records("test").run(QString::fromLatin1(statement), "test");
    }
    void start(int bicos)
    {
        m_station->writeIni(TestStation::iniFor(bicos));
        m_bridge = std::make_unique<Bridge>(m_station->ports());
        QCOMPARE(m_bridge->Form_Load(), Bridge::StartupOutcome::Running);
    }
    void cycle() { m_bridge->polling().Timer1_Timer(); }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    void init()
    {
        m_station = std::make_unique<TestStation>();
        for (qint16 bico = 1; bico <= 3; ++bico)
            m_station->addNozzle(bico, 1, "5.999", "1000");
        m_station->addNozzle(4, 40000, "1");
        for (const char* name : { "BOMBA01.DBF", "BOMBA02.DBF", "BOMBA03.DBF", "BOMBA04.DBF", "BOMBA05.DBF" })
            writeTable(QLatin1StringView(name), {});
    }
    void cleanup()
    {
        m_bridge.reset();
        QCOMPARE(m_station->boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }

    void emptiesTablesInStoredOrder()
    {
        writeTable(QStringLiteral("BOMBA02.DBF"),
            { record("20261206", "14:00:01", "10.000", "59.99"), record("20261205", "23:59:59", "2.25", "13.50") });
        writeTable(QStringLiteral("BOMBA03.DBF"), { record("", "08:00:00", "1", "6") });
        start(3);
        cycle();
        QCOMPARE(m_station->fuelings(),
            QStringList({ "2 2026-12-06 14:00:01 1 5.9990 10.0000 59.9900",
                "2 2026-12-05 23:59:59 1 5.9990 2.2500 13.5000", "3 2026-12-06 08:00:00 1 5.9990 1.0000 6.0000" }));
        QCOMPARE(m_station->pumpRecords(QStringLiteral("BOMBA02.DBF")), QStringList());
        QCOMPARE(m_station->pumpRecords(QStringLiteral("BOMBA03.DBF")), QStringList());
        QCOMPARE(m_station->totalizer(2), QStringLiteral("1012.2500"));
        QCOMPARE(m_bridge->EventLB().lines().mid(1),
            QStringList({ "14:05:31 - Gravado no Banco Bico-2   Total= 59,99",
                "14:05:31 - Gravado no Banco Bico-2   Total= 13,50",
                "14:05:31 - Gravado no Banco Bico-3   Total= 6,00" }));
        QCOMPARE(m_station->logLines().size(), 3);
    }

    void failuresLeaveTheRecordAndAreWrittenOncePerHour_data()
    {
        QTest::addColumn<QList<QByteArray>>("records"); // none: the table is missing
        QTest::addColumn<QStringList>("lines");
        const QList<QByteArray> behind { record("20261206", "10:00:00", "1", "6") };
        QTest::newRow("blank Hora") << QList<QByteArray> { record("20261206", "", "1", "6") } + behind
                                    << QStringList { "14:05:31 - ERRO LoopBomba: ERRO: Uso inválido de Nulo",
                                           "14:05:31 - ERRO LoopBomba: lNomeArquivo: BOMBA02.DBF xFase=11" };
        QTest::newRow("blank Litros") << QList<QByteArray> { record("20261206", "10:00:00", "", "6") }
                                      << QStringList { "14:05:31 - ERRO LoopBomba: ERRO: Uso inválido de Nulo",
                                             "14:05:31 - ERRO LoopBomba: lNomeArquivo: BOMBA02.DBF xFase=13" };
        QTest::newRow("Hora that is no time")
            << QList<QByteArray> { record("20261206", "xx:yy", "1", "6") }
            << QStringList { "14:05:31 - ERRO LoopBomba: Erro Desconhecido! BOMBA02.DBF xFase=11",
                   "14:05:31 - ERRO: 13 - Tipos incompatíveis: \"xx:yy\"" };
        QTest::newRow("missing table") << QList<QByteArray>()
                                       << QStringList {
                                              "14:05:31 - ERRO LoopBomba: dataNolvex.DatabaseName=C:\\wdn\\matriz",
                                              "14:05:31 - ERRO LoopBomba: dataNolvex.RecordSource=BOMBA02.DBF",
                                              "14:05:31 - ERRO LoopBomba: Erro Desconhecido! BOMBA02.DBF xFase=0",
                                              "14:05:31 - ERRO: 3024 - "
                                          };
    }
    void failuresLeaveTheRecordAndAreWrittenOncePerHour()
    {
        QFETCH(QList<QByteArray>, records);
        QFETCH(QStringList, lines);
        if (records.isEmpty())
            QFile::remove(table(QStringLiteral("BOMBA02.DBF")));
        else
            writeTable(QStringLiteral("BOMBA02.DBF"), records);
        writeTable(QStringLiteral("BOMBA03.DBF"), { record("20261206", "11:00:00", "1", "6") });
        start(3);
        cycle();
        cycle();
        const QStringList written = m_station->logLines();
        QCOMPARE(written.size(), lines.size() + 1);
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(written[i].startsWith(lines[i]), qPrintable(written[i]));
        QCOMPARE(m_station->pumpRecords(QStringLiteral("BOMBA02.DBF")).size(), records.size());
        QCOMPARE(m_station->fuelings().size(), 1);

        // A new hour's file gets the lines again; once the table is repaired they stop.
        m_station->clock.advance(3600);
        cycle();
        QCOMPARE(m_station->logLines().size(), lines.size());
        writeTable(QStringLiteral("BOMBA02.DBF"), {});
        cycle();
        QCOMPARE(m_station->logLines().size(), lines.size());
    }

    void whatTheBackOfficeKnowsOfTheNozzle_data()
    {
        QTest::addColumn<int>("bico");
        QTest::addColumn<QStringList>("fuelings");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("unknown nozzle: product 0, price 0")
            << 5 << QStringList { "5 2026-12-06 10:00:00 0 0.0000 3.0000 18.0000" }
            << QStringList { "14:05:31 - ERRO AutoAtualTabeEncerranteAtual: bico não cadastrado=5" };
        QTest::newRow("product code beyond 16 bits stays")
            << 4 << QStringList()
            << QStringList { "14:05:31 - ERRO LoopBomba: Erro Desconhecido! BOMBA04.DBF xFase=16",
                   "14:05:31 - ERRO: 6 - Estouro" };
    }
    void whatTheBackOfficeKnowsOfTheNozzle()
    {
        QFETCH(int, bico);
        QFETCH(QStringList, fuelings);
        QFETCH(QStringList, lines);
        const QString name = QStringLiteral("BOMBA%1.DBF").arg(bico, 2, 10, QChar(u'0'));
        writeTable(name, { record("20261206", "10:00:00", "3", "18") });
        start(5);
        cycle();
        QCOMPARE(m_station->fuelings(), fuelings);
        QCOMPARE(m_station->pumpRecords(name).size(), fuelings.isEmpty() ? 1 : 0);
        QCOMPARE(m_station->logLines().mid(m_station->logLines().size() - lines.size()), lines);
    }

    void registeredOnceWhateverHappensAfterTheInsert_data()
    {
        QTest::addColumn<QString>("happening");
        QTest::newRow("record read twice") << "duplicate";
        QTest::newRow("delete fails") << "delete";
        QTest::newRow("back-office refuses until repaired") << "refuse";
    }
    void registeredOnceWhateverHappensAfterTheInsert()
    {
        QFETCH(QString, happening);
        const QString path = table(QStringLiteral("BOMBA01.DBF"));
        const QList<QByteArray> records { record("20261206", "10:00:00", "3", "18"),
            record("20261206", "10:05:00", "4", "24") };
        writeTable(QStringLiteral("BOMBA01.DBF"), records);
        if (happening == u"refuse")
            sql("CREATE TRIGGER refuse BEFORE INSERT ON abastecimentos BEGIN SELECT RAISE(IGNORE); END");
        start(1);
        if (happening == u"delete") {
            // The registration asks the time for its event line: then the table turns into a
            // folder, so the delete that follows cannot open it.
            m_station->clock.whenAsked = [&] {
                if (QFileInfo(path).isFile() && m_station->fuelings().size() == 1) {
                    QFile::rename(path, path + QStringLiteral(".aside"));
                    QDir().mkpath(path);
                }
            };
        }
        cycle();
        m_station->clock.whenAsked = nullptr;
        if (happening == u"delete") {
            QCOMPARE(m_station->logLines().at(1),
                QStringLiteral("14:05:31 - ERRO LoopBomba: Erro Desconhecido! BOMBA01.DBF xFase=18"));
            QDir(path).removeRecursively();
            QFile::rename(path + QStringLiteral(".aside"), path);
        } else if (happening == u"refuse") {
            cycle();
            QCOMPARE(m_station->pumpRecords(QStringLiteral("BOMBA01.DBF")).size(), 2);
            QCOMPARE(m_station->logLines(),
                QStringList { "14:05:31 - ** ERRO ** Abastecimento Não Foi Incluído: Data=06/12/2026 - "
                              "Hora=10:00:00 - Bico=1 - Valor Total=18" });
            sql("DROP TRIGGER refuse");
        } else {
            writeTable(QStringLiteral("BOMBA01.DBF"), records);
        }
        cycle();
        QCOMPARE(m_station->fuelings().size(), 2);
        QCOMPARE(m_station->pumpRecords(QStringLiteral("BOMBA01.DBF")), QStringList());
        QCOMPARE(m_station->totalizer(1), QStringLiteral("1007.0000"));
    }

    void tableNamesAndNozzleCount_data()
    {
        QTest::addColumn<int>("bicos");
        QTest::addColumn<QString>("lastName");
        QTest::addColumn<int>("lastBico");
        QTest::newRow("no nozzles") << 0 << QString() << 1;
        QTest::newRow("three") << 3 << "BOMBA03.DBF" << 4;
        QTest::newRow("nozzle 100 in a lower-case file") << 100 << "BOMBA100.DBF" << 101;
    }
    void tableNamesAndNozzleCount()
    {
        QFETCH(int, bicos);
        QFETCH(QString, lastName);
        QFETCH(int, lastBico);
        for (int bico = 6; bico < bicos; ++bico)
            writeTable(QStringLiteral("BOMBA%1.DBF").arg(bico, 2, 10, QChar(u'0')), {});
        m_station->addNozzle(100, 1, "1", "0");
        writeTable(QStringLiteral("bomba100.dbf"), { record("20261206", "10:00:00", "3", "18") });
        start(bicos);
        cycle();
        QCOMPARE(m_bridge->reader().lNomeArquivo, lastName);
        QCOMPARE(int(m_bridge->reader().lBicoAtual), lastBico);
        QCOMPARE(m_station->fuelings().size(), bicos == 100 ? 1 : 0);
        QCOMPARE(m_station->logLines().size(), bicos == 100 ? 1 : 0);
    }

    void requestCheckOnEveryTenthCycle()
    {
        start(0);
        const QString request = m_station->exchangeFolder() + QStringLiteral("/Solicitacao.txt");
        TestFiles::write(request, "Comando=AUTOMACAO LEITURA ENCERRANTE\r\n");
        for (int i = 1; i <= 9; ++i)
            cycle();
        QVERIFY(QFile::exists(request));
        QCOMPARE(m_bridge->polling().lContadorTimer, qint16(9));
        cycle();
        QVERIFY(!QFile::exists(request));
        QCOMPARE(m_bridge->polling().lContadorTimer, qint16(0));
        QVERIFY(QFile::exists(m_station->exchangeFolder() + QStringLiteral("/Resposta.txt")));
        QCOMPARE(m_bridge->Timer1().interval(), 30);
        QVERIFY(m_bridge->Timer1().isActive());
    }
};

QTEST_GUILESS_MAIN(TestPumpTableReader)
#include "tst_pumptablereader.moc"
