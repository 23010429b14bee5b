#include "eventlog/eventlog.h"
#include "support/fakeclock.h"
#include "support/recordingmessagebox.h"
#include "support/testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestEventLog : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    std::unique_ptr<Drives> m_drives;
    FakeClock m_clock;
    RecordingMessageBox m_boxes;

    QString logFolder() const { return m_root.filePath(QStringLiteral("C/Quorvan/AutoQuorvanNolvex")); }
    QByteArray logFile(const char* name) const { return TestFiles::read(logFolder() + u'/' + QLatin1StringView(name)); }

private Q_SLOTS:
    void init()
    {
        m_drives = std::make_unique<Drives>(m_root.path());
        m_clock.set(QDateTime(QDate(2026, 12, 6), QTime(14, 5, 31)));
        QDir(logFolder()).removeRecursively();
        QVERIFY(QDir().mkpath(logFolder()));
    }
    void cleanup() { QCOMPARE(m_boxes.takeBoxes(), QList<RecordingMessageBox::Box>()); }

    void eachHourHasItsFile()
    {
        EventLog log(*m_drives, m_clock, m_boxes);
        for (const QDateTime& moment : { QDateTime(QDate(2026, 12, 6), QTime(14, 59, 59)),
                 QDateTime(QDate(2026, 12, 6), QTime(15, 0, 0)), QDateTime(QDate(2027, 1, 1), QTime(0, 0)) }) {
            m_clock.set(moment);
            log.CriaLogCupom(log.line(QStringLiteral(" - x")));
        }
        QCOMPARE(logFile("AUTOMACAO_06_12_2026_14.LOG"), QByteArray("14:59:59 - x\r\n"));
        QCOMPARE(logFile("AUTOMACAO_06_12_2026_15.LOG"), QByteArray("15:00:00 - x\r\n"));
        QCOMPARE(logFile("AUTOMACAO_01_01_2027_00.LOG"), QByteArray("00:00:00 - x\r\n"));
    }

    void appendsToAnExistingFileInOneBytePerLetter()
    {
        TestFiles::write(logFolder() + QStringLiteral("/AUTOMACAO_06_12_2026_14.LOG"), "14:00:00 - antes\r\n");
        EventLog log(*m_drives, m_clock, m_boxes);
        log.CriaLogCupom(log.line(QStringLiteral(" - Solicitacao de Leitura de Encerrante Concluída.")));
        QCOMPARE(logFile("AUTOMACAO_06_12_2026_14.LOG"),
            QByteArray("14:00:00 - antes\r\n14:05:31 - Solicitacao de Leitura de Encerrante Conclu\xED"
                       "da.\r\n"));
    }

    void gravaEventoWritesFileThenList()
    {
        EventLog log(*m_drives, m_clock, m_boxes);
        log.GravaEvento(QStringLiteral("before the switch"));
        QVERIFY(!QFileInfo::exists(logFolder() + QStringLiteral("/AUTOMACAO_06_12_2026_14.LOG")));
        log.lGravaLogArquivo = true;
        log.GravaEvento(QStringLiteral("after the switch"));
        QCOMPARE(logFile("AUTOMACAO_06_12_2026_14.LOG"), QByteArray("after the switch\r\n"));
        QCOMPARE(log.EventLB().lines(), QStringList({ "before the switch", "after the switch" }));
        log.CriaLogCupom(QStringLiteral("file only"));
        QCOMPARE(log.EventLB().lines().size(), 2);
    }

    void missingFolderShowsBothBoxesAndKeepsTheListLine()
    {
        QVERIFY(QDir(m_root.filePath(QStringLiteral("C/Quorvan"))).removeRecursively());
        EventLog log(*m_drives, m_clock, m_boxes);
        log.lGravaLogArquivo = true;
        bool listedWhileBoxOpen = true;
        m_boxes.whileOpen = [&](const RecordingMessageBox::Box&) { listedWhileBoxOpen = log.EventLB().rowCount() > 0; };
        log.GravaEvento(QStringLiteral("14:05:31 - AutoQuorvan Iniciado: "));
        m_boxes.whileOpen = nullptr;

        const QList<RecordingMessageBox::Box> boxes = m_boxes.takeBoxes();
        QCOMPARE(boxes.size(), 2);
        QVERIFY(boxes[0].text.contains(QStringLiteral("AUTOMACAO_06_12_2026_14.LOG")));
        QCOMPARE(boxes[0].style, MessageStyle::Plain);
        QCOMPARE(boxes[0].title, QStringLiteral("AutoQuorvanNolvex"));
        QCOMPARE(boxes[1],
            (RecordingMessageBox::Box { QStringLiteral("Erro ao criar LOG ECF: 14:05:31 - AutoQuorvan Iniciado: "),
                MessageStyle::Information, QStringLiteral("Erro: CriaLogCupom") }));
        QVERIFY(!listedWhileBoxOpen);
        QCOMPARE(log.EventLB().lines(), QStringList { QStringLiteral("14:05:31 - AutoQuorvan Iniciado: ") });
        QVERIFY(!QFileInfo::exists(m_root.filePath(QStringLiteral("C/Quorvan"))));
    }

    void listKeepsTheLast200_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("first");
        QTest::newRow("199 lines grow to 200") << 199 << 200 << "line 0";
        QTest::newRow("200 lines drop the oldest") << 200 << 200 << "line 1";
        QTest::newRow("empty list") << 0 << 1 << "new";
    }
    void listKeepsTheLast200()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QString, first);
        EventListModel list;
        for (int i = 0; i < before; ++i)
            list.addLine(QStringLiteral("line %1").arg(i));
        int selected = -1;
        connect(&list, &EventListModel::currentRowChanged, this, [&](int row) { selected = row; });
        list.addLine(QStringLiteral("new"));
        QCOMPARE(list.rowCount(), after);
        QCOMPARE(list.lines().first(), first);
        QCOMPARE(list.lines().last(), QStringLiteral("new"));
        QCOMPARE(selected, after - 1);
        QCOMPARE(list.currentRow(), after - 1);
    }
};

QTEST_GUILESS_MAIN(TestEventLog)
#include "tst_eventlog.moc"
