#include "dbase/pumptable.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <csignal>
#include <unistd.h>

// The real programs as separate processes, under the faults a station meets: the bridge killed at
// any moment, a back-office it may not write, a totalizer set by hand while sales arrive. Whatever
// happens, every sale is registered once and every litre reaches its totalizer once.
class TestFaults : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStation> m_station;

    // A station whose settings name this computer, with nozzles 1 to n.
    void setUpStation(int nozzles)
    {
        m_station = std::make_unique<TestStation>();
        m_station->writeIni(TestStation::iniFor(nozzles, QSysInfo::machineHostName().toLatin1()));
        m_station->addPumps(nozzles, QStringLiteral(AUTOQUORVAN_BOMBA));
    }
    void startBridge(QProcess& bridge, const QStringList& prefix = {})
    {
        bridge.setProcessEnvironment(m_station->environment());
        bridge.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (prefix.isEmpty())
            bridge.start(QStringLiteral(AUTOQUORVAN_BRIDGE), {});
        else
            bridge.start(prefix.first(), prefix.mid(1) + QStringList { QStringLiteral(AUTOQUORVAN_BRIDGE) });
        QVERIFY(bridge.waitForStarted());
    }
    void appendFuelings(QProcess& pump, int bico, int count, int intervalMs)
    {
        m_station->startPump(
            pump, QStringLiteral(AUTOQUORVAN_BOMBA), bico, count, intervalMs, QStringLiteral("%1.125").arg(bico));
    }
    int liveRecords(int nozzles) const
    {
        int live = 0;
        for (int bico = 1; bico <= nozzles; ++bico)
            live += int(m_station->pumpRecords(PumpTable::name(bico)).size());
        return live;
    }
    QString logText() const
    {
        QString text;
        QDirIterator logs(m_station->systemFolder(), { QStringLiteral("AUTOMACAO_*.LOG") });
        while (logs.hasNext())
            text += QString::fromLatin1(TestFiles::read(logs.next()));
        return text;
    }
    static void stop(QProcess& bridge)
    {
        bridge.terminate();
        QVERIFY(bridge.waitForFinished(20000));
    }

