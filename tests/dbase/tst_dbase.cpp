#include "common/error.h"
#include "dbase/datacontrol.h"
#include "support/rawdbf.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <cstring>

namespace {

using RawDbf::record;

const QList<QByteArray> Three { record("20260316", "14:03:22", "20.500", "122.80"),
    record("20260316", "14:05:00", "1.000", "5.99"), record("", "14:07:10", "30.000", "179.70") };
const QString Bomba = QStringLiteral(AUTOQUORVAN_BOMBA);

using TestFiles::outcome;
using TestFiles::run;

} // namespace

// The dBASE layer on real tables, with the writer that stands in for the pump automation, each
// also against another dBASE program.
class TestDbase : public QObject {
    Q_OBJECT

    std::optional<TestStation> m_station;

    // Tables made on Windows arrive in lower case; the reader is given the names as written.
    QString folder() const { return m_station->pumpFolder(); }
    QString table() const { return folder() + QStringLiteral("/bomba01.dbf"); }
    DataControl control(const QString& source = QStringLiteral("BOMBA01")) const
    {
        DataControl dataNolvex { m_station->drives };
        dataNolvex.setDatabaseName(QStringLiteral("C:\\WDN\\MATRIZ"));
        dataNolvex.setRecordSource(source);
        dataNolvex.Refresh();
        return dataNolvex;
    }

private Q_SLOTS:
    // Numbers must not follow the station's regional settings, whose decimal comma would read
    // "20.500" as twenty thousand five hundred. The writer must not reach for the user's drives.
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        qputenv("AUTOQUORVAN_DRIVES", "/nonexistent");
        m_station.emplace();
    }

    // Field values as other programs store them (the plain ones, blank ones and a time that is none
    // are read in the fueling tests). stored: type letter, colon, text. conversion: what
    // the pump table reader asks of the field. expected: its text, "-" for no date (the reader takes
    // today), or the number of the error raised.
    void fieldValues_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<char>("conversion");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Data blank: today") << "D:00000000" << 'D' << QString("-");
        QTest::newRow("Data impossible") << "D:20261340" << 'D' << QString("#13");
        QTest::newRow("Data letters") << "C:ontem" << 'D' << QString("#13");
        QTest::newRow("Data as text") << "C:16/03/2026" << 'D' << QString("16/03/2026");
        QTest::newRow("Data as a time alone") << "C:14:03:22" << 'D' << QString("#13");
        QTest::newRow("Hora padded with NULs") << QString::fromLatin1("C:14:03\0\0\0", 10) << 'H' << "14:03:00";
        QTest::newRow("Hora as a D field") << "D:20260316" << 'H' << QString("16/03/2026");
        QTest::newRow("Valor as text with a comma") << "C:122,80" << 'M' << QString("122,8");
    }
    void fieldValues()
    {
        QFETCH(QString, stored);
        QFETCH(char, conversion);
        QFETCH(QString, expected);
        const FieldValue value(stored[0].toLatin1(), stored.mid(2));
        try {
            QCOMPARE(conversion == 'D'  ? (value.toDate() ? value.toDate()->toText() : QStringLiteral("-"))
                    : conversion == 'H' ? value.toDateTime().toText()
                                        : value.toMoney().toText(),
                expected);
        } catch (const Error& error) {
            QCOMPARE(QStringLiteral("#%1").arg(error.number()), expected);
        }
    }

    // file: the table's bytes, or "no folder" for no table and not even its folder (a missing table is
    // a fueling test's row; a dBASE III table with memo is the one python3-dbf writes below).
    // expected: the records joined by "/", or the error raised, @ standing for C:'s folder "wdn".
    void reads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const QString all = "20260316|14:03:22|20.500|122.80/20260316|14:05:00|1.000|5.99/|14:07:10|30.000|179.70";
        const QString bad = QStringLiteral("#3343 Formato de banco de dados não reconhecido '@/matriz/bomba01.dbf': ");
        const QByteArray gone = record("", "1", "1", "1", '*');
        QTest::newRow("deleted skipped") << RawDbf::table({ gone, Three[0], gone, Three[1], Three[2] }) << all;
        QTest::newRow("header count ahead of the file") << RawDbf::table(Three, 7) << all;
        QTest::newRow("header count behind the file") << RawDbf::table(Three, 2) << all.section(u'/', 0, 1);
        QTest::newRow("no end-of-file byte") << RawDbf::table(Three, -1, 0x03, RawDbf::PumpFields, false) << all;
        // A memo block number and a logical field around the pump fields.
        QTest::newRow("dBASE IV memo, names in other case")
            << RawDbf::table({ " 1         20260316T" + Three[0].mid(9) }, -1, char(0x8B),
                   "OBS:M10,data:D8,PAGO:L1,hora:C8,Litros:N10.3,valor:N10.2")
            << all.section(u'/', 0, 0);
        QTest::newRow("missing folder") << QByteArray("no folder") << "#3044 '@/MATRIZ' não é um caminho válido.";
        QTest::newRow("Visual FoxPro table") << RawDbf::table(Three, -1, 0x30) << bad + "versão 0x30 não suportada.";
        QTest::newRow("shorter than a header") << QByteArray("\x03\x7e") << bad + "cabeçalho incompleto (2 bytes).";
        QTest::newRow("no field terminator")
            << RawDbf::table({}).replace(160, 1, " ") << bad + "descrição de campo incompleta.";
        QTest::newRow("field past record")
            << RawDbf::table({}).replace(10, 1, "\x14") << bad + "o campo Litros passa do fim do registro.";
    }
    // Another program's memo file is not needed.
    void reads()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        if (file == "no folder")
            QVERIFY(QDir(folder()).removeRecursively());
        else
            TestFiles::write(table(), file);
        QCOMPARE(
            outcome([this] { return control(), m_station->pumpRecords(QStringLiteral("BOMBA01")).join(u'/'); }, true),
            expected.replace(u'@', m_station->onC(QStringLiteral("wdn"))));
    }

    // A table whose deleted records the control has learnt to skip is read from its start again when
    // the pump automation packs it, cuts it short, replaces it or rewrites it in place: no live
    // record may hide where deleted ones were. A table at rest (empty and untouched for a second)
    // is only looked at, and whatever then happens to it is read.
    void changedTableReadFromItsStart_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("atRest");
        for (const char* change : { "packed", "cut short", "replaced", "rewritten in place" })
            QTest::newRow(change) << QString::fromLatin1(change) << false;
        for (const char* change : { "appended", "rewritten in place", "written through a mapping" })
            QTest::addRow("%s at rest", change) << QString::fromLatin1(change) << true;
    }
    void changedTableReadFromItsStart()
    {
        QFETCH(QString, change);
        QFETCH(bool, atRest);
        const QByteArray gone = record("20260101", "00:00:00", "1", "1", '*');
        TestFiles::write(table(), RawDbf::table({ gone, gone, gone, gone, gone, Three[0] }));
        DataControl dataNolvex = control();
        dataNolvex.Delete();
        if (atRest)
            QTest::qSleep(1100);
        for (int look = 0; look < (atRest ? 2 : 1); ++look) {
            dataNolvex.Refresh();
            QVERIFY(dataNolvex.Eof());
        }
        const QByteArray refilled = RawDbf::table(QList<QByteArray>(6, Three[1]));
        QFile mapped(table());
        if (change == u"appended") {
            TestFiles::write(table(), RawDbf::table({ gone, gone, gone, gone, gone, gone, Three[1] }));
        } else if (change == u"packed") {
            TestFiles::write(table(), RawDbf::table({ Three[1] }));
        } else if (change == u"cut short") {
            TestFiles::write(table(), RawDbf::table({ Three[1] }, 6));
        } else if (change == u"replaced") {
            TestFiles::write(table() + QStringLiteral(".new"), refilled);
            QVERIFY(QFile::remove(table()) && QFile::rename(table() + QStringLiteral(".new"), table()));
        } else if (change == u"rewritten in place") {
            QFile file(table());
            QVERIFY(file.open(QIODevice::ReadWrite) && file.write(refilled) == refilled.size());
        } else {
            // The kernel reports no write through a mapping (nor, while the file stays open, its
            // closing): only the control's own look finds it.
            QVERIFY(mapped.open(QIODevice::ReadWrite) && mapped.size() == refilled.size());
            uchar* bytes = mapped.map(0, mapped.size());
            QVERIFY(bytes);
            std::memcpy(bytes, refilled.constData(), size_t(refilled.size()));
            QVERIFY(mapped.unmap(bytes));
        }
        QElapsedTimer sinceChanged;
        sinceChanged.start();
        dataNolvex.Refresh();
        while (change == u"written through a mapping" && dataNolvex.Eof()
            && sinceChanged.elapsed() < 4 * DataControl::LookEveryMs) {
            QTest::qSleep(10);
            dataNolvex.Refresh();
        }
        QVERIFY(!dataNolvex.Eof());
        QCOMPARE(dataNolvex.Fields(u"Hora").text(), QStringLiteral("14:05:00"));
    }

    // While the tables are at rest the polling cycle may wait on the kernel's report instead of
    // refreshing them; not when a report read by a later table's refresh named an earlier table:
    // that write would then wait for the next look, the report no longer pending.
    void noRestOverAWriteReadLaterInTheCycle()
    {
        const QStringList sources { QStringLiteral("BOMBA01"), QStringLiteral("BOMBA02") };
        TestFiles::write(table(), RawDbf::table({}));
        TestFiles::write(folder() + QStringLiteral("/BOMBA02.DBF"), RawDbf::table({}));
        QTest::qSleep(1100);
        DataControl dataNolvex = control();
        const auto refresh = [&](const QString& source) {
            dataNolvex.setRecordSource(source);
            dataNolvex.Refresh();
        };
        for (int cycle = 0; cycle < 2; ++cycle) {
            for (const QString& source : sources)
                refresh(source);
        }
        QVERIFY(dataNolvex.restingDescriptor() >= 0);
        refresh(sources[0]);
        TestFiles::write(table(), RawDbf::table({ Three[0] }));
        QTest::qSleep(2);
        refresh(sources[1]);
        QCOMPARE(dataNolvex.restingDescriptor(), -1);
    }

    // changed: what the table holds when the delete comes; null: as read, with a count ahead of the
    // file as while the pump automation appends; empty: no table. A table cut short or rebuilt with
    // another layout puts other bytes where the record was, as another record in its place does.
    void deleteWritesTheFlagOfAnUnchangedRecordAlone_data()
    {
        QTest::addColumn<QByteArray>("changed");
        QTest::newRow("record unchanged") << QByteArray();
        QTest::newRow("another record in its place") << RawDbf::table({ Three[0], Three[2], Three[2] });
        QTest::newRow("table removed") << QByteArray("");
    }
    void deleteWritesTheFlagOfAnUnchangedRecordAlone()
    {
        QFETCH(QByteArray, changed);
        TestFiles::write(table(), RawDbf::table(Three, 4));
        DataControl dataNolvex = control();
        QCOMPARE(outcome([&] { return dataNolvex.Fields(u"Bico").text(); }), "#3265");
        dataNolvex.MoveNext();
        const bool removed = changed.isEmpty() && !changed.isNull();
        if (removed)
            QFile::remove(table());
        else if (!changed.isNull())
            TestFiles::write(table(), changed);
        QCOMPARE(outcome([&] { return dataNolvex.Delete(), QString(); }), changed.isNull() ? "" : "#3021");
        const QByteArray deleted = RawDbf::table({ Three[0], '*' + Three[1].mid(1), Three[2] }, 4);
        QCOMPARE(TestFiles::read(table()), changed.isNull() ? deleted : changed);
        QCOMPARE(QFileInfo::exists(table()), !removed);
    }

    // What our writer writes, appended to in lower case as made on Windows, and what our delete
    // marks read the same here and in Debian's python3-dbf (scripts/packages.sh installs it for
    // /usr/bin/python3; the one on the PATH may lack the module), and that program's tables read
    // right here.
    void writerAndAnotherDbaseProgram()
    {
        const QStringList at { "--data", "20260316", "--hora", "14:03:22" };
        QCOMPARE(run(Bomba, QStringList { folder(), "7", "--litros", "1,5", "--valor=8.99" } + at), "0 ");
        QVERIFY(QFile::rename(folder() + "/BOMBA07.DBF", folder() + "/bomba07.dbf"));
        QCOMPARE(run(Bomba, QStringList { folder(), "07", "--litros", "10" } + at), "0 ");
        QCOMPARE(run(Bomba, { folder(), "100", "--valor", "119.8" }), "0 ");
        QCOMPARE(QDir(folder()).entryList(QDir::Files), (QStringList { "bomba07.dbf", "BOMBA100.DBF" }));
        control(QStringLiteral("BOMBA07")).Delete();
        const QString output = run(QStringLiteral("/usr/bin/python3"),
            { "-c",
                "import sys, dbf, datetime\n"
                "t = dbf.Table(sys.argv[1], 'Data D; Hora C(8); Litros N(10,3); Valor N(10,2); Obs M', "
                "dbf_type='db3').open(dbf.READ_WRITE)\n"
                "for d, h in ((datetime.date(2026, 3, 16), '14:03:22'), (None, '14:05:00'), (None, '14:07:10')):\n"
                "    t.append((d, h, 20.5, 122.8, 'memo'))\n"
                "dbf.delete(t[1]); t.close()\n"
                "for r in dbf.Table(sys.argv[2]).open(): print(dbf.is_deleted(r), *r)\n",
                table(), folder() + "/bomba07.dbf" });
        QCOMPARE(output, "0 True 2026-03-16 14:03:22 1.5 8.99\nFalse 2026-03-16 14:03:22 10.0 59.9\n");
        QCOMPARE(m_station->pumpRecords(QStringLiteral("BOMBA01")),
            (QStringList { "20260316|14:03:22|20.500|122.80", "|14:07:10|20.500|122.80" }));
    }
};

QTEST_GUILESS_MAIN(TestDbase)
#include "tst_dbase.moc"
