#include "backoffice/backofficetransaction.h"
#include "backoffice/sqlconnection.h"
#include "dbase/pumptable.h"
#include "support/teststation.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <array>
#include <list>

// Bridges on a real PostgreSQL server: a chain's stations writing into one database at once, and
// a server that stops, comes back and holds its rows locked while sales arrive.
class TestChain : public QObject {
    Q_OBJECT

private:
    // Runs pg_ctl on the test server without holding the event loop.
    static void serverControl(const QString& action)
    {
        QProcess control;
        control.start(qEnvironmentVariable("AUTOQUORVAN_TEST_PG_CTL"), { action });
        QTRY_VERIFY_WITH_TIMEOUT(control.state() == QProcess::NotRunning, 60000);
        QCOMPARE(control.exitCode(), 0);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(TestStation::onPostgres(), "runs on the test server only"); }

    // Three stations, companies 1 to 3 with four nozzles each, register into one database at once.
    void chainRegistersEverySaleOnce()
    {
        constexpr int Stations = 3;
        constexpr int Nozzles = 4;
        constexpr int PerNozzle = 125;
        std::list<TestStation> stations;
        stations.emplace_back();
        for (int i = 1; i < Stations; ++i)
            stations.emplace_back(stations.front());
        std::list<QProcess> bridges;
        std::list<QProcess> pumps;
        int empresa = 0;
        for (TestStation& station : stations) {
            ++empresa;
            station.writeIni(TestStation::iniFor(Nozzles, QSysInfo::machineHostName().toLatin1(), empresa));
            station.addPumps(Nozzles, QStringLiteral(AUTOQUORVAN_BOMBA), qint16(empresa));
            QProcess& bridge = bridges.emplace_back();
            bridge.setProcessEnvironment(station.environment());
            bridge.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            bridge.start(QStringLiteral(AUTOQUORVAN_BRIDGE), {});
            for (int bico = 1; bico <= Nozzles; ++bico)
                station.startPump(pumps.emplace_back(), QStringLiteral(AUTOQUORVAN_BOMBA), bico, PerNozzle, 10,
                    QStringLiteral("%1.%2").arg(bico).arg(empresa));
        }
        TestStation& central = stations.front();
        const QString counts = QStringLiteral("SELECT count(*) FROM abastecimentos");
        QTRY_COMPARE_WITH_TIMEOUT(
            central.query(counts), QStringList { QString::number(Stations * Nozzles * PerNozzle) }, 120000);
        for (QProcess& bridge : bridges) {
            bridge.terminate();
            QVERIFY(bridge.waitForFinished(20000));
        }
        empresa = 0;
        for (TestStation& station : stations) {
            ++empresa;
            for (qint16 bico = 1; bico <= Nozzles; ++bico) {
                QCOMPARE(station.pumpRecords(PumpTable::name(bico)), QStringList());
                QCOMPARE(
                    central.query(QStringLiteral("SELECT count(*) FROM abastecimentos WHERE empresa = %1 AND bico = %2")
                                      .arg(empresa)
                                      .arg(bico)),
                    QStringList { QString::number(PerNozzle) });
                // Each fueling of nozzle n at company e delivered n.e litres.
                const Money litros = *Money::fromText(QStringLiteral("%1.%2").arg(bico).arg(empresa), u'.');
                QCOMPARE(central.totalizer(bico, qint16(empresa)),
                    (Money::fromUnits(10000000) + Money::fromUnits(litros.units() * PerNozzle)).toPlainText());
            }
        }
    }

    // The server ends the connection inside a transaction: the rest of the transaction fails on the
    // lost connection rather than running on a fresh one outside of it, and the next use reconnects.
    void connectionLostInsideATransaction()
    {
        TestStation station;
        station.addNozzle(1, 1, "5.99", "1000");
        clsConexao conexao(*station.backOffice);
        clsEncerrante encerrante(*station.backOffice);
        {
            BackOfficeTransaction transaction(conexao);
            transaction.begin();
            QVERIFY(encerrante.Localiza(1, 1));
            serverControl(QStringLiteral("restart"));
            // Qt's driver marks the connection closed once statements have failed on it (here after
            // the second): the third is the one that must not get a connection afresh.
            for (int statement = 1; statement <= 3; ++statement) {
                try {
                    encerrante.Localiza(1, 1);
                    QFAIL(qPrintable(QStringLiteral("statement %1 ran after the connection was lost").arg(statement)));
                } catch (const Error&) {
                }
            }
        }
        QVERIFY(encerrante.Localiza(1, 1));
        QCOMPARE(encerrante.EncerranteAtual.toPlainText(), QStringLiteral("1000.0000"));
    }

    // The server stops while sales arrive, comes back, then holds the totalizers locked: the sales
    // wait and are then registered once, each failure is written once, and the event loop never
    // stalls for more than half a second, however long the back-office makes the cycle wait.
    void outageAndLockKeepTheWindowResponsive()
    {
        constexpr int Nozzles = 4;
        constexpr int PerNozzle = 60;
        TestStation station;
        station.addPumps(Nozzles, QStringLiteral(AUTOQUORVAN_BOMBA));
        station.backOffice->setResponsive(true);
        QCOMPARE(station.start(Nozzles), Bridge::StartupOutcome::Running);

        qint64 longestStall = 0;
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer meter;
        QObject::connect(&meter, &QTimer::timeout, [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
        meter.start(20);

        std::array<QProcess, Nozzles> pumps;
        for (int bico = 1; bico <= Nozzles; ++bico)
            station.startPump(pumps[bico - 1], QStringLiteral(AUTOQUORVAN_BOMBA), bico, PerNozzle, 100,
                QStringLiteral("%1.5").arg(bico));
        QTest::qWait(1000);
        serverControl(QStringLiteral("stop"));
        QTest::qWait(3000);
        serverControl(QStringLiteral("start"));
        QTest::qWait(500);
        BackOfficeDatabase other(station.backOffice->settings());
        other.setResponsive(true);
        other.call([&] {
            for (const QString& statement : TestStation::lockTotalizers())
                other.records("teste").run(statement, "teste");
        });
        QTest::qWait(6000);
        other.call([&] { other.records("teste").run(QStringLiteral("ROLLBACK"), "teste"); });
        QTRY_COMPARE_WITH_TIMEOUT(station.fuelings().size(), qsizetype(Nozzles * PerNozzle), 60000);
        meter.stop();

        QVERIFY2(longestStall < 500, qPrintable(QStringLiteral("the event loop stalled for %1 ms").arg(longestStall)));
        for (int bico = 1; bico <= Nozzles; ++bico) {
            QCOMPARE(station.totalizer(qint16(bico)),
                (Money::fromUnits(10000000) + Money::fromUnits((bico * 10000 + 5000) * PerNozzle)).toPlainText());
        }
        // Each held record's failure is written once while it lasts, and again only when its text
        // changes (the connection ended, refused, the server starting, the lock): a few lines per
        // nozzle, where a failure written at every cycle would be hundreds over these seconds.
        const QStringList failures = station.logLines().filter(QStringLiteral("ERRO"));
        qInfo("%lld failure lines; the event loop's longest stall %lld ms", qint64(failures.size()), longestStall);
        QVERIFY2(!failures.isEmpty(), "the outage left no trace in the log");
        QVERIFY2(failures.size() <= 15 * Nozzles, qPrintable(failures.join(u'\n')));
        QCOMPARE(station.boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }
};

QTEST_GUILESS_MAIN(TestChain)
#include "tst_chain.moc"
