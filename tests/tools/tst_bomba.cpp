#include "bombatool.h"
#include "dbase/datacontrol.h"
#include "dbase/pumptable.h"
#include "support/teststation.h"

#include <QTest>

namespace {

const QString PumpFolder = QStringLiteral("C:\\wdn\\matriz");

struct Outcome {
    int exitCode;
    QString err;
};

Outcome bomba(TestStation& station, const QStringList& arguments)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int exitCode
        = BombaTool::run(QStringList { PumpFolder } + arguments, station.drives, station.clock, outStream, errStream);
    return { exitCode, err };
}

// The live records of nozzle 1's table as "Data Hora" or "Data|Hora|Litros|Valor".
QStringList records(const TestStation& station, bool whole)
{
    QStringList rows = station.pumpRecords(PumpTable::name(1));
    if (!whole) {
        for (QString& row : rows)
            row = row.section(u'|', 0, 1).replace(u'|', u' ');
    }
    return rows;
}

} // namespace

class TestBomba : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The clock stands at 06/12/2026 14:05:31. err: a fragment of the error, or empty for none.
    // Bad input writes nothing, not even the table.
    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("records");
        const auto row
            = [](const char* name, const QStringList& arguments, int exitCode, const QString& err,
                  const QStringList& records) { QTest::newRow(name) << arguments << exitCode << err << records; };
        row("defaults: 20 litres at 5,99", { "1" }, 0, "", { "20261206|14:05:31|20.000|119.80" });
        row("litres with a comma, value at 5,99", { "1", "--litros", "10,5" }, 0, "",
            { "20261206|14:05:31|10.500|62.90" });
        row("value with =, litres at 5,99", { "1", "--valor=11.98" }, 0, "", { "20261206|14:05:31|2.000|11.98" });
        row("given date and time", { "1", "--data", "20240229", "--hora", "23:59:59" }, 0, "",
            { "20240229|23:59:59|20.000|119.80" });
        row("zero litres", { "1", "--litros", "0" }, 2,
            "autoquorvan-bomba: litros 0 não é maior que zero (--permitir-invalido grava assim mesmo)\n", {});
        row("litres that the table rounds to zero", { "1", "--litros", "0.0004", "--valor", "1" }, 2,
            "litros 0 não é maior que zero", {});
        row("negative value", { "1", "--litros", "5", "--valor", "-1" }, 2, "valor -1 não é maior que zero", {});
        row("negative litres and zero value on purpose",
            { "1", "--litros", "-5", "--valor", "0", "--permitir-invalido" }, 0, "",
            { "20261206|14:05:31|-5.000|0.00" });
        row("nozzle 0", { "0" }, 2, "autoquorvan-bomba: BICO fora de 1..9999: 0\n", {});
        row("unknown option", { "1", "--litro", "5" }, 2, "autoquorvan-bomba: opção desconhecida: --litro\n", {});
        row("litres wider than their field", { "1", "--litros", "12345678" }, 2, "não cabe no campo LITROS", {});
    }
    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        QFETCH(QStringList, records);
        TestStation station;
        const Outcome outcome = bomba(station, arguments);
        QCOMPARE(outcome.exitCode, exitCode);
        if (err.isEmpty())
            QCOMPARE(outcome.err, QString());
        QVERIFY2(outcome.err.contains(err), qPrintable(outcome.err));
        QCOMPARE(QFileInfo::exists(station.pumpFolder() + u'/' + PumpTable::name(1)), exitCode == 0);
        QCOMPARE(::records(station, true), records);
    }

    // Without --hora a record never repeats the date and time of the table's last record, deleted
    // or not; it takes the clock's second or the one after that record. before: the arguments of an
    // earlier run that left the last record.
    void nextSecond_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<bool>("deleteBefore");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("records");
        const auto row = [](const char* name, const QStringList& before, bool deleteBefore,
                             const QStringList& arguments, int exitCode, const QStringList& records) {
            QTest::newRow(name) << before << deleteBefore << arguments << exitCode << records;
        };
        row("two runs in one second", { "1" }, false, { "1" }, 0, { "20261206 14:05:31", "20261206 14:05:32" });
        row("last record registered and deleted this second", { "1" }, true, { "1" }, 0, { "20261206 14:05:32" });
        row("last record ahead of the clock", { "1", "--hora", "14:06:00" }, false, { "1" }, 0,
            { "20261206 14:06:00", "20261206 14:06:01" });
        row("last record a second earlier", { "1", "--hora", "14:05:30" }, false, { "1" }, 0,
            { "20261206 14:05:30", "20261206 14:05:31" });
        row("three in one run", {}, false, { "1", "--quantidade", "3" }, 0,
            { "20261206 14:05:31", "20261206 14:05:32", "20261206 14:05:33" });
        row("after 23:59:59 the date moves on", { "1", "--hora", "23:59:59" }, false, { "1" }, 0,
            { "20261206 23:59:59", "20261207 00:00:00" });
        row("--data of another day than the last record", { "1" }, false, { "1", "--data", "20261205" }, 0,
            { "20261206 14:05:31", "20261205 14:05:31" });
        row("no second left on --data", { "1", "--hora", "23:59:59" }, false, { "1", "--data", "20261206" }, 2,
            { "20261206 23:59:59" });
        row("--hora repeats on purpose", { "1" }, false, { "1", "--hora", "14:05:31" }, 0,
            { "20261206 14:05:31", "20261206 14:05:31" });
    }
    void nextSecond()
    {
        QFETCH(QStringList, before);
        QFETCH(bool, deleteBefore);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, records);
        TestStation station;
        if (!before.isEmpty())
            QCOMPARE(bomba(station, before).exitCode, 0);
        if (deleteBefore) {
            DataControl table(station.drives);
            table.setRecordSource(PumpTable::name(1));
            table.Refresh();
            table.Delete();
        }
        QCOMPARE(bomba(station, arguments).exitCode, exitCode);
        QCOMPARE(::records(station, false), records);
    }
};

QTEST_GUILESS_MAIN(TestBomba)
#include "tst_bomba.moc"
