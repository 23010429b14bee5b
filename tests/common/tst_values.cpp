#include "common/conversions.h"
#include "common/datevalue.h"
#include "common/error.h"
#include "common/money.h"
#include "support/testfiles.h"

#include <QTest>
#include <limits>

static const QLocale Brazil(QLocale::Portuguese, QLocale::Brazil);

// The values every fueling carries: money, date values, and the numbers read from the settings.
class TestValues : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsMoney_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("brazil");
        QTest::addColumn<QString>("c");
        QTest::addColumn<QString>("pattern");
        const char* grouped = "##,###,##0.00";
        row("half cent rounds up", "0.125", "0,13", "0.13", grouped);
        row("carry into thousands", "999.996", "1.000,00", "1,000.00", grouped);
        row("exact cents stay", "39.99", "39,99", "39.99", grouped);
        row("millions grouped", "1234567.891", "1.234.567,89", "1,234,567.89", grouped);
        row("negative half away from zero", "-0.125", "-0,13", "-0.13", grouped);
        row("tiny negative shows no sign", "-0.0049", "0,00", "0.00", grouped);
        row("padded, never grouped", "1234.565", "00001234,57", "00001234.57", "00000000.00");
    }
    void formatsMoney()
    {
        QFETCH(QString, value);
        QFETCH(QString, brazil);
        QFETCH(QString, c);
        QFETCH(QString, pattern);
        const Money amount = *Money::fromText(value, u'.');
        QCOMPARE(amount.format(pattern, Brazil), brazil);
        QCOMPARE(amount.format(pattern, QLocale::c()), c);
    }

    void parsesMoney_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separators"); // decimal, then group
        QTest::addColumn<QString>("read"); // the plain text form under pt_BR; empty: not a number
        row("brazilian", " -1.234,5678 ", ",.", "-1234,5678");
        row("fifth decimal half rounds away", "-0.00005", ".", "-0,0001");
        row("fifth decimal below half", "0.000049999", ".", "0");
        row("largest", "922337203685477.5807", ".", "922337203685477,5807");
        row("beyond largest", "922337203685477.5808", ".", "");
        row("sign alone", "-", ".", "");
        row("trailing words", "12 litros", ".", "");
        row("comma without group separator", "1,5", ".", "");
        row("group after the point", "1,5.000", ",.", "");
    }
    void parsesMoney()
    {
        QFETCH(QString, text);
        QFETCH(QString, separators);
        QFETCH(QString, read);
        const auto parsed = Money::fromText(text, separators[0], separators.size() > 1 ? separators[1] : QChar());
        QCOMPARE(parsed ? parsed->toText(Brazil) : QString(), read);
    }

    void arithmeticIsExactAndOverflowIsAnError()
    {
        QCOMPARE((Money::fromUnits(50000) + Money::fromUnits(12340)).units(), 62340);
        QCOMPARE((Money::fromUnits(-1) * Money::fromUnits(5000)).units(), -1);
        QCOMPARE((Money::fromUnits(1) * Money::fromUnits(4999)).units(), 0);
        QCOMPARE(Money::fromDouble(1234567.891).units(), qint64(12345678910));
        const Money largest = Money::fromUnits(std::numeric_limits<qint64>::max());
        QVERIFY_THROWS_EXCEPTION(Error, largest + Money::fromUnits(1));
        QVERIFY_THROWS_EXCEPTION(Error, -Money::fromUnits(std::numeric_limits<qint64>::min()));
        QVERIFY_THROWS_EXCEPTION(Error, largest * Money::fromUnits(20000));
        QVERIFY_THROWS_EXCEPTION(Error, Money::fromDouble(1e300));
        QCOMPARE(toInteger16(32767), qint16(32767));
        QVERIFY_THROWS_EXCEPTION(Error, toInteger16(32768));
        QVERIFY_THROWS_EXCEPTION(Error, toInteger16(-32769));
    }

    void readsAndWritesDateValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("days");
        QTest::addColumn<QString>("defaultForm"); // empty: not a date or time
        row("time alone", "14:03:22", 0.58567129629629, "14:03:22");
        row("one-digit hour, no seconds", "9:05", 0.37847222222222, "09:05:00");
        row("brazilian date", "06/12/2026", 46362.0, "06/12/2026");
        row("iso date", "2026-12-06", 46362.0, "06/12/2026");
        row("dbase date", "20261206", 46362.0, "06/12/2026");
        row("two-digit year in this century", "06/12/26", 46362.0, "06/12/2026");
        row("four-digit year kept", "06/12/1925", 9472.0, "06/12/1925");
        row("a fueling", "06/12/2026 14:03:22", 46362.585671296296, "06/12/2026 14:03:22");
        row("last second of a day", "01/01/2027 23:59:59", 46388.999988425923, "01/01/2027 23:59:59");
        row("hour 24", "24:00:00", 0.0, "");
        row("impossible date", "31/02/2026", 0.0, "");
    }
    void readsAndWritesDateValues()
    {
        QFETCH(QString, text);
        QFETCH(double, days);
        QFETCH(QString, defaultForm);
        const auto value = DateValue::fromText(text, Brazil);
        QCOMPARE(value.has_value(), !defaultForm.isEmpty());
        if (value) {
            QVERIFY2(qAbs(value->days() - days) < 1e-9, qPrintable(QString::number(value->days(), 'f', 12)));
            QCOMPARE(value->toText(Brazil), defaultForm);
        }
    }

    void timeOfDayCountsForwardToTheNearestSecond()
    {
        // 14:03:22 is not exact in binary; reading it back must not give 14:03:21.
        for (int second = 0; second < 86400; second += 7)
            QCOMPARE(DateValue::fromTime(QTime(0, 0).addSecs(second)).time(), QTime(0, 0).addSecs(second));
        QCOMPARE(DateValue(0.9999999999).date(), QDate(1899, 12, 31));
        // Before the epoch the fraction still counts forward from midnight, as the platform's does.
        QCOMPARE(DateValue::fromDateTime(QDateTime(QDate(1899, 12, 29), QTime(6, 0))).days(), -1.25);
        QCOMPARE(DateValue(-1.25).date(), QDate(1899, 12, 29));
        QCOMPARE(DateValue(-1.25).time(), QTime(6, 0));
    }

    // The texts are chosen so that a number read wrongly also rounds to another whole number.
    void readsSettingsNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rounded"); // 99999: the overflow error
        row("half to even below", "8.5", 8);
        row("half to even above", "9.5", 10);
        row("trailing words", "12 bicos", 12);
        row("no leading number", "abc", 0);
        row("blanks skipped inside", " 1 2 ", 12);
        row("negative", "-1.6", -2);
        row("comma ends the number", "1,9", 1);
        row("second point ends the number", "2.5.9", 2);
        row("smallest", "-32768", -32768);
        row("beyond 16 bits", "40000", 99999);
        row("rounds into overflow", "32767.5", 99999);
        row("beyond any double", QByteArray(400, '9').constData(), 99999);
    }
    void readsSettingsNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, rounded);
        if (rounded == 99999)
            QVERIFY_THROWS_EXCEPTION(Error, roundToInteger16(leadingNumber(text)));
        else
            QCOMPARE(int(roundToInteger16(leadingNumber(text))), rounded);
    }
};

QTEST_GUILESS_MAIN(TestValues)
#include "tst_values.moc"
