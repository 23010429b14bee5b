#include "common/conversions.h"
#include "common/error.h"

#include <QTest>

class TestConversions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsSettingsNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::addColumn<int>("rounded"); // -99999: rounding overflows
        QTest::newRow("half to even below") << "8.5" << 8.5 << 8;
        QTest::newRow("half to even above") << "9.5" << 9.5 << 10;
        QTest::newRow("trailing words") << "12 bicos" << 12.0 << 12;
        QTest::newRow("no leading number") << "abc" << 0.0 << 0;
        QTest::newRow("blanks skipped inside") << " 1 2 " << 12.0 << 12;
        QTest::newRow("negative fraction") << "-0.4" << -0.4 << 0;
        QTest::newRow("comma ends the number") << "1,5" << 1.0 << 1;
        QTest::newRow("second point ends the number") << "1.2.3" << 1.2 << 1;
        QTest::newRow("smallest") << "-32768" << -32768.0 << -32768;
        QTest::newRow("beyond 16 bits") << "40000" << 40000.0 << -99999;
        QTest::newRow("rounds into overflow") << "32767.5" << 32767.5 << -99999;
    }
    void readsSettingsNumbers()
    {
        QFETCH(QString, text);
        QFETCH(double, number);
        QFETCH(int, rounded);
        QCOMPARE(leadingNumber(text), number);
        if (rounded == -99999)
            QVERIFY_THROWS_EXCEPTION(Error, roundToInteger16(number));
        else
            QCOMPARE(int(roundToInteger16(number)), rounded);
    }

    void narrowsWholeNumbers()
    {
        QCOMPARE(toInteger16(32767), qint16(32767));
        QVERIFY_THROWS_EXCEPTION(Error, toInteger16(32768));
        QVERIFY_THROWS_EXCEPTION(Error, toInteger16(-32769));
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
