#include "common/error.h"
#include "common/money.h"

#include <QTest>
#include <limits>

namespace {

Money money(const char* text)
{
    return *Money::fromText(QString::fromLatin1(text), u'.');
}

} // namespace

class TestMoney : public QObject {
    Q_OBJECT

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
        QTest::newRow("padded, not grouped") << "123456789.5" << padded << "123456789,50"
                                             << "123456789.50";
        QTest::newRow("padded rounds") << "0.8325" << padded << "00000000,83"
                                       << "00000000.83";
    }
    void formatsPatterns()
    {
        QFETCH(QString, value);
        QFETCH(QString, pattern);
        QFETCH(QString, brazil);
        QFETCH(QString, c);
        const Money amount = *Money::fromText(value, u'.');
        QCOMPARE(amount.format(pattern, QLocale(QLocale::Portuguese, QLocale::Brazil)), brazil);
        QCOMPARE(amount.format(pattern, QLocale::c()), c);
    }

    void parsesText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separators"); // decimal, then group
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("units");
        QTest::newRow("four decimals") << "1.234"
                                       << "." << true << qint64(12340);
        QTest::newRow("brazilian") << " -1.234,5678 "
                                   << ",." << true << qint64(-12345678);
        QTest::newRow("fifth decimal half rounds away") << "-0.00005"
                                                        << "." << true << qint64(-1);
        QTest::newRow("fifth decimal below half") << "0.000049999"
                                                  << "." << true << qint64(0);
        QTest::newRow("largest") << "922337203685477.5807"
                                 << "." << true << std::numeric_limits<qint64>::max();
        QTest::newRow("beyond largest") << "922337203685477.5808"
                                        << "." << false << qint64(0);
        QTest::newRow("sign alone") << "-"
                                    << "." << false << qint64(0);
        QTest::newRow("trailing words") << "12 litros"
                                        << "." << false << qint64(0);
        QTest::newRow("comma without group separator") << "1,5"
                                                       << "." << false << qint64(0);
        QTest::newRow("group after the point") << "1,5.000"
                                               << ",." << false << qint64(0);
    }
    void parsesText()
    {
        QFETCH(QString, text);
        QFETCH(QString, separators);
        QFETCH(bool, valid);
        QFETCH(qint64, units);
        const auto parsed = Money::fromText(text, separators[0], separators.size() > 1 ? separators[1] : QChar());
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(parsed->units(), units);
    }

    void arithmeticIsExactAndOverflowIsAnError()
    {
        QCOMPARE((money("5") + money("1.234")).units(), 62340);
        QCOMPARE((money("0.1") + money("0.2")).units(), 3000);
        QCOMPARE((money("3.999") * money("10")).units(), 399900);
        QCOMPARE((money("-0.0001") * money("0.5")).units(), -1);
        QCOMPARE((money("0.0001") * money("0.4999")).units(), 0);
        const Money largest = Money::fromUnits(std::numeric_limits<qint64>::max());
        QVERIFY_THROWS_EXCEPTION(Error, largest + Money::fromUnits(1));
        QVERIFY_THROWS_EXCEPTION(Error, -Money::fromUnits(std::numeric_limits<qint64>::min()));
        QVERIFY_THROWS_EXCEPTION(Error, largest * money("2"));
        QVERIFY_THROWS_EXCEPTION(Error, Money::fromDouble(1e300));
        QCOMPARE(Money::fromDouble(1234567.891).units(), qint64(12345678910));
    }

    void plainTextForms()
    {
        const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
        QCOMPARE(money("39.99").toText(brazil), QStringLiteral("39,99"));
        QCOMPARE(money("40").toText(brazil), QStringLiteral("40"));
        QCOMPARE(money("-0.0001").toText(QLocale::c()), QStringLiteral("-0.0001"));
        QCOMPARE(money("6.234").toPlainText(), QStringLiteral("6.2340"));
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "tst_money.moc"
