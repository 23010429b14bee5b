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
        QTest::newRow("noon after epoch") << QDateTime(QDate(1899, 12, 31), QTime(12, 0)) << 1.5;
        QTest::newRow("before epoch counts time forward") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
        QTest::newRow("a fueling") << QDateTime(QDate(2026, 12, 6), QTime(14, 3, 22)) << 46362.585671296296;
        QTest::newRow("last second of a day") << QDateTime(QDate(2027, 1, 1), QTime(23, 59, 59)) << 46388.999988425923;
    }
    void roundTrips()
    {
        QFETCH(QDateTime, moment);
        QFETCH(double, days);
        const DateValue value = DateValue::fromDateTime(moment);
        QVERIFY(qAbs(value.days() - days) < 1e-9);
        QCOMPARE(value.date(), moment.date());
        QCOMPARE(value.time(), moment.time());
        QCOMPARE(DateValue(days).date(), moment.date());
        QCOMPARE(DateValue(days).time(), moment.time());
    }

    void timeOfDayRoundsToTheSecond()
    {
        // 14:03:22 is not exact in binary; reading it back must not give 14:03:21.
        for (int second = 0; second < 86400; second += 7) {
            const QTime time = QTime(0, 0).addSecs(second);
            QCOMPARE(DateValue::fromTime(time).time(), time);
        }
        QCOMPARE(DateValue(0.9999999999).time(), QTime(0, 0));
        QCOMPARE(DateValue(0.9999999999).date(), QDate(1899, 12, 31));
    }

    void readsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QDateTime>("expected");
        const QDate none(1899, 12, 30);
        QTest::newRow("time") << "14:03:22" << true << QDateTime(none, QTime(14, 3, 22));
        QTest::newRow("time one-digit hour") << "9:05:00" << true << QDateTime(none, QTime(9, 5));
        QTest::newRow("time without seconds") << "09:05" << true << QDateTime(none, QTime(9, 5));
        QTest::newRow("brazilian date") << "06/12/2026" << true << QDateTime(QDate(2026, 12, 6), QTime(0, 0));
        QTest::newRow("iso date") << "2026-12-06" << true << QDateTime(QDate(2026, 12, 6), QTime(0, 0));
        QTest::newRow("dbase date") << "20261206" << true << QDateTime(QDate(2026, 12, 6), QTime(0, 0));
        QTest::newRow("date and time") << "06/12/2026 14:03:22" << true
                                       << QDateTime(QDate(2026, 12, 6), QTime(14, 3, 22));
        QTest::newRow("hour 24") << "24:00:00" << false << QDateTime();
        QTest::newRow("words") << "agora" << false << QDateTime();
        QTest::newRow("blank") << "   " << false << QDateTime();
        QTest::newRow("impossible date") << "31/02/2026" << false << QDateTime();
    }
    void readsText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QDateTime, expected);
        const auto value = DateValue::fromText(text, QLocale(QLocale::Portuguese, QLocale::Brazil));
        QCOMPARE(value.has_value(), valid);
        if (valid) {
            QCOMPARE(value->date(), expected.date());
            QCOMPARE(value->time(), expected.time());
        }
    }

    void defaultTextForm_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("text");
        QTest::newRow("time alone") << QDateTime(QDate(1899, 12, 30), QTime(14, 3, 22)) << "14:03:22";
        QTest::newRow("midnight of no date") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << "00:00:00";
        QTest::newRow("date alone") << QDateTime(QDate(2026, 12, 6), QTime(0, 0)) << "06/12/2026";
        QTest::newRow("both") << QDateTime(QDate(2026, 12, 6), QTime(8, 0, 1)) << "06/12/2026 08:00:01";
    }
    void defaultTextForm()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QString, text);
        QCOMPARE(DateValue::fromDateTime(moment).toText(QLocale(QLocale::Portuguese, QLocale::Brazil)), text);
    }
};

QTEST_GUILESS_MAIN(TestDateValue)
#include "tst_datevalue.moc"
