#include "backoffice/backofficeadmin.h"
#include "backoffice/sqlconnection.h"
#include "support/rawdbf.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QTest>

using RawDbf::record;

namespace {

Money money(const char* text)
{
    return *Money::fromText(QString::fromLatin1(text), u'.');
}

} // namespace

class TestPumpTableReader : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<Bridge> m_bridge;

    QString table(const char* name) const { return m_station->pumpFolder() + u'/' + QLatin1StringView(name); }
    void writeTable(const char* name, const QList<QByteArray>& records)
    {
        TestFiles::write(table(name), RawDbf::table(records));
    }
    // The records still live in a table, as "Data|Hora|Litros|Valor".
    QStringList liveRecords(const char* name)
    {
        DataControl control(m_station->drives);
        control.setDatabaseName(QStringLiteral("C:\\wdn\\matriz"));
        control.setRecordSource(QLatin1StringView(name));
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
    // The fuelings as "bico date time produto unit litres total".
    QStringList fuelings()
    {
        QStringList rows;
        for (const QStringList& row : BackOfficeAdmin::abastecimentos(*m_station->backOffice, {}, {}).rows)
            rows += row.mid(1).join(u' ');
        return rows;
    }
    QStringList logLines()
    {
        QStringList lines = QString::fromLatin1(m_station->logFile()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        lines.removeIf([](const QString& line) { return line.endsWith(QStringLiteral(" - AutoQuorvan Iniciado: ")); });
        return lines;
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
        BackOfficeDatabase& db = *m_station->backOffice;
        BackOfficeAdmin::gravaProduto(db, 1, money("5.999"), QStringLiteral("Gasolina"));
        for (qint16 bico = 1; bico <= 3; ++bico) {
            BackOfficeAdmin::gravaBico(db, 1, bico, 1, money("5.999"));
            BackOfficeAdmin::gravaEncerrante(db, 1, bico, money("1000"));
        }
        BackOfficeAdmin::gravaBico(db, 1, 4, 40000, money("1"));
    }
    void cleanup()
    {
        m_bridge.reset();
        QCOMPARE(m_station->boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }

    void emptiesTablesInStoredOrder()
    {
        writeTable("BOMBA01.DBF", {});
        writeTable("BOMBA02.DBF",
            { record("20261206", "14:00:01", "10.000", "59.99"), record("20261206", "14:00:02", "1.5", "9"),
                record("20261205", "23:59:59", "2.25", "13.50") });
        writeTable("BOMBA03.DBF", { record("", "08:00:00", "1", "6") });
        start(3);
        cycle();
        QCOMPARE(fuelings(),
            QStringList(
                { "2 2026-12-06 14:00:01 1 5.9990 10.0000 59.9900", "2 2026-12-06 14:00:02 1 5.9990 1.5000 9.0000",
                    "2 2026-12-05 23:59:59 1 5.9990 2.2500 13.5000", "3 2026-12-06 08:00:00 1 5.9990 1.0000 6.0000" }));
        QCOMPARE(liveRecords("BOMBA02.DBF"), QStringList());
        QCOMPARE(liveRecords("BOMBA03.DBF"), QStringList());
        QCOMPARE(BackOfficeAdmin::encerrantes(*m_station->backOffice, {}).rows[1][2], QStringLiteral("1013.7500"));
        QCOMPARE(m_bridge->EventLB().lines().mid(1),
            QStringList({ "14:05:31 - Gravado no Banco Bico-2   Total= 59,99",
                "14:05:31 - Gravado no Banco Bico-2   Total= 9,00", "14:05:31 - Gravado no Banco Bico-2   Total= 13,50",
                "14:05:31 - Gravado no Banco Bico-3   Total= 6,00" }));
        QCOMPARE(logLines().size(), 4);
        QCOMPARE(m_bridge->polling().lContadorTimer, qint16(1));
    }

    void failuresLeaveTheRecordAndAreWrittenOncePerHour_data()
    {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("staying");
        QTest::newRow("blank Hora") << QList<QByteArray> { record("20261206", "", "1", "6"),
            record("20261206", "10:00:00", "1", "6") }
                                    << QStringList { "14:05:31 - ERRO LoopBomba: ERRO: Uso inválido de Nulo",
                                           "14:05:31 - ERRO LoopBomba: lNomeArquivo: BOMBA02.DBF xFase=11" }
                                    << 2;
        QTest::newRow("blank Litros") << QList<QByteArray> { record("20261206", "10:00:00", "", "6") }
                                      << QStringList { "14:05:31 - ERRO LoopBomba: ERRO: Uso inválido de Nulo",
                                             "14:05:31 - ERRO LoopBomba: lNomeArquivo: BOMBA02.DBF xFase=13" }
                                      << 1;
        QTest::newRow("Hora that is no time")
            << QList<QByteArray> { record("20261206", "xx:yy", "1", "6") }
            << QStringList { "14:05:31 - ERRO LoopBomba: Erro Desconhecido! BOMBA02.DBF xFase=11",
                   "14:05:31 - ERRO: 13 - Tipos incompatíveis: \"xx:yy\"" }
            << 1;
        QTest::newRow("missing table")
            << QList<QByteArray>()
            << QStringList { "14:05:31 - ERRO LoopBomba: dataNolvex.DatabaseName=C:\\wdn\\matriz",
                   "14:05:31 - ERRO LoopBomba: dataNolvex.RecordSource=BOMBA02.DBF",
                   "14:05:31 - ERRO LoopBomba: Erro Desconhecido! BOMBA02.DBF xFase=0", "14:05:31 - ERRO: 3024 - " }
            << 0;
    }
    void failuresLeaveTheRecordAndAreWrittenOncePerHour()
    {
        QFETCH(QList<QByteArray>, records);
        QFETCH(QStringList, lines);
        QFETCH(int, staying);
        writeTable("BOMBA01.DBF", {});
        if (staying > 0)
            writeTable("BOMBA02.DBF", records);
        writeTable("BOMBA03.DBF", { record("20261206", "11:00:00", "1", "6") });
        start(3);
        cycle();
        cycle();
        QStringList written = logLines();
        QCOMPARE(written.size(), lines.size() + 1);
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(written[i].startsWith(lines[i]), qPrintable(written[i]));
        QCOMPARE(written.last(), QStringLiteral("14:05:31 - Gravado no Banco Bico-3   Total= 6,00"));
        if (staying > 0)
            QCOMPARE(liveRecords("BOMBA02.DBF").size(), staying);
        QCOMPARE(fuelings().size(), 1);

        // A new hour's file gets the lines again; once the table is repaired they stop.
        m_station->clock.advance(3600);
        cycle();
        QCOMPARE(logLines().size(), lines.size());
        writeTable("BOMBA02.DBF", {});
        cycle();
        QCOMPARE(logLines().size(), lines.size());
    }

    void nozzleUnknownToTheBackOfficeIsRegisteredWithoutProduct()
    {
        writeTable("BOMBA01.DBF", { record("20261206", "10:00:00", "3", "18") });
        m_station->backOffice->records("test").run(QStringLiteral("DELETE FROM bicos WHERE bico = 1"), "test");
        start(1);
        cycle();
        QCOMPARE(fuelings(), QStringList { "1 2026-12-06 10:00:00 0 0.0000 3.0000 18.0000" });
        QCOMPARE(liveRecords("BOMBA01.DBF"), QStringList());
    }

    void productCodeBeyond16BitsStays()
    {
        writeTable("BOMBA04.DBF", { record("20261206", "10:00:00", "3", "18") });
        writeTable("BOMBA01.DBF", {});
        writeTable("BOMBA02.DBF", {});
        writeTable("BOMBA03.DBF", {});
        start(4);
        cycle();
        QCOMPARE(logLines(),
            QStringList({ "14:05:31 - ERRO LoopBomba: Erro Desconhecido! BOMBA04.DBF xFase=16",
                "14:05:31 - ERRO: 6 - Estouro" }));
        QCOMPARE(liveRecords("BOMBA04.DBF").size(), 1);
        QCOMPARE(fuelings().size(), 0);
    }

    void alreadyRegisteredRecordIsDeleted()
    {
        writeTable("BOMBA01.DBF", { record("20261206", "10:00:00", "3", "18") });
        start(1);
        cycle();
        writeTable("BOMBA01.DBF", { record("20261206", "10:00:00", "3", "18") });
        cycle();
        QCOMPARE(fuelings().size(), 1);
        QCOMPARE(liveRecords("BOMBA01.DBF"), QStringList());
        QCOMPARE(BackOfficeAdmin::encerrantes(*m_station->backOffice, {}).rows[0][2], QStringLiteral("1003.0000"));
    }

    void refusedFuelingStaysWithTheRecordsBehindIt()
    {
        writeTable(
            "BOMBA01.DBF", { record("20261206", "10:00:00", "3", "18"), record("20261206", "10:05:00", "4", "24") });
        m_station->backOffice->records("test").run(
            QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON abastecimentos BEGIN SELECT RAISE(IGNORE); END"),
            "test");
        start(1);
        cycle();
        cycle();
        QCOMPARE(liveRecords("BOMBA01.DBF").size(), 2);
        QCOMPARE(logLines(),
            QStringList { "14:05:31 - ** ERRO ** Abastecimento Não Foi Incluído: Data=06/12/2026 - Hora=10:00:00 - "
                          "Bico=1 - Valor Total=18" });

        m_station->backOffice->records("test").run(QStringLiteral("DROP TRIGGER refuse"), "test");
        cycle();
        QCOMPARE(fuelings().size(), 2);
        QCOMPARE(liveRecords("BOMBA01.DBF"), QStringList());
    }

    void failedDeleteIsNotRegisteredTwice()
    {
        writeTable("BOMBA01.DBF", { record("20261206", "10:00:00", "3", "18") });
        start(1);
        // The registration asks the time for its event line: at that moment the table is swapped
        // for a folder, so the delete that follows cannot open it.
        const QString path = table("BOMBA01.DBF");
        const QString aside = path + QStringLiteral(".aside");
        m_station->clock.whenAsked = [&] {
            if (QFile::exists(path) && QFileInfo(path).isFile() && fuelings().size() == 1) {
                QFile::rename(path, aside);
                QDir().mkpath(path);
            }
        };
        cycle();
        m_station->clock.whenAsked = nullptr;
        QStringList written = logLines();
        QCOMPARE(written.size(), 3);
        QCOMPARE(written[1], QStringLiteral("14:05:31 - ERRO LoopBomba: Erro Desconhecido! BOMBA01.DBF xFase=18"));

        QDir(path).removeRecursively();
        QFile::rename(aside, path);
        cycle();
        QCOMPARE(fuelings().size(), 1);
        QCOMPARE(liveRecords("BOMBA01.DBF"), QStringList());
        QCOMPARE(BackOfficeAdmin::encerrantes(*m_station->backOffice, {}).rows[0][2], QStringLiteral("1003.0000"));
    }

    void tableNamesAndNozzleCount_data()
    {
        QTest::addColumn<int>("bicos");
        QTest::addColumn<QString>("lastName");
        QTest::addColumn<int>("lastBico");
        QTest::newRow("no nozzles") << 0 << QString() << 1;
        QTest::newRow("three") << 3 << "BOMBA03.DBF" << 4;
        QTest::newRow("nozzle 100") << 100 << "BOMBA100.DBF" << 101;
    }
    void tableNamesAndNozzleCount()
    {
        QFETCH(int, bicos);
        QFETCH(QString, lastName);
        QFETCH(int, lastBico);
        for (int bico = 1; bico <= bicos; ++bico)
            TestFiles::write(
                table(qPrintable(QStringLiteral("BOMBA%1.DBF").arg(bico, 2, 10, QChar(u'0')))), RawDbf::table({}));
        BackOfficeAdmin::gravaBico(*m_station->backOffice, 1, 100, 1, money("1"));
        if (bicos == 100)
            writeTable("BOMBA100.DBF", { record("20261206", "10:00:00", "3", "18") });
        start(bicos);
        cycle();
        PumpTableReader& reader = m_bridge->reader();
        QCOMPARE(reader.lNomeArquivo, lastName);
        QCOMPARE(int(reader.lBicoAtual), lastBico);
        QCOMPARE(fuelings().size(), bicos == 100 ? 1 : 0);
        QCOMPARE(logLines().size(), bicos == 100 ? 2 : 0); // the fueling and its missing totalizer
    }

    void lowerCaseTableOnDisk()
    {
        writeTable("bomba01.dbf", { record("20261206", "10:00:00", "3", "18") });
        start(1);
        cycle();
        QCOMPARE(fuelings().size(), 1);
        QCOMPARE(liveRecords("bomba01.dbf"), QStringList());
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
        QCOMPARE(TestFiles::read(m_station->exchangeFolder() + QStringLiteral("/Resposta.txt")),
            QByteArray(
                "[RETORNO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\nRetorno=ERRO\r\nParametro=??\r\n"));
        QVERIFY(m_bridge->Timer1().isActive());
        QCOMPARE(m_bridge->Timer1().interval(), 30);
    }
};

QTEST_GUILESS_MAIN(TestPumpTableReader)
#include "tst_pumptablereader.moc"
