#include "totalizerstation.h"

#include <QTest>

// The reading's lines, boxes and failures are checked through the request exchange, which runs it.
class TestTotalizerReading : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The failure at nozzle 2 reaches the click, which logs it instead of ending the program.
    void clickLogsAFailure()
    {
        TotalizerStation t;
        t.failAfterNozzle1();
        t.reading.cmdEncerrante_Click();
        QCOMPARE(t.log.EventLB().lines(), at({ " - Bico-1   Encerrante= 1.000,50" }));
        const QStringList logged = t.logLines();
        QCOMPARE(logged.size(), 2);
        QVERIFY2(logged.last().startsWith(QStringLiteral("14:05:31 - ERRO cmdEncerrante_Click: clsEncerrante.Localiza"))
                && logged.last().endsWith(QStringLiteral(" - Err: 3146")),
            qPrintable(logged.last()));
        QCOMPARE(t.boxes.takeBoxes(), QList<Box>());
    }
};

QTEST_GUILESS_MAIN(TestTotalizerReading)
#include "tst_totalizerreading.moc"
