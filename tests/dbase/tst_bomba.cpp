#include "pumptables.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace PumpTables;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run bomba(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("AUTOQUORVAN_DRIVES"), QStringLiteral("/nonexistent"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(AUTOQUORVAN_BOMBA), arguments);
    if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit)
        return {};
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError()) };
}

} // namespace

class TestBomba : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createsAndAppends()
    {
        QTemporaryDir dir;
        const QStringList first { dir.path(), "3", "--quantidade=2", "--data", "20260316", "--hora", "14:03:22",
            "--litros", "20,5", "--valor", "122.8" };
        QCOMPARE(bomba(first).exitCode, 0);
        QCOMPARE(readAll(dir.path(), "BOMBA03"), QStringList(2, "20260316|14:03:22|20.500|122.80"));

        // A table made on Windows arrives in lower case and is appended to, not doubled.
        QVERIFY(QFile::rename(dir.filePath("BOMBA03.DBF"), dir.filePath("bomba03.dbf")));
        const Run run = bomba({ dir.path(), "03", "--quantidade", "3", "--litros", "10" });
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out + run.err, QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "bomba03.dbf" });
        const QStringList records = readAll(dir.path(), "BOMBA03");
        QCOMPARE(records.size(), 5);
        // Without a given time each fueling has a second of its own, or the bridge would see one.
        QStringList horas;
        for (const QString& record : records.mid(2)) {
            QVERIFY(record.endsWith("|10.000|59.90"));
            horas += record.section(u'|', 1, 1);
        }
        horas.removeDuplicates();
        QCOMPARE(horas.size(), 3);

        QCOMPARE(bomba({ dir.path(), "100", "--valor", "119.8" }).exitCode, 0);
        QCOMPARE(readAll(dir.path(), "BOMBA100.DBF").value(0).section(u'|', 2), QStringLiteral("20.000|119.80"));
    }

    void rejectsBadInputWritingNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList { "3", "--litro", "1" };
        QTest::newRow("missing argument") << QStringList { "3", "--valor" };
        QTest::newRow("missing nozzle") << QStringList {};
        QTest::newRow("nozzle 0") << QStringList { "0" };
        QTest::newRow("nozzle 10000") << QStringList { "10000" };
        QTest::newRow("litres not a number") << QStringList { "3", "--litros", "1.2.3" };
        QTest::newRow("date not a date") << QStringList { "3", "--data", "20260230" };
        QTest::newRow("time not a time") << QStringList { "3", "--hora=14:60:00" };
        QTest::newRow("negative count") << QStringList { "3", "--quantidade", "-1" };
        QTest::newRow("value too wide") << QStringList { "3", "--litros", "1", "--valor", "-1000000" };
    }
    void rejectsBadInputWritingNothing()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        for (const bool existing : { false, true }) {
            if (existing)
                QCOMPARE(bomba({ dir.path(), "3" }).exitCode, 0);
            const QByteArray before = TestFiles::read(dir.filePath("BOMBA03.DBF"));
            const Run run = bomba(QStringList { dir.path() } + arguments);
            QCOMPARE(run.exitCode, 2);
            QVERIFY2(run.out.isEmpty() && run.err.startsWith("autoquorvan-bomba: ") && run.err.count(u'\n') == 1,
                qPrintable(run.err));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), existing ? 1 : 0);
            QCOMPARE(TestFiles::read(dir.filePath("BOMBA03.DBF")), before);
        }
    }

    // What we write and delete must read the same in another dBASE program.
    void anotherReaderSeesWhatWeWroteAndDeleted()
    {
        QTemporaryDir dir;
        const QStringList arguments { dir.path(), "7", "--quantidade", "2", "--data", "20260316", "--hora", "14:03:22",
            "--litros", "1.5", "--valor", "8.99" };
        QCOMPARE(bomba(arguments).exitCode, 0);
        DataControl dataNolvex { Drives(dir.path()) };
        dataNolvex.setDatabaseName(dir.path());
        dataNolvex.setRecordSource("BOMBA07");
        dataNolvex.Refresh();
        dataNolvex.Delete();
        const auto output = pythonDbf("import sys, dbf\n"
                                      "t = dbf.Table(sys.argv[1]); t.open()\n"
                                      "for r in t: print(dbf.is_deleted(r), r.data, r.hora, r.litros, r.valor)\n",
            dir.filePath("BOMBA07.DBF"));
        if (!output)
            QSKIP("python3-dbf is not installed");
        QCOMPARE(*output, "True 2026-03-16 14:03:22 1.5 8.99\nFalse 2026-03-16 14:03:22 1.5 8.99\n");
    }
};

QTEST_GUILESS_MAIN(TestBomba)
#include "tst_bomba.moc"
