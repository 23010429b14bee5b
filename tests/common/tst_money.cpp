#include "common/error.h"
#include "common/money.h"

#include <QTest>
#include <limits>

class TestMoney : public QObject {
    Q_OBJECT

private:
    const QLocale m_brazil { QLocale::Portuguese, QLocale::Brazil };

    static Money money(const char* text) { return *Money::fromText(QString::fromLatin1(text), u'.'); }

private Q_SLOTS:
    void formatsPatterns_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("brazil");
        QTest::addColumn<QString>("c");
        const QString grouped = QStringLiteral("##,###,##0.00");
        const QString padded = QStringLiteral("00000000.00");
        QTest::newRow("zero") << "0" << grouped << "0,00"
                              << "0.00";
        QTest::newRow("half cent rounds up") << "0.125" << grouped << "0,13"
                                             << "0.13";
        QTest::newRow("carry into thousands") << "999.996" << grouped << "1.000,00"
                                              << "1,000.00";
        QTest::newRow("exact cents stay") << "39.99" << grouped << "39,99"
                                          << "39.99";
        QTest::newRow("millions grouped") << "1234567.891" << grouped << "1.234.567,89"
                                          << "1,234,567.89";
        QTest::newRow("negative half away from zero") << "-0.125" << grouped << "-0,13"
                                                      << "-0.13";
        QTest::newRow("tiny negative shows no sign") << "-0.0049" << grouped << "0,00"
                                                     << "0.00";
        QTest::newRow("padded") << "39.99" << padded << "00000039,99"
                                << "00000039.99";
        QTest::newRow("padded rounds") << "0.8325" << padded << "00000000,83"
                                       << "00000000.83";
        QTest::newRow("padded large not grouped") << "123456789.5" << padded << "123456789,50"
                                                  << "123456789.50";
    }
    void formatsPatterns()
    {
        QFETCH(QString, value);
        QFETCH(QString, pattern);
        QFETCH(QString, brazil);
        QFETCH(QString, c);
        const Money amount = *Money::fromText(value, u'.');
        QCOMPARE(amount.format(pattern, m_brazil), brazil);
        QCOMPARE(amount.format(pattern, QLocale::c()), c);
    }

    void parsesText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<QChar>("group");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("units");
        QTest::newRow("plain") << "5" << QChar(u'.') << QChar() << true << qint64(50000);
        QTest::newRow("four decimals") << "1.234" << QChar(u'.') << QChar() << true << qint64(12340);
        QTest::newRow("brazilian") << "1.234,5678" << QChar(u',') << QChar(u'.') << true << qint64(12345678);
        QTest::newRow("blanks and sign") << "  -12.5 " << QChar(u'.') << QChar() << true << qint64(-125000);
        QTest::newRow("fifth decimal half") << "0.00005" << QChar(u'.') << QChar() << true << qint64(1);
        QTest::newRow("fifth decimal below half") << "0.000049999" << QChar(u'.') << QChar() << true << qint64(0);
        QTest::newRow("negative half away") << "-0.00005" << QChar(u'.') << QChar() << true << qint64(-1);
        QTest::newRow("leading point") << ".5" << QChar(u'.') << QChar() << true << qint64(5000);
        QTest::newRow("largest") << "922337203685477.5807" << QChar(u'.') << QChar() << true
                                 << std::numeric_limits<qint64>::max();
        QTest::newRow("smallest") << "-922337203685477.5808" << QChar(u'.') << QChar() << true
                                  << std::numeric_limits<qint64>::min();
        QTest::newRow("beyond largest") << "922337203685477.5808" << QChar(u'.') << QChar() << false << qint64(0);
        QTest::newRow("empty") << "" << QChar(u'.') << QChar() << false << qint64(0);
        QTest::newRow("sign alone") << "-" << QChar(u'.') << QChar() << false << qint64(0);
        QTest::newRow("letters") << "12 litros" << QChar(u'.') << QChar() << false << qint64(0);
        QTest::newRow("two points") << "1.2.3" << QChar(u'.') << QChar() << false << qint64(0);
        QTest::newRow("comma without group separator") << "1,5" << QChar(u'.') << QChar() << false << qint64(0);
        QTest::newRow("group after point") << "1,5.000" << QChar(u',') << QChar(u'.') << false << qint64(0);
    }
    void parsesText()
    {
        QFETCH(QString, text);
        QFETCH(QChar, decimal);
        QFETCH(QChar, group);
        QFETCH(bool, valid);
        QFETCH(qint64, units);
        const auto parsed = Money::fromText(text, decimal, group);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(parsed->units(), units);
    }

    void roundTripsThroughLocaleText()
    {
        // The recomputed total of a fueling is formatted and read back under the same locale.
        for (const QLocale& locale : { m_brazil, QLocale::c() }) {
            const Money total = money("2.5") * money("0.333");
            const auto back = Money::fromText(total.format(u"00000000.00", locale), locale);
            QVERIFY(back);
            QCOMPARE(back->units(), 8300);
        }
    }

    void arithmeticIsExact()
    {
        QCOMPARE((money("5") + money("1.234")).units(), 62340);
        QCOMPARE((money("0.1") + money("0.2")).units(), 3000);
        QCOMPARE((-money("1.234")).units(), -12340);
        QCOMPARE((money("3.999") * money("10")).units(), 399900);
        QCOMPARE((money("0.0001") * money("0.5")).units(), 1);
        QCOMPARE((money("-0.0001") * money("0.5")).units(), -1);
        QCOMPARE((money("0.0001") * money("0.4999")).units(), 0);
    }

    void overflowThrows_data()
    {
        QTest::addColumn<int>("operation");
        QTest::newRow("sum") << 0;
        QTest::newRow("negate smallest") << 1;
        QTest::newRow("product") << 2;
        QTest::newRow("from double") << 3;
    }
    void overflowThrows()
    {
        QFETCH(int, operation);
        const Money largest = Money::fromUnits(std::numeric_limits<qint64>::max());
        const Money smallest = Money::fromUnits(std::numeric_limits<qint64>::min());
        try {
            switch (operation) {
            case 0:
                (void)(largest + Money::fromUnits(1));
                break;
            case 1:
                (void)(-smallest);
                break;
            case 2:
                (void)(largest * money("2"));
                break;
            default:
                (void)Money::fromDouble(1e300);
            }
            QFAIL("no overflow raised");
        } catch (const Error& error) {
            QCOMPARE(error.number(), ErrorNumber::Overflow);
        }
    }

    void plainAndDefaultText()
    {
        QCOMPARE(money("39.99").toText(m_brazil), QStringLiteral("39,99"));
        QCOMPARE(money("40").toText(m_brazil), QStringLiteral("40"));
        QCOMPARE(money("1234.5").toText(QLocale::c()), QStringLiteral("1234.5"));
        QCOMPARE(money("-0.0001").toText(QLocale::c()), QStringLiteral("-0.0001"));
        QCOMPARE(money("6.234").toPlainText(), QStringLiteral("6.2340"));
        QCOMPARE(Money::fromDouble(1234567.891).units(), qint64(12345678910));
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "tst_money.moc"