private Q_SLOTS:
    void everySaleAndLitreOnceThroughKills()
    {
        constexpr int Nozzles = 4;
        constexpr int PerNozzle = 250;
        setUpStation(Nozzles);
        std::array<QProcess, Nozzles> pumps;
        for (int bico = 1; bico <= Nozzles; ++bico)
            appendFuelings(pumps[bico - 1], bico, PerNozzle, 180);
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("kill moments seeded with %u", seed);
        QRandomGenerator random(seed);
        QElapsedTimer elapsed;
        elapsed.start();
        int kills = 0;
        const auto pumping = [&] {
            return std::ranges::any_of(
                pumps, [](const QProcess& pump) { return pump.state() != QProcess::NotRunning; });
        };
        while ((kills < 25 || pumping()) && elapsed.elapsed() < 150000) {
            QProcess bridge;
            startBridge(bridge);
            QTest::qWait(random.bounded(30, 1500));
            ::kill(pid_t(bridge.processId()), SIGKILL);
            QVERIFY(bridge.waitForFinished(20000));
            ++kills;
        }
        qInfo("%d kills in %lld ms", kills, elapsed.elapsed());
        QVERIFY(kills >= 25);
        for (QProcess& pump : pumps) {
            QVERIFY(pump.state() == QProcess::NotRunning || pump.waitForFinished(60000));
            QCOMPARE(pump.exitCode(), 0);
        }

        QProcess bridge;
        startBridge(bridge);
        QTRY_COMPARE_WITH_TIMEOUT(m_station->fuelings().size(), qsizetype(Nozzles * PerNozzle), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(liveRecords(Nozzles), 0, 10000);
        stop(bridge);
        for (int bico = 1; bico <= Nozzles; ++bico) {
            const QString prefix = QStringLiteral("%1 ").arg(bico);
            QCOMPARE(m_station->fuelings().filter(QRegularExpression(u'^' + prefix)).size(), PerNozzle);
            // Each fueling of nozzle n delivered n.125 litres.
            QCOMPARE(m_station->totalizer(qint16(bico)),
                Money::fromUnits(10000000 + PerNozzle * (bico * 10000 + 1250)).toPlainText());
        }
    }

    // A back-office the bridge may only read when it starts: the sale waits, the log says why, and
    // once the file may be written again the bridge registers it by itself.
    void readOnlyBackOfficeHealsByItself()
    {
        setUpStation(1);
        const QString database = m_station->backOffice->settings().file;
        QProcess::execute(QStringLiteral(AUTOQUORVAN_BOMBA),
            { m_station->pumpFolder(), QStringLiteral("1"), QStringLiteral("--hora"), QStringLiteral("10:00:00") });
        // Root writes whatever the permissions say: the bridge runs as nobody then, in a station
        // open to everyone but its back-office.
        QStringList prefix;
        if (::geteuid() == 0) {
            prefix = QStringList { QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"), QStringLiteral("--") };
            QFile::setPermissions(m_station->root.path(), QFileDevice::Permissions(0x7777));
            QDirIterator entries(m_station->root.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                QDirIterator::Subdirectories);
            while (entries.hasNext())
                QFile::setPermissions(entries.next(), QFileDevice::Permissions(0x7777));
        }
        QVERIFY(
            QFile::setPermissions(database, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        QProcess bridge;
        startBridge(bridge, prefix);
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains(QStringLiteral("somente leitura")), 20000);
        // Looked at from the log and the table only: a connection of the test's own, as root, would
        // make SQLite's side files for the database, ones the bridge may not write.
        QVERIFY(!logText().contains(QStringLiteral("Gravado")));
        QCOMPARE(liveRecords(1), 1);

        QVERIFY(QFile::setPermissions(database, QFileDevice::Permissions(0x6666)));
        QTRY_VERIFY_WITH_TIMEOUT(logText().contains(QStringLiteral("Gravado")), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(liveRecords(1), 0, 10000);
        stop(bridge);
        QCOMPARE(m_station->fuelings().size(), 1);
        QCOMPARE(m_station->totalizer(1), QStringLiteral("1020.0000"));
    }

    // The totalizer's history, written in the transaction of each change, shows every change start
    // from the value the one before left; an increment adds exactly its fueling's litres, and a set
    // by hand is the value set.
    void totalizerSetByHandWhileFuelingsArrive()
    {
        constexpr int Fuelings = 200;
        setUpStation(1);
        QProcess bridge;
        startBridge(bridge);
        QProcess pump;
        appendFuelings(pump, 1, Fuelings, 40);
        int sets = 0;
        while (pump.state() != QProcess::NotRunning) {
            QCOMPARE(TestFiles::run(QStringLiteral(AUTOQUORVAN_RETAGUARDA), { "encerrante", "1", "1", "5000" },
                         m_station->environment()),
                "0 ");
            ++sets;
            QTest::qWait(300);
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_station->fuelings().size(), qsizetype(Fuelings), 60000);
        stop(bridge);

        qint64 value = 0;
        int increments = 0;
        int setsSeen = 0;
        for (const QString& change : m_station->query(
                 QStringLiteral("SELECT h.tipo, h.antes, h.depois, a.quantidade FROM encerrantes_historico h LEFT JOIN "
                                "abastecimentos a "
                                "ON a.empresa = h.empresa AND a.bico = h.bico AND a.data = h.abastecimento_data "
                                "AND a.hora = h.abastecimento_hora ORDER BY h.id"))) {
            const QStringList fields = change.split(u'|');
            QCOMPARE(fields[1].toLongLong(), value);
            value = fields[2].toLongLong();
            if (fields[0] == u"manual") {
                QVERIFY(value == 50000000 || setsSeen == 0);
                ++setsSeen;
            } else {
                QCOMPARE(value - fields[1].toLongLong(), fields[3].toLongLong());
                ++increments;
            }
        }
        QCOMPARE(increments, Fuelings);
        QCOMPARE(setsSeen, sets + 1); // and the station's own start at 1000
        QVERIFY(sets > 1);
        QCOMPARE(m_station->totalizer(1), Money::fromUnits(value).toPlainText());
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
