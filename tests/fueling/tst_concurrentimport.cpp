#include "backoffice/backofficeadmin.h"
#include "support/teststation.h"

#include <QProcess>
#include <QTest>

// The pump automation appends while the bridge reads and deletes: nothing may be lost or counted
// twice, whatever the interleaving.
class TestConcurrentImport : public QObject {
    Q_OBJECT

private:
    static constexpr int Nozzles = 4;
    static constexpr int PerNozzle = 500;

    static int liveRecords(const TestStation& station, int bico)
    {
        DataControl control(station.drives);
        control.setDatabaseName(QStringLiteral("C:\\wdn\\matriz"));
        control.setRecordSource(QStringLiteral("BOMBA%1.DBF").arg(bico, 2, 10, QChar(u'0')));
        control.Refresh();
        int count = 0;
        for (; !control.Eof(); control.MoveNext())
            ++count;
        return count;
    }

private Q_SLOTS:
    void appendsWhileThePollingCycleRuns()
    {
        TestStation station;
        station.writeIni(TestStation::iniFor(Nozzles));
        for (qint16 bico = 1; bico <= Nozzles; ++bico) {
            BackOfficeAdmin::gravaBico(*station.backOffice, 1, bico, 1, Money::fromUnits(59900));
            BackOfficeAdmin::gravaEncerrante(*station.backOffice, 1, bico, Money());
        }
        Bridge bridge(station.ports());
        QCOMPARE(bridge.Form_Load(), Bridge::StartupOutcome::Running);

        QList<QProcess*> writers;
        for (int bico = 1; bico <= Nozzles; ++bico) {
            auto* writer = new QProcess(this);
            writer->start(QStringLiteral(AUTOQUORVAN_BOMBA),
                { station.pumpFolder(), QString::number(bico), QStringLiteral("--quantidade"),
                    QString::number(PerNozzle), QStringLiteral("--litros"), QStringLiteral("%1.125").arg(bico),
                    QStringLiteral("--valor"), QStringLiteral("10") });
            writers << writer;
        }
        const auto finished = [&] {
            for (QProcess* writer : writers) {
                if (writer->state() != QProcess::NotRunning)
                    return false;
            }
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(finished(), 120000);
        for (QProcess* writer : writers)
            QCOMPARE(writer->exitCode(), 0);
        const auto registered
            = [&] { return BackOfficeAdmin::abastecimentos(*station.backOffice, {}, {}).rows.size(); };
        QTRY_COMPARE_WITH_TIMEOUT(registered(), qsizetype(Nozzles * PerNozzle), 120000);

        for (int bico = 1; bico <= Nozzles; ++bico) {
            QCOMPARE(liveRecords(station, bico), 0);
            QCOMPARE(BackOfficeAdmin::abastecimentos(*station.backOffice, {}, qint16(bico)).rows.size(),
                qsizetype(PerNozzle));
        }
        const QList<QStringList> totalizers = BackOfficeAdmin::encerrantes(*station.backOffice, {}).rows;
        QCOMPARE(totalizers.size(), Nozzles);
        for (const QStringList& row : totalizers) {
            const Money litres = *Money::fromText(QStringLiteral("%1.125").arg(row[1]), u'.');
            QCOMPARE(row[2], (litres * Money::fromUnits(PerNozzle * Money::UnitsPerWhole)).toPlainText());
        }
        QCOMPARE(station.boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }
};

QTEST_GUILESS_MAIN(TestConcurrentImport)
#include "tst_concurrentimport.moc"
