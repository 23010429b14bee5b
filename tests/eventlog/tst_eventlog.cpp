#include "eventlog/eventlog.h"
#include "eventlog/failurelog.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QTest>

using Box = RecordingMessageBox::Box;

// Each test has a station of its own, its clock at 14:05:31 on 6 December 2026.
class TestEventLog : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<EventLog> m_log;

    QByteArray logFile(const char* name) const
    {
        return TestFiles::read(m_station->systemFolder() + u'/' + QLatin1StringView(name));
    }

private Q_SLOTS:
    void init()
    {
        m_station = std::make_unique<TestStation>();
        m_log = std::make_unique<EventLog>(m_station->drives, m_station->clock, m_station->boxes);
    }
    void cleanup() { QCOMPARE(m_station->boxes.takeBoxes(), QList<Box>()); }

    void eachHourHasItsFileAndAnAccentIsOneByte()
    {
        TestFiles::write(
            m_station->systemFolder() + QStringLiteral("/AUTOMACAO_06_12_2026_14.LOG"), "14:00:00 - a\r\n");
        for (const QDateTime& moment : { QDateTime(QDate(2026, 12, 6), QTime(14, 59, 59)),
                 QDateTime(QDate(2026, 12, 6), QTime(15, 0, 0)), QDateTime(QDate(2027, 1, 1), QTime(0, 0)) }) {
            m_station->clock.set(moment);
            m_log->CriaLogCupom(m_log->line(QStringLiteral(" - Solicitação")));
        }
        QCOMPARE(
            logFile("AUTOMACAO_06_12_2026_14.LOG"), QByteArray("14:00:00 - a\r\n14:59:59 - Solicita\xE7\xE3o\r\n"));
        QCOMPARE(logFile("AUTOMACAO_06_12_2026_15.LOG"), QByteArray("15:00:00 - Solicita\xE7\xE3o\r\n"));
        QCOMPARE(logFile("AUTOMACAO_01_01_2027_00.LOG"), QByteArray("00:00:00 - Solicita\xE7\xE3o\r\n"));
        QVERIFY(m_log->EventLB().lines().isEmpty());
    }

    // The file is tried only when switched on, and before the list, which gets the line even when the file fails.
    void gravaEventoWritesTheFileFirstThenTheList()
    {
        QVERIFY(QDir(m_station->onC(QStringLiteral("Quorvan"))).removeRecursively());
        m_log->GravaEvento(QStringLiteral("before the switch"));
        m_log->lGravaLogArquivo = true;
        QList<int> listedWhileBoxOpen;
        m_station->boxes.whileOpen = [&](const Box&) { listedWhileBoxOpen += m_log->EventLB().rowCount(); };
        m_log->GravaEvento(QStringLiteral("14:05:31 - AutoQuorvan Iniciado: "));
        const QString file = m_station->systemFolder() + QStringLiteral("/AUTOMACAO_06_12_2026_14.LOG");
        QCOMPARE(m_station->boxes.takeBoxes(),
            QList<Box>({ { QStringLiteral("Caminho não encontrado: ") + file, MessageStyle::Plain,
                             QStringLiteral("AutoQuorvanNolvex") },
                { QStringLiteral("Erro ao criar LOG ECF: 14:05:31 - AutoQuorvan Iniciado: "), MessageStyle::Information,
                    QStringLiteral("Erro: CriaLogCupom") } }));
        QCOMPARE(listedWhileBoxOpen, QList<int>({ 1, 1 }));
        QCOMPARE(m_log->EventLB().lines(), QStringList({ "before the switch", "14:05:31 - AutoQuorvan Iniciado: " }));
        QVERIFY(!QFileInfo::exists(m_station->onC(QStringLiteral("Quorvan"))));
    }

    // A persisting failure is written once to each hour's file, per source, and only counts once written.
    void failureLinesOncePerHourOnceWritten()
    {
        FailureLog failures(*m_log, m_station->clock);
        const QString folder = m_station->systemFolder();
        QVERIFY(QDir().rename(folder, folder + QStringLiteral(".aside")));
        failures.report(QStringLiteral("BOMBA01.DBF a"), { QStringLiteral(" - ERRO") });
        QCOMPARE(m_station->boxes.takeBoxes().size(), 2);
        QVERIFY(QDir().rename(folder + QStringLiteral(".aside"), folder));
        for (const char* source : { "BOMBA01.DBF a", "BOMBA01.DBF a", "BOMBA01.DBF b" })
            failures.report(QLatin1StringView(source), { QStringLiteral(" - ERRO") });
        m_station->clock.advance(3600);
        failures.report(QStringLiteral("BOMBA01.DBF a"), { QStringLiteral(" - ERRO") });
        QCOMPARE(logFile("AUTOMACAO_06_12_2026_14.LOG"), QByteArray("14:05:31 - ERRO\r\n14:05:31 - ERRO\r\n"));
        QCOMPARE(logFile("AUTOMACAO_06_12_2026_15.LOG"), QByteArray("15:05:31 - ERRO\r\n"));
    }

    // A link planted in the log's place would make the bridge append to a file elsewhere.
    void neverWritesThroughALink()
    {
        const QString file = m_station->systemFolder() + QStringLiteral("/AUTOMACAO_06_12_2026_14.LOG");
        QVERIFY(QFile::link(m_station->onC(QStringLiteral("alvo.txt")), file));
        m_log->CriaLogCupom(QStringLiteral("x"));
        QCOMPARE(m_station->boxes.takeBoxes().first().text,
            QStringLiteral("Permissão negada: %1 é um link simbólico").arg(file));
        QVERIFY(!QFileInfo::exists(m_station->onC(QStringLiteral("alvo.txt"))));
    }

    // Each line added is selected; past 200 the oldest goes.
    void listKeepsTheLast200()
    {
        EventListModel list;
        int selected = -1;
        connect(&list, &EventListModel::currentRowChanged, this, [&](int row) { selected = row; });
        for (int i = 0; i <= 200; ++i) {
            list.addLine(QStringLiteral("line %1").arg(i));
            QCOMPARE(list.rowCount(), std::min(i + 1, 200));
            QCOMPARE(selected, list.currentRow());
        }
        QCOMPARE(list.lines().first(), QStringLiteral("line 1"));
        QCOMPARE(list.lines().last(), QStringLiteral("line 200"));
    }
};

QTEST_GUILESS_MAIN(TestEventLog)
#include "tst_eventlog.moc"
