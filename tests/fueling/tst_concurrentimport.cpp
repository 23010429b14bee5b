#include "dbase/pumptable.h"
#include "support/teststation.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <array>

// The pump automation appends while the bridge reads and deletes: nothing may be lost or counted
// twice, whatever the interleaving.
class TestConcurrentImport : public QObject {
    Q_OBJECT

private:
    static constexpr int Nozzles = 4;
    static constexpr int PerNozzle = 500;

private Q_SLOTS:
    void appendsWhileThePollingCycleRuns()
    {
        TestStation station;
        station.writeIni(TestStation::iniFor(Nozzles));
        for (qint16 bico = 1; bico <= Nozzles; ++bico)
            station.addNozzle(bico, 1, "5.99", "0");
        Bridge bridge(station.ports());
        QCOMPARE(bridge.Form_Load(), Bridge::StartupOutcome::Running);

        std::array<QProcess, Nozzles> writers;
        for (int bico = 1; bico <= Nozzles; ++bico) {
            writers[bico - 1].start(QStringLiteral(AUTOQUORVAN_BOMBA),
                { station.pumpFolder(), QString::number(bico), QStringLiteral("--quantidade"),
                    QString::number(PerNozzle), QStringLiteral("--litros"), QStringLiteral("%1.125").arg(bico),
                    QStringLiteral("--valor"), QStringLiteral("10") });
        }
        // Waiting turns the event loop, so the bridge's own timer runs its cycles meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(
            std::ranges::all_of(writers, [](const QProcess& w) { return w.state() == QProcess::NotRunning; }), 120000);
        for (const QProcess& writer : writers)
            QCOMPARE(writer.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(station.fuelings().size(), qsizetype(Nozzles * PerNozzle), 120000);

        for (qint16 bico = 1; bico <= Nozzles; ++bico) {
            QCOMPARE(station.pumpRecords(PumpTable::name(bico)), QStringList());
            QCOMPARE(station.fuelings().filter(QRegularExpression(QStringLiteral("^%1 ").arg(bico))).size(), PerNozzle);
            // Each fueling of nozzle n delivered n.125 litres.
            QCOMPARE(station.totalizer(bico), QStringLiteral("%1.5000").arg(PerNozzle * bico + PerNozzle / 8));
        }
        QCOMPARE(station.boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }
};

QTEST_GUILESS_MAIN(TestConcurrentImport)
#include "tst_concurrentimport.moc"
