#include "backoffice/backofficeadmin.h"
#include "backoffice/backofficeclasses.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// A fueling reported stored is a sale: it must be in the file when the process dies right after
// the call returns, with no chance to close the database or checkpoint its log.
class TestBackOfficeDurability : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fuelingSurvivesKill()
    {
        QTemporaryDir dir;
        const BackOfficeSettings settings = BackOfficeSettings::sqlite(
            dir.filePath(QStringLiteral("Retaguarda.db")), dir.filePath(QStringLiteral("Mensagens.db")));
        {
            BackOfficeDatabase database(settings);
            QVERIFY(database.create());
            BackOfficeAdmin::gravaEncerrante(database, 1, 3, Money::fromUnits(50000));
        }

        QProcess child;
        child.start(QStringLiteral(INCLUI_CHILD), { settings.file, settings.outbox });
        QVERIFY(child.waitForStarted());
        QByteArray output;
        while (!output.contains("INCLUIDO\n") && child.state() == QProcess::Running) {
            child.waitForReadyRead(1000);
            output += child.readAllStandardOutput();
        }
        QCOMPARE(output, QByteArray("INCLUIDO\n"));
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        BackOfficeDatabase database(settings);
        clsAbastecimento fueling(database);
        QVERIFY(fueling.Existe(1, DateValue::fromDate(QDate(2026, 3, 14)), DateValue::fromTime(QTime(9, 30, 5)), 3));
        clsEncerrante encerrante(database);
        QVERIFY(encerrante.Localiza(1, 3));
        QCOMPARE(encerrante.EncerranteAtual.units(), 62340);
        const BackOfficeAdmin::Table listed = BackOfficeAdmin::abastecimentos(database, std::nullopt, std::nullopt);
        QCOMPARE(listed.rows.size(), 1);
        QCOMPARE(listed.rows[0].at(7), QStringLiteral("7.4030"));
    }
};

QTEST_GUILESS_MAIN(TestBackOfficeDurability)
#include "tst_backofficedurability.moc"
