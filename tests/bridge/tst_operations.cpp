#include "backoffice/backofficeadmin.h"
#include "bridge/stationstatus.h"
#include "dbase/pumptable.h"
#include "support/rawdbf.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using RawDbf::record;

// What the owner reads every day, from real back-offices: the day's closing per nozzle and the
// totalizer's history that explains it, and whether the bridge is healthy.
class TestOperations : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStation> m_station;

    QString tool(const QStringList& arguments)
    {
        return TestFiles::run(QStringLiteral(RETAGUARDA_TOOL), arguments, m_station->environment());
    }
    void start(int bicos) { QCOMPARE(m_station->start(bicos), Bridge::StartupOutcome::Running); }
    void writeTable(int bico, const QByteArrayList& records)
    {
        m_station->writePumpTable(PumpTable::name(bico), records);
    }
    QJsonObject statusFile() const
    {
        return QJsonDocument::fromJson(TestFiles::read(m_station->systemFolder() + QStringLiteral("/Situacao.json")))
            .object();
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    void init()
    {
        m_station = std::make_unique<TestStation>();
        // The nozzles and their totalizers were set up the day before.
        m_station->clock.set(QDateTime(QDate(2026, 12, 5), QTime(8, 0)));
        BackOfficeAdmin::gravaProduto(*m_station->backOffice, 1, Money::fromUnits(60000), QStringLiteral("Gasolina"));
        BackOfficeAdmin::gravaProduto(*m_station->backOffice, 2, Money::fromUnits(50000), QStringLiteral("Etanol"));
        for (const qint16 bico : { 1, 2, 3 })
            m_station->addNozzle(bico, bico == 3 ? 2 : 1, "6", "1000");
    }
    void cleanup()
    {
        m_station->bridge.reset();
        QCOMPARE(m_station->boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }

    // A day with fuelings on three nozzles, one at 23:59:30, nozzle 2 set by hand at noon, and a
    // fueling after midnight: each day's closing adds up, and only the change by hand makes a
    // difference, which its history row explains.
    void closingOfTheDay()
    {
        writeTable(1,
            { record("20261206", "08:10:00", "10", "60"), record("20261206", "15:20:00", "5", "30"),
                record("20261207", "00:00:10", "3", "18") });
        writeTable(2, { record("20261206", "09:00:00", "20", "120") });
        writeTable(3, { record("20261206", "23:59:30", "4", "20") });
        m_station->clock.set(QDateTime(QDate(2026, 12, 7), QTime(0, 1)));
        start(3);
        m_station->cycle();
        QCOMPARE(m_station->fuelings().size(), 5);
        BackOfficeAdmin::gravaEncerrante(*m_station->backOffice, 1, 2, Money::fromUnits(15000000),
            QStringLiteral("bico trocado"), QDateTime(QDate(2026, 12, 6), QTime(12, 0)));

        const QString header = "empresa,bico,produto,descricao,encerrante_abertura,encerrante_fechamento,litros,"
                               "abastecimentos,valor_total,diferenca\r\n";
        QCOMPARE(tool({ "fechamento", "--data", "2026-12-06" }),
            "0 " + header + "1,1,1,Gasolina,1000.0000,1015.0000,15.0000,2,90.0000,0.0000\r\n"
                + "1,2,1,Gasolina,1000.0000,1500.0000,20.0000,1,120.0000,480.0000\r\n"
                + "1,3,2,Etanol,1000.0000,1004.0000,4.0000,1,20.0000,0.0000\r\n");
        QCOMPARE(
            tool({ "fechamento", "--data", "2026-12-07", "--empresa", "1" }).split(QStringLiteral("\r\n")).mid(1, 1),
            QStringList { "1,1,1,Gasolina,1015.0000,1018.0000,3.0000,1,18.0000,0.0000" });
        QCOMPARE(
            m_station->query(QStringLiteral("SELECT data_hora, tipo, motivo, antes, depois FROM encerrantes_historico "
                                            "WHERE bico = 2 ORDER BY id")),
            QStringList(
                { "2026-12-05 08:00:00|manual||0|10000000", "2026-12-06 09:00:00|abastecimento||10000000|10200000",
                    "2026-12-06 12:00:00|manual|bico trocado|10200000|15000000" }));

        // The page a person prints: its figures are the closing's, its chart the day's litres.
        const QString page = m_station->root.filePath(QStringLiteral("fechamento.html"));
        tool({ "fechamento", "--data", "2026-12-06", "--html", page });
        const QString html = QString::fromUtf8(TestFiles::read(page));
        QVERIFY(html.contains(QStringLiteral("Auto Posto João de Barro")));
        QVERIFY(!html.contains(QStringLiteral("<script")) && !html.contains(QStringLiteral("src=")));
        const QRegularExpression nozzle2(
            QStringLiteral("<tr data-empresa=\"1\" data-bico=\"2\" class=\"diferenca\">(.*?)</tr>"));
        QStringList figures;
        for (const QRegularExpressionMatch& cell :
            QRegularExpression(QStringLiteral("data-valor=\"([^\"]*)\">([^<]*)<"))
                .globalMatch(nozzle2.match(html).captured(1)))
            figures << cell.captured(1) + u'=' + cell.captured(2);
        QCOMPARE(figures,
            QStringList({ "1000.0000=1.000,00", "1500.0000=1.500,00", "20.0000=20,000", "1=1", "120.0000=120,00",
                "480.0000=480,00" }));
        QStringList bars;
        for (const QRegularExpressionMatch& bar :
            QRegularExpression(QStringLiteral("data-hora=\"(\\d+)\" data-produto=\"(\\d+)\" data-valor=\"([^\"]*)\""))
                .globalMatch(html))
            bars << bar.captured(1) + u'/' + bar.captured(2) + u'/' + bar.captured(3);
        QCOMPARE(bars, QStringList({ "8/1/10.0000", "9/1/20.0000", "15/1/5.0000", "23/2/4.0000" }));
    }

    // The status file and the station's row follow a held record: it appears with its reason and
    // goes once the record is registered. A bridge whose last cycle is old shows as stopped.
    void statusFollowsHeldRecords()
    {
        writeTable(1, { record("20261206", "08:10:00", "10", "60") });
        m_station->clock.set(QDateTime::currentDateTime());
        start(1);
        m_station->addTrigger(QStringLiteral("abastecimentos"), QStringLiteral("INSERT"), QString());
        m_station->cycle();
        const QJsonObject held = statusFile();
        QCOMPARE(held.value(QStringLiteral("empresa")).toInt(), 1);
        QCOMPARE(held.value(QStringLiteral("computador")).toString(), QStringLiteral("POSTO01"));
        const QJsonObject nozzle = held.value(QStringLiteral("bicos")).toArray().first().toObject();
        QCOMPARE(nozzle.value(QStringLiteral("retidos")).toInt(), 1);
        QCOMPARE(nozzle.value(QStringLiteral("mais_antigo")).toString(), QStringLiteral("2026-12-06 08:10:00"));
        QVERIFY(nozzle.value(QStringLiteral("motivo"))
                    .toString()
                    .startsWith(QStringLiteral("** ERRO ** Abastecimento Não Foi Incluído")));
        QVERIFY2(tool({ "situacao" }).contains(QStringLiteral(",ativo,1,1=1\r\n")), qPrintable(tool({ "situacao" })));

        m_station->dropTrigger(QStringLiteral("abastecimentos"));
        m_station->clock.set(QDateTime::currentDateTime().addSecs(-120));
        m_station->cycle();
        QCOMPARE(statusFile().value(QStringLiteral("bicos")).toArray(), QJsonArray());
        QVERIFY2(tool({ "situacao" }).contains(QStringLiteral(",parado,0,\r\n")), qPrintable(tool({ "situacao" })));
    }

    // A status file that cannot be written holds no sale back and leaves the row written, and a
    // link planted where it is written is not followed.
    void unwritableStatusFileHoldsNoSale_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::newRow("folder in its place") << QStringLiteral("Situacao.json");
        QTest::newRow("link in the place it is written") << QStringLiteral("Situacao.json.tmp");
    }
    void unwritableStatusFileHoldsNoSale()
    {
        QFETCH(QString, planted);
        const QString elsewhere = m_station->onC(QStringLiteral("outro.txt"));
        TestFiles::write(elsewhere, "intacto");
        const QString path = m_station->systemFolder() + u'/' + planted;
        QVERIFY(planted.endsWith(u".tmp") ? QFile::link(elsewhere, path) : QDir().mkdir(path));
        writeTable(1, { record("20261206", "08:10:00", "10", "60") });
        m_station->clock.set(QDateTime::currentDateTime());
        start(1);
        m_station->cycle();
        QCOMPARE(m_station->fuelings().size(), 1);
        QVERIFY2(tool({ "situacao" }).contains(QStringLiteral(",ativo,0,")), qPrintable(tool({ "situacao" })));
        QCOMPARE(TestFiles::read(elsewhere), QByteArray("intacto"));
    }

    // A heartbeat, with nothing else changed, moves the last cycle's time on in the file and the row.
    void heartbeatMovesTheLastCycleOn()
    {
        StationStatus status(m_station->drives, m_station->clock, *m_station->backOffice);
        m_station->clock.set(QDateTime::currentDateTime().addSecs(-120));
        status.started(1, QStringLiteral("POSTO01"), QStringLiteral("teste"));
        status.write();
        QVERIFY2(tool({ "situacao" }).contains(QStringLiteral(",parado,")), qPrintable(tool({ "situacao" })));
        const QDateTime now = QDateTime::currentDateTime();
        m_station->clock.set(now);
        status.write();
        QVERIFY2(tool({ "situacao" }).contains(QStringLiteral(",ativo,")), qPrintable(tool({ "situacao" })));
        QCOMPARE(statusFile().value(QStringLiteral("ultimo_ciclo")).toString(), now.toString(u"yyyy-MM-dd HH:mm:ss"));
    }
};

QTEST_GUILESS_MAIN(TestOperations)
#include "tst_operations.moc"
