#include "totalizerstation.h"

#include <QTest>

using Box = RecordingMessageBox::Box;

class TestTotalizerReading : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void readsEveryNozzle_data()
    {
        QTest::addColumn<int>("bicos");
        QTest::addColumn<QVariantList>("totals"); // of nozzles 1, 2, ...; an invalid entry has none
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("result");
        QTest::newRow("no nozzles") << 0 << QVariantList { 1.0 } << QStringList() << false;
        QTest::newRow("zero") << 1 << QVariantList { 0.0 } << QStringList { " - Bico-1   Encerrante= 0,00" } << true;
        QTest::newRow("rounded into the thousands")
            << 1 << QVariantList { 999.996 } << QStringList { " - Bico-1   Encerrante= 1.000,00" } << true;
        QTest::newRow("millions grouped")
            << 3 << QVariantList { 1.0, 2.0, 1234567.891 }
            << QStringList { " - Bico-1   Encerrante= 1,00", " - Bico-2   Encerrante= 2,00",
                   " - Bico-3   Encerrante= 1.234.567,89" }
            << true;
        QTest::newRow("missing totalizer read as the object reports")
            << 3 << QVariantList { 5.0, QVariant(), 7.0 }
            << QStringList { " - Bico-1   Encerrante= 5,00", " - Bico-2   Encerrante= 0,00",
                   " - Bico-3   Encerrante= 7,00" }
            << true;
        QVariantList twelve;
        QStringList twelveLines;
        for (int bico = 1; bico <= 12; ++bico) {
            twelve += double(bico);
            twelveLines += QStringLiteral(" - Bico-%1   Encerrante= %1,00").arg(bico);
        }
        QTest::newRow("no leading zeros") << 12 << twelve << twelveLines << true;
    }
    void readsEveryNozzle()
    {
        QFETCH(int, bicos);
        QFETCH(QVariantList, totals);
        QFETCH(QStringList, lines);
        QFETCH(bool, result);
        TotalizerStation t;
        t.settings.lQuantidadeBicos = qint16(bicos);
        QList<qsizetype> missing;
        for (qint16 bico = 1; bico <= totals.size(); ++bico) {
            const QVariant total = totals.at(bico - 1);
            // Company 2 has every totalizer, so reading the wrong company shows.
            t.setTotalizer(2, bico, 100 + bico);
            if (total.isValid())
                t.setTotalizer(1, bico, total.toDouble());
            else
                missing += bico - 1;
        }
        // Lines already in the list when each box opened: the box comes before its nozzle's line.
        QList<qsizetype> linesAtBox;
        t.station.boxes.whileOpen = [&](const Box&) { linesAtBox += t.log.EventLB().lines().size(); };

        QCOMPARE(t.reading.LeituraEncerrantes(), result);
        QCOMPARE(t.log.EventLB().lines(), at(lines));
        QCOMPARE(t.logged(), at(lines));
        QCOMPARE(linesAtBox, missing);
        const Box box { QStringLiteral("Encerrante atual não encontrado"), 16, QStringLiteral("Erro de Integridade!") };
        QCOMPARE(t.station.boxes.takeBoxes(), QList<Box>(missing.size(), box));
    }

    // The failure at nozzle 2 reaches the click, which logs it instead of ending the program.
    void clickLogsAFailure()
    {
        TotalizerStation t;
        for (qint16 bico = 1; bico <= 4; ++bico)
            t.setTotalizer(1, bico, bico);
        t.dropTotalizersAfterNozzle1();
        t.reading.cmdEncerrante_Click();
        QCOMPARE(t.log.EventLB().lines(), at({ " - Bico-1   Encerrante= 1,00" }));
        const QStringList logged = t.logged();
        QCOMPARE(logged.size(), 2);
        QCOMPARE(t.station.boxes.takeBoxes(), QList<Box>());
        QVERIFY2(logged.last().startsWith(QStringLiteral("14:05:31 - ERRO cmdEncerrante_Click: clsEncerrante.Localiza"))
                && logged.last().endsWith(QStringLiteral(" - Err: 3146")),
            qPrintable(logged.last()));
    }
};

QTEST_GUILESS_MAIN(TestTotalizerReading)
#include "tst_totalizerreading.moc"
