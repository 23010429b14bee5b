#include "common/datevalue.h"

#include <QTest>

class TestDateValue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrips_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<double>("days");
        QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
        QTest::newRow("before epoch counts time forward") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
        QTest::newRow("a fueling") << QDateTime(QDate(2026, 12, 6), QTime(14, 3, 22)) << 46362.585671296296;
        QTest::newRow("last second of a day") << QDateTime(QDate(2027, 1, 1), QTime(23, 59, 59)) << 46388.999988425923;
    }
    void roundTrips()
    {
        QFETCH(QDateTime, moment);
        QFETCH(double, days);
        QVERIFY(qAbs(DateValue::fromDateTime(moment).days() - days) < 1e-9);
        QCOMPARE(DateValue(days).date(), moment.date());
        QCOMPARE(DateValue(days).time(), moment.time());
    }

    void timeOfDayRoundsToTheSecond()
    {
        // 14:03:22 is not exact in binary; reading it back must not give 14:03:21.
        for (int second = 0; second < 86400; second += 7)
            QCOMPARE(DateValue::fromTime(QTime(0, 0).addSecs(second)).time(), QTime(0, 0).addSecs(second));
        QCOMPARE(DateValue(0.9999999999).date(), QDate(1899, 12, 31));
    }

    void readsAndWritesText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("defaultForm"); // empty: not a date or time
        QTest::newRow("time alone") << "14:03:22"
                                    << "14:03:22";
        QTest::newRow("one-digit hour, no seconds") << "9:05"
                                                    << "09:05:00";
        QTest::newRow("brazilian date") << "06/12/2026"
                                        << "06/12/2026";
        QTest::newRow("iso date") << "2026-12-06"
                                  << "06/12/2026";
        QTest::newRow("dbase date") << "20261206"
                                    << "06/12/2026";
        QTest::newRow("two-digit year in this century") << "06/12/26"
                                                        << "06/12/2026";
        QTest::newRow("date and time") << "06/12/2026 08:00:01"
                                       << "06/12/2026 08:00:01";
        QTest::newRow("hour 24") << "24:00:00"
                                 << "";
        QTest::newRow("words") << "agora"
                               << "";
        QTest::newRow("impossible date") << "31/02/2026"
                                         << "";
    }
    void readsAndWritesText()
    {
        QFETCH(QString, text);
        QFETCH(QString, defaultForm);
        const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
        const auto value = DateValue::fromText(text, brazil);
        QCOMPARE(value.has_value(), !defaultForm.isEmpty());
        if (value)
            QCOMPARE(value->toText(brazil), defaultForm);
    }
};

QTEST_GUILESS_MAIN(TestDateValue)
#include "tst_datevalue.moc"
