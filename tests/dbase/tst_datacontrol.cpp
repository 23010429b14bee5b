#include "common/error.h"
#include "dbase/datacontrol.h"
#include "dbase/dbfappender.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

const QByteArray PumpFields = "Data:D8,Hora:C8,Litros:N10.3,Valor:N10.2";

// A table as another program writes it, built byte by byte so the reader is not checked against
// our own writer. fields: "Name:TypeLength[.Decimals]" separated by commas.
QByteArray dbf(const QList<QByteArray>& records, int headerCount = -1, char version = 0x03,
    const QByteArray& fields = PumpFields, bool endByte = true)
{
    QByteArray descriptors;
    int recordLength = 1;
    for (const QByteArray& spec : fields.split(',')) {
        const QList<QByteArray> parts = spec.split(':');
        const QList<QByteArray> size = parts[1].mid(1).split('.');
        QByteArray descriptor = parts[0].leftJustified(11, '\0') + parts[1][0];
        descriptor.resize(32, '\0');
        descriptor[16] = char(size[0].toInt());
        descriptor[17] = char(size.value(1).toInt());
        descriptors += descriptor;
        recordLength += size[0].toInt();
    }
    QByteArray bytes(32, '\0');
    bytes[0] = version;
    qToLittleEndian<quint32>(headerCount < 0 ? records.size() : headerCount, bytes.data() + 4);
    qToLittleEndian<quint16>(quint16(32 + descriptors.size() + 1), bytes.data() + 8);
    qToLittleEndian<quint16>(quint16(recordLength), bytes.data() + 10);
    bytes += descriptors + '\r' + records.join() + (endByte ? "\x1a" : "");
    return bytes;
}

QByteArray rec(const char* data, const char* hora, const char* litros, const char* valor, char flag = ' ')
{
    return flag + QByteArray(data).leftJustified(8) + QByteArray(hora).leftJustified(8)
        + QByteArray(litros).rightJustified(10) + QByteArray(valor).rightJustified(10);
}

// Every remaining record as "Data|Hora|Litros|Valor", the stored texts.
QStringList readAll(DataControl& control)
{
    QStringList records;
    control.Refresh();
    for (control.MoveFirst(); !control.Eof(); control.MoveNext()) {
        QStringList values;
        for (const char16_t* name : { u"Data", u"Hora", u"Litros", u"Valor" })
            values += control.Fields(name).text();
        records += values.join(u'|');
    }
    return records;
}

int errorNumber(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

} // namespace

