#include "common/error.h"
#include "dbase/fieldvalue.h"

#include <QTest>

class TestFieldValue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Numbers must not follow the station's regional settings, whose decimal comma would read
    // "20.500" as twenty thousand five hundred.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    // expected: the converted value as text, "-" for "no date", or "#" and the error number.
    void converts_data()
    {
        QTest::addColumn<QString>("conversion");
        QTest::addColumn<char>("type");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Data from a D field") << "date" << 'D' << "20260316"
                                             << "16/03/2026";
        QTest::newRow("Data blank") << "date" << 'D' << "        "
                                    << "-";
        QTest::newRow("Data impossible") << "date" << 'D' << "20261340"
                                         << "-";
        QTest::newRow("Data as text") << "date" << 'C' << "16/03/2026"
                                      << "16/03/2026";
        QTest::newRow("Data as text with a time") << "date" << 'C' << "2026-03-16 14:03"
                                                  << "16/03/2026";
        QTest::newRow("Data as a time alone") << "date" << 'C' << "14:03:22"
                                              << "-";
        QTest::newRow("Hora as text") << "datetime" << 'C' << "14:03:22"
                                      << "14:03:22";
        QTest::newRow("Hora padded with NULs")
            << "datetime" << 'C' << QString::fromLatin1("14:03\0\0\0", 8) << "14:03:00";
        QTest::newRow("Hora as a D field") << "datetime" << 'D' << "20260316"
                                           << "16/03/2026";
        QTest::newRow("Hora with date and time") << "datetime" << 'C' << "16/03/2026 14:03:22"
                                                 << "16/03/2026 14:03:22";
        QTest::newRow("Hora blank") << "datetime" << 'C' << "        "
                                    << "#94";
        QTest::newRow("Hora not a time") << "datetime" << 'C' << "25:61"
                                         << "#13";
        QTest::newRow("Litros") << "money" << 'N' << "    20.500"
                                << "20,5";
        QTest::newRow("Valor as text with a comma") << "money" << 'C' << "122,80"
                                                    << "122,8";
        QTest::newRow("Valor N with a comma") << "money" << 'N' << "122,80"
                                              << "#13";
        QTest::newRow("Valor blank") << "money" << 'N' << "          "
                                     << "#94";
        QTest::newRow("Valor from a date") << "money" << 'D' << "20260316"
                                           << "#13";
    }
    void converts()
    {
        QFETCH(QString, conversion);
        QFETCH(char, type);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        const FieldValue value(type, stored);
        QString actual;
        try {
            if (conversion == u"date")
                actual = value.toDate() ? value.toDate()->toText() : QStringLiteral("-");
            else if (conversion == u"datetime")
                actual = value.toDateTime().toText();
            else
                actual = value.toMoney().toText();
        } catch (const Error& error) {
            actual = u'#' + QString::number(error.number());
        }
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(TestFieldValue)
#include "tst_fieldvalue.moc"
