#include "common/error.h"
#include "dbase/dbfappender.h"
#include "pumptables.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace PumpTables;

namespace {

int errorNumber(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

// Offset of the second record of a pump table: header of four fields, then 37 bytes a record.
constexpr int Second = 32 * 5 + 1 + 37;

const QList<QByteArray> Three { rec("20260316", "14:03:22", "20.500", "122.80"),
    rec("20260316", "14:05:00", "1.000", "5.99"), rec("", "14:07:10", "30.000", "179.70") };

} // namespace

class TestDataControl : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString table() const { return m_dir->filePath(QStringLiteral("BOMBA01.DBF")); }
    DataControl control() const
    {
        DataControl dataNolvex { Drives(m_dir->path()) };
        dataNolvex.setDatabaseName(m_dir->path());
        dataNolvex.setRecordSource(QStringLiteral("BOMBA01.DBF"));
        dataNolvex.Refresh();
        return dataNolvex;
    }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void readsRecords_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected");
        const QStringList all { "20260316|14:03:22|20.500|122.80", "20260316|14:05:00|1.000|5.99",
            "|14:07:10|30.000|179.70" };
        const QByteArray gone = rec("", "1", "1", "1", '*');
        const QByteArray memoFields = "OBS:M10,data:D8,PAGO:L1,hora:C8,Litros:N10.3,valor:N10.2";
        const QList<QByteArray> memoRecord { " " + QByteArray("1").leftJustified(10) + "20260316T" + Three[0].mid(9) };
        QTest::newRow("empty table") << dbf({}) << QStringList();
        QTest::newRow("deleted records skipped, stored order")
            << dbf({ gone, Three[0], gone, Three[1], Three[2], gone }) << all;
        QTest::newRow("header count ahead of the file") << dbf(Three, 7) << all;
        QTest::newRow("header count behind the file") << dbf(Three, 2) << all.mid(0, 2);
        QTest::newRow("no end-of-file byte") << dbf(Three, -1, 0x03, PumpFields, false) << all;
        QTest::newRow("blank record") << dbf({ rec("", "", "", "") }) << QStringList { "|||" };
        QTest::newRow("dBASE III memo, names in other case")
            << dbf(memoRecord, -1, char(0x83), memoFields) << all.mid(0, 1);
        QTest::newRow("dBASE IV memo") << dbf(memoRecord, -1, char(0x8B), memoFields) << all.mid(0, 1);
    }
    void readsRecords()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        TestFiles::write(table(), file);
        TestFiles::write(m_dir->filePath(QStringLiteral("BOMBA01.DBT")), QByteArray(512, '\x1a'));
        QCOMPARE(readAll(m_dir->path(), QStringLiteral("BOMBA01")), expected);
        QCOMPARE(TestFiles::read(table()), file);
    }

    void failsNamingTheFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("mention");
        QByteArray noTerminator = dbf({});
        noTerminator[32 * 5] = ' ';
        QByteArray fieldPastRecord = dbf({});
        fieldPastRecord[10] = 20;
        QTest::newRow("missing directory") << QByteArray() << "nao" << ErrorNumber::InvalidPath << "nao'";
        QTest::newRow("missing table") << QByteArray() << "" << ErrorNumber::TableNotFound << "BOMBA01.DBF'";
        QTest::newRow("Visual FoxPro table") << dbf(Three, -1, 0x30) << "" << ErrorNumber::BadTable << "0x30";
        QTest::newRow("shorter than a header") << QByteArray("\x03\x7e") << "" << ErrorNumber::BadTable << ".DBF'";
        QTest::newRow("fields without terminator") << noTerminator << "" << ErrorNumber::BadTable << ".DBF'";
        QTest::newRow("field past the record") << fieldPastRecord << "" << ErrorNumber::BadTable << "Litros";
    }
    void failsNamingTheFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, directory);
        QFETCH(int, number);
        QFETCH(QString, mention);
        if (!file.isEmpty())
            TestFiles::write(table(), file);
        DataControl dataNolvex { Drives(m_dir->path()) };
        dataNolvex.setDatabaseName(m_dir->filePath(directory));
        try {
            dataNolvex.Refresh();
            QFAIL("no error");
        } catch (const Error& error) {
            QCOMPARE(error.number(), number);
            QVERIFY2(error.description().contains(m_dir->path()) && error.description().contains(mention),
                qPrintable(error.description()));
        }
        QVERIFY(dataNolvex.Eof());
    }

    void findsATableNamedInAnotherCase()
    {
        TestFiles::write(m_dir->filePath(QStringLiteral("dados/bomba01.dbf")), dbf(Three));
        QCOMPARE(readAll(m_dir->filePath(QStringLiteral("DADOS")), QStringLiteral("BOMBA01")).size(), 3);
    }

    void refusesWhatIsNotThere()
    {
        TestFiles::write(table(), dbf(Three.mid(0, 1)));
        DataControl dataNolvex = control();
        QCOMPARE(errorNumber([&] { dataNolvex.Fields(u"Bico"); }), ErrorNumber::ItemNotFound);
        dataNolvex.MoveNext();
        QCOMPARE(errorNumber([&] { dataNolvex.Fields(u"Hora"); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorNumber([&] { dataNolvex.MoveNext(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorNumber([&] { dataNolvex.Delete(); }), ErrorNumber::NoCurrentRecord);
    }

    void deleteWritesTheFlagAlone()
    {
        // A count ahead of the file, as while the pump automation appends: still untouched.
        const QByteArray before = dbf(Three, 4);
        TestFiles::write(table(), before);
        DataControl dataNolvex = control();
        dataNolvex.MoveNext();
        dataNolvex.Delete();
        QByteArray expected = before;
        expected[Second] = '*';
        QCOMPARE(TestFiles::read(table()), expected);
        QCOMPARE(errorNumber([&] { dataNolvex.Fields(u"Hora"); }), ErrorNumber::RecordDeleted);
        dataNolvex.MoveNext();
        QCOMPARE(dataNolvex.Fields(u"Hora").text(), QStringLiteral("14:07:10"));
    }

    void deleteRefusesAChangedRecord_data()
    {
        QTest::addColumn<QByteArray>("changed");
        QByteArray rewritten = dbf(Three);
        rewritten[Second + 20] = '9';
        QByteArray deleted = dbf(Three);
        deleted[Second] = '*';
        const QList<QByteArray> wider { Three[0] + "T", Three[1] + "T" };
        QTest::newRow("record rewritten") << rewritten;
        QTest::newRow("record deleted by another program") << deleted;
        QTest::newRow("table cut short") << dbf(Three).left(Second + 10);
        QTest::newRow("table rebuilt with another layout") << dbf(wider, -1, 0x03, PumpFields + ",Pago:L1");
        QTest::newRow("table removed") << QByteArray();
    }
    void deleteRefusesAChangedRecord()
    {
        QFETCH(QByteArray, changed);
        TestFiles::write(table(), dbf(Three));
        DataControl dataNolvex = control();
        dataNolvex.MoveNext();
        if (changed.isEmpty())
            QFile::remove(table());
        else
            TestFiles::write(table(), changed);
        QCOMPARE(errorNumber([&] { dataNolvex.Delete(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(TestFiles::read(table()), changed);
    }

    void appendedRecordAppearsAtTheNextRefresh()
    {
        DbfAppender appender(table());
        appender.create(QDate(2026, 3, 16));
        DataControl dataNolvex = control();
        appender.append({ QDate(2026, 3, 16), QTime(14, 3, 22), Money::fromUnits(205000), Money::fromUnits(1228000) },
            QDate(2026, 3, 16));
        QVERIFY(dataNolvex.Eof());
        dataNolvex.Refresh();
        QCOMPARE(dataNolvex.Fields(u"Litros").text(), QStringLiteral("20.500"));
    }

    void readsATableOfAnotherWriter()
    {
        const auto output = pythonDbf(
            QStringLiteral("import sys, dbf, datetime\n"
                           "t = dbf.Table(sys.argv[1], 'Data D; Hora C(8); Litros N(10,3); Valor N(10,2); Pago L;"
                           " Obs M', dbf_type='db3', codepage='cp1252')\n"
                           "t.open(dbf.READ_WRITE)\n"
                           "t.append((datetime.date(2026, 3, 16), '14:03:22', 20.5, 122.8, True, 'primeiro'))\n"
                           "t.append((datetime.date(2026, 3, 16), '14:05:00', 1, 5.99, False, 'apagado'))\n"
                           "dbf.delete(t[-1])\n"
                           "t.append((None, '14:07:10', 30, 179.7, None, ''))\n"
                           "t.close()\n"),
            table());
        if (!output)
            QSKIP("python3-dbf is not installed");
        QCOMPARE(*output, QString());
        QCOMPARE(readAll(m_dir->path(), QStringLiteral("BOMBA01")),
            (QStringList { "20260316|14:03:22|20.500|122.80", "|14:07:10|30.000|179.70" }));
    }
};

QTEST_GUILESS_MAIN(TestDataControl)
#include "tst_datacontrol.moc"