class TestDataControl : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString table() const { return path(QStringLiteral("BOMBA01.DBF")); }
    DataControl control() const
    {
        DataControl control { Drives(m_dir->path()) };
        control.setDatabaseName(m_dir->path());
        control.setRecordSource(QStringLiteral("BOMBA01.DBF"));
        return control;
    }
    const QList<QByteArray> three { rec("20260316", "14:03:22", "20.500", "122.80"),
        rec("20260316", "14:05:00", "1.000", "5.99"), rec("", "14:07:10", "30.000", "179.70") };

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void readsRecords_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected");
        const QStringList all { "20260316|14:03:22|20.500|122.80", "20260316|14:05:00|1.000|5.99",
            "|14:07:10|30.000|179.70" };
        QTest::newRow("empty table") << dbf({}) << QStringList();
        QTest::newRow("records in stored order") << dbf(three) << all;
        QTest::newRow("deleted records skipped") << dbf({ rec("", "1", "1", "1", '*'), three[0],
            rec("", "2", "2", "2", '*'), three[1], three[2], rec("", "3", "3", "3", '*') })
                                                 << all;
        QTest::newRow("header count ahead of the file") << dbf(three, 7) << all;
        QTest::newRow("header count behind the file") << dbf(three, 2) << all.mid(0, 2);
        QTest::newRow("no end-of-file byte") << dbf(three, -1, 0x03, PumpFields, false) << all;
        QTest::newRow("blank record") << dbf({ rec("", "", "", "") }) << QStringList { "|||" };
        const QByteArray withMemo = "OBS:M10,data:D8,PAGO:L1,hora:C8,Litros:N10.3,valor:N10.2";
        const QList<QByteArray> memoRecords { " " + QByteArray("1").leftJustified(10) + "20260316T" + three[0].mid(9) };
        QTest::newRow("dBASE III with memo, names in other case")
            << dbf(memoRecords, -1, char(0x83), withMemo) << all.mid(0, 1);
        QTest::newRow("dBASE IV with memo") << dbf(memoRecords, -1, char(0x8B), withMemo) << all.mid(0, 1);
    }
    void readsRecords()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        TestFiles::write(table(), file);
        TestFiles::write(path(QStringLiteral("BOMBA01.DBT")), QByteArray(512, '\x1a'));
        DataControl dataNolvex = control();
        QCOMPARE(readAll(dataNolvex), expected);
        QCOMPARE(TestFiles::read(table()), file);
    }

    void failsNamingTheFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("databaseName");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("mention");
        QByteArray noTerminator = dbf({});
        noTerminator[32 * 5] = ' ';
        QByteArray fieldPastRecord = dbf({});
        fieldPastRecord[10] = 20;
        QTest::newRow("missing directory") << QByteArray() << "nao" << ErrorNumber::InvalidPath << "nao'";
        QTest::newRow("missing table") << QByteArray() << "" << ErrorNumber::TableNotFound << "BOMBA01.DBF'";
        QTest::newRow("Visual FoxPro table") << dbf(three, -1, 0x30) << "" << ErrorNumber::BadTable << "0x30";
        QTest::newRow("file shorter than a header")
            << QByteArray("\x03\x7e\x03") << "" << ErrorNumber::BadTable << "BOMBA01.DBF'";
        QTest::newRow("fields without terminator") << noTerminator << "" << ErrorNumber::BadTable << "BOMBA01.DBF'";
        QTest::newRow("field past the record") << fieldPastRecord << "" << ErrorNumber::BadTable << "Litros";
    }
    void failsNamingTheFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, databaseName);
        QFETCH(int, number);
        QFETCH(QString, mention);
        if (!file.isEmpty())
            TestFiles::write(table(), file);
        DataControl dataNolvex = control();
        dataNolvex.setDatabaseName(path(databaseName));
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

    void findsTheTable_data()
    {
        QTest::addColumn<QString>("databaseName");
        QTest::addColumn<QString>("recordSource");
        QTest::addColumn<QString>("onDisk");
        QTest::newRow("lower-case file") << "%1/dados"
                                         << "BOMBA01.DBF"
                                         << "dados/bomba01.dbf";
        QTest::newRow("record source without extension") << "%1/dados/"
                                                         << "BOMBA01"
                                                         << "dados/BOMBA01.DBF";
        QTest::newRow("drive path in another case") << "C:\\DADOS"
                                                    << "BOMBA01"
                                                    << "C/dados/bomba01.dbf";
    }
    void findsTheTable()
    {
        QFETCH(QString, databaseName);
        QFETCH(QString, recordSource);
        QFETCH(QString, onDisk);
        TestFiles::write(path(onDisk), dbf(three.mid(0, 1)));
        DataControl dataNolvex { Drives(m_dir->path()) };
        dataNolvex.setDatabaseName(databaseName.arg(m_dir->path()));
        dataNolvex.setRecordSource(recordSource);
        QCOMPARE(readAll(dataNolvex).size(), 1);
    }

    void refusesWhatIsNotThere()
    {
        TestFiles::write(table(), dbf(three.mid(0, 1)));
        DataControl dataNolvex = control();
        dataNolvex.Refresh();
        QCOMPARE(errorNumber([&] { dataNolvex.Fields(u"Bico"); }), ErrorNumber::ItemNotFound);
        dataNolvex.MoveNext();
        QCOMPARE(errorNumber([&] { dataNolvex.Fields(u"Hora"); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorNumber([&] { dataNolvex.MoveNext(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorNumber([&] { dataNolvex.Delete(); }), ErrorNumber::NoCurrentRecord);
    }

    void deleteWritesTheFlagAlone()
    {
        // A count ahead of the file, as while the pump automation appends: still untouched.
        const QByteArray before = dbf(three, 4);
        TestFiles::write(table(), before);
        DataControl dataNolvex = control();
        dataNolvex.Refresh();
        dataNolvex.MoveNext();
        dataNolvex.Delete();
        QByteArray expected = before;
        expected[32 * 5 + 1 + 37] = '*';
        QCOMPARE(TestFiles::read(table()), expected);
        QCOMPARE(errorNumber([&] { dataNolvex.Fields(u"Hora"); }), ErrorNumber::RecordDeleted);
        dataNolvex.MoveNext();
        QCOMPARE(dataNolvex.Fields(u"Hora").text(), QStringLiteral("14:07:10"));
        QCOMPARE(readAll(dataNolvex).size(), 2);
    }

    void deleteRefusesAChangedRecord_data()
    {
        QTest::addColumn<QByteArray>("changed");
        QByteArray rewritten = dbf(three);
        rewritten[32 * 5 + 1 + 37 + 20] = '9';
        QByteArray deleted = dbf(three);
        deleted[32 * 5 + 1 + 37] = '*';
        QTest::newRow("record rewritten") << rewritten;
        QTest::newRow("record deleted by another program") << deleted;
        QTest::newRow("table cut short") << dbf(three).left(32 * 5 + 1 + 37 + 10);
        QTest::newRow("table emptied") << dbf({});
        QTest::newRow("table rebuilt with another layout")
            << dbf({ QByteArray(" ") + three[0].mid(1) + "T", QByteArray(" ") + three[1].mid(1) + "T" }, -1, 0x03,
                   PumpFields + ",Pago:L1");
        QTest::newRow("table removed") << QByteArray();
    }
    void deleteRefusesAChangedRecord()
    {
        QFETCH(QByteArray, changed);
        TestFiles::write(table(), dbf(three));
        DataControl dataNolvex = control();
        dataNolvex.Refresh();
        dataNolvex.MoveNext();
        if (changed.isEmpty())
            QFile::remove(table());
        else
            TestFiles::write(table(), changed);
        QCOMPARE(errorNumber([&] { dataNolvex.Delete(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(TestFiles::read(table()), changed);
        QCOMPARE(QFile::exists(table()), !changed.isEmpty());
    }

    void appendedRecordsAppearAtTheNextRefresh()
    {
        DbfAppender appender(table());
        QVERIFY(appender.create(QDate(2026, 3, 16)));
        DataControl dataNolvex = control();
        dataNolvex.Refresh();
        QVERIFY(dataNolvex.Eof());
        appender.append({ QDate(2026, 3, 16), QTime(14, 3, 22), Money::fromUnits(205000), Money::fromUnits(1228000) },
            QDate(2026, 3, 16));
        QVERIFY(dataNolvex.Eof());
        QCOMPARE(readAll(dataNolvex), QStringList { "20260316|14:03:22|20.500|122.80" });
    }

    // A writer that died between the record and the count, or a table cut short, must not leave
    // a gap or a stray record behind the next append.
    void appendsBehindTheLastRecordThere_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("expected");
        QTest::newRow("record without its count") << dbf(three, 2) << 3;
        QTest::newRow("table cut short") << dbf(three, 5).left(32 * 5 + 1 + 37 + 20) << 2;
    }
    void appendsBehindTheLastRecordThere()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, expected);
        TestFiles::write(table(), file);
        DbfAppender(table()).append({ QDate(2026, 3, 17), QTime(8, 0), Money(), Money() }, QDate(2026, 3, 17));
        DataControl dataNolvex = control();
        const QStringList records = readAll(dataNolvex);
        QCOMPARE(records.size(), expected);
        QCOMPARE(records.last(), QStringLiteral("20260317|08:00:00|0.000|0.00"));
        QCOMPARE(TestFiles::read(table()).size(), 32 * 5 + 1 + 37 * expected + 1);
    }

    void readsATableWrittenByPythonDbf()
    {
        const QString script = QStringLiteral(
            "import sys, dbf, datetime\n"
            "t = dbf.Table(sys.argv[1], 'Data D; Hora C(8); Litros N(10,3); Valor N(10,2); Pago L; Obs M',"
            " dbf_type='db3', codepage='cp1252')\n"
            "t.open(dbf.READ_WRITE)\n"
            "t.append((datetime.date(2026, 3, 16), '14:03:22', 20.5, 122.8, True, 'primeiro'))\n"
            "t.append((datetime.date(2026, 3, 16), '14:05:00', 1, 5.99, False, 'apagado'))\n"
            "dbf.delete(t[-1])\n"
            "t.append((None, '14:07:10', 30, 179.7, None, ''))\n"
            "t.close()\n");
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), script, table() });
        QVERIFY(python.waitForFinished());
        const QByteArray errors = python.readAllStandardError();
        if (errors.contains("ModuleNotFoundError"))
            QSKIP("python3-dbf is not installed");
        QVERIFY2(python.exitCode() == 0, errors.constData());
        DataControl dataNolvex = control();
        QCOMPARE(readAll(dataNolvex), (QStringList { "20260316|14:03:22|20.500|122.80", "|14:07:10|30.000|179.70" }));
        dataNolvex.Refresh();
        QCOMPARE(dataNolvex.Fields(u"Hora").toDateTime(), DateValue::fromTime(QTime(14, 3, 22)));
        QCOMPARE(dataNolvex.Fields(u"Valor").toMoney(), Money::fromUnits(1228000));
    }
};

QTEST_GUILESS_MAIN(TestDataControl)
#include "tst_datacontrol.moc"
