#include "backoffice/sqlconnection.h"
#include "support/rawdbf.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QDir>
#include <QTest>
#include <QTimer>

using Box = RecordingMessageBox::Box;
// The exchange folder's entries by name; a folder shows as Folder.
using Files = QMap<QString, QByteArray>;

namespace {

const QByteArray Folder = "<folder>";
// A symbolic link to a file beside the exchange folder, which must never come into being.
const QByteArray Link = "<link>";
const QByteArray Request = "[PEDIDO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\n";
const QByteArray Unidentified = "[PEDIDO AUTOMACAO]\r\ncomando=automacao leitura encerrante\r\n";
const QByteArray OldResponse = "[RETORNO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\nRetorno=ERRO\r\n";
const QByteArray Ok = "[RETORNO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\nRetorno=OK\r\nParametro=??\r\n";

// The lines as logged at the fake clock's time.
const QString Started = QStringLiteral("14:05:31 - Solicitacao de Leitura de Encerrante Iniciada.");
const QString Finished = QStringLiteral("14:05:31 - Solicitacao de Leitura de Encerrante Concluída.");
const QString NotIdentified = QStringLiteral("14:05:31 - Solicitacao Não Identificada.");
const QString Failed = QStringLiteral("14:05:31 - ERRO VerificaSolicitacaoExtra: Erro Desconhecido!");
const QStringList Nozzles { "14:05:31 - Bico-1   Encerrante= 1.000,50", "14:05:31 - Bico-2   Encerrante= 0,00",
    "14:05:31 - Bico-3   Encerrante= 1.234.567,89", "14:05:31 - Bico-4   Encerrante= 1.000,00" };
const QStringList Served = QStringList { Started } + Nozzles + QStringList { Finished };
const QStringList ReadThenFailed = QStringList { Started } + Nozzles + QStringList { Failed };

// A request beside an old response.
Files waiting(const QByteArray& request = Request)
{
    return { { "Solicitacao.txt", request }, { "Resposta.txt", OldResponse } };
}

Files exchangeFiles(const QDir& folder)
{
    Files files;
    for (const QFileInfo& entry : folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        files.insert(entry.fileName(),
            entry.isSymLink()   ? Link
                : entry.isDir() ? Folder
                                : TestFiles::read(entry.filePath()));
    return files;
}

// A pt_BR test station with the reading and the exchange wired to it as the bridge holds them, file
// logging on and four nozzles of company 1 whose totalizers cover the formatting cases.
struct Station : TestStation {
    Station()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        log.lGravaLogArquivo = true;
        const char* totals[] = { "1000.5", "0", "1234567.891", "999.996" };
        for (qint16 bico = 1; bico <= 4; ++bico)
            addNozzle(bico, 1, "5.99", totals[bico - 1]);
    }

    // Once nozzle 1's line is in the list the totalizer table is gone: a back-office failing in the
    // middle of a reading.
    void failAfterNozzle1()
    {
        QObject::connect(&log.EventLB(), &EventListModel::currentRowChanged, [this](int row) {
            if (log.EventLB().lines().at(row).contains(QStringLiteral(" - Bico-1 ")))
                sql(QStringLiteral("DROP TABLE encerrantes"));
        });
    }

    EventLog log { drives, clock, boxes };
    BackOfficeObjects objects { *backOffice };
    StationSettings settings { 4, 1, QString() };
    TotalizerReading reading { log, objects, boxes, settings };
    FailureLog failures { log, clock };
    RequestExchange exchange { reading, log, failures, drives };
};

} // namespace

// The reading's lines, boxes and failures are checked through the request exchange, which runs it.
class TestTotalizer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every row is checked twice: a request that stays is served again with the same outcome, and
    // one that was served or deleted leaves the second check nothing to do.
    void exchange_data()
    {
        QTest::addColumn<Files>("before");
        QTest::addColumn<QStringList>("logged");
        QTest::addColumn<Files>("after");
        // The entry of `before` a requester protected, or Encerrantes: the back-office fails at nozzle 2.
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("bicos");
        QTest::addColumn<QList<int>>("linesAtBoxes"); // lines in the list as each box opened
        const auto row = [](const char* name, const Files& before, const QStringList& logged, const Files& after,
                             const QString& fault = QString(), int bicos = 4, const QList<int>& linesAtBoxes = {}) {
            QTest::newRow(name) << before << logged << after << fault << bicos << linesAtBoxes;
        };
        const Files answered { { "Resposta.txt", Ok } };
        const Files untouched { { "Resposta.txt", OldResponse } };
        row("no request", untouched, {}, untouched);
        row("header and command", waiting(), Served, answered);
        row("command without header", waiting("Comando=AUTOMACAO LEITURA ENCERRANTE\r\n"), Served, answered);
        row("line feeds alone, lines after the command ignored",
            waiting("[PEDIDO AUTOMACAO]\nComando=AUTOMACAO LEITURA ENCERRANTE\nComando=OUTRO\n"), Served, answered);
        row("no nozzles", waiting(), { Started, Finished },
            { { "Resposta.txt", QByteArray(Ok).replace("Retorno=OK", "Retorno=ERRO") } }, QString(), 0);
        // The box comes before the nozzle's line, and the line shows what the object reports.
        row("missing totalizer", waiting(),
            QStringList { Started } + Nozzles + QStringList { "14:05:31 - Bico-5   Encerrante= 0,00", Finished },
            answered, QString(), 5, { 5 });
        row("command in small letters", waiting(Unidentified), { NotIdentified }, untouched);
        row("header with a trailing blank", waiting("[PEDIDO AUTOMACAO] \r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\n"),
            { NotIdentified }, untouched);
        row("command with a trailing blank", waiting("Comando=AUTOMACAO LEITURA ENCERRANTE \r\n"), { NotIdentified },
            untouched);
        row("byte-order mark", waiting("\xEF\xBB\xBF" + Request), { NotIdentified }, untouched);
        Files linked = waiting();
        linked.insert("Resposta.tmp", Link);
        row("links in the responses' places are replaced, not followed", linked, Served, answered);
        // Failures: everything stays in place, the next check fails the same way, and the line goes
        // once to the hour's file. What would keep the answer from being written is found before
        // the reading, so a request that cannot be answered does not fill the list.
        row("empty request", waiting(""), { Failed }, waiting(""));
        const QByteArray huge = Request + QByteArray(RequestExchange::MaxRequestBytes, '\n');
        row("request over 64 KiB", waiting(huge), { Failed }, waiting(huge));
        row("read-only old response", waiting(), { Failed }, waiting(), "Resposta.txt");
        Files partial = waiting();
        partial.insert("Resposta.tmp", "[RETORNO");
        row("read-only old temporary response", partial, { Failed }, partial, "Resposta.tmp");
        row("read-only unidentified request", waiting(Unidentified), { Failed }, waiting(Unidentified),
            "Solicitacao.txt");
        row("read-only request", waiting(), { Failed }, waiting(), "Solicitacao.txt");
        // The rename fails after the request is gone, so the second check finds nothing to do.
        row("folder in the response's place", { { "Solicitacao.txt", Request }, { "Resposta.txt", Folder } },
            ReadThenFailed, { { "Resposta.tmp", Ok }, { "Resposta.txt", Folder } });
        // The second check fails at nozzle 1, the table being gone.
        row("back-office failure at nozzle 2 of 4", waiting(), { Started, Nozzles.first(), Failed, Started }, waiting(),
            "Encerrantes");
    }
    void exchange()
    {
        QFETCH(Files, before);
        QFETCH(QStringList, logged);
        QFETCH(Files, after);
        QFETCH(QString, fault);
        QFETCH(int, bicos);
        QFETCH(QList<int>, linesAtBoxes);
        Station t;
        t.settings.lQuantidadeBicos = qint16(bicos);
        QList<int> linesAtBox;
        t.boxes.whileOpen = [&](const Box&) { linesAtBox += int(t.log.EventLB().lines().size()); };
        const QDir folder(t.exchangeFolder());
        for (const auto& [name, bytes] : before.asKeyValueRange()) {
            if (bytes == Folder)
                folder.mkdir(name);
            else if (bytes == Link)
                QFile::link(folder.filePath("../alvo.txt"), folder.filePath(name));
            else
                TestFiles::write(folder.filePath(name), bytes);
        }
        if (fault == "Encerrantes")
            t.failAfterNozzle1();
        else if (!fault.isEmpty())
            QVERIFY(QFile::setPermissions(folder.filePath(fault), QFileDevice::ReadOwner | QFileDevice::ReadGroup));

        t.exchange.VerificaSolicitacaoExtra();
        t.exchange.VerificaSolicitacaoExtra();

        QCOMPARE(t.logLines(), logged);
        // Only the start, the nozzles and the end reach the window's list.
        logged.removeIf([](const QString& line) { return line == NotIdentified || line == Failed; });
        QCOMPARE(t.log.EventLB().lines(), logged);
        QCOMPARE(exchangeFiles(folder), after);
        QVERIFY(!QFileInfo::exists(folder.filePath("../alvo.txt")));
        QCOMPARE(linesAtBox, linesAtBoxes);
        QCOMPARE(t.boxes.takeBoxes(),
            QList<Box>(linesAtBoxes.size(), { "Encerrante atual não encontrado", 16, "Erro de Integridade!" }));
    }

    // The click of the greyed button logs a failure of the reading instead of ending the program.
    void clickLogsAFailure()
    {
        Station t;
        t.failAfterNozzle1();
        t.reading.cmdEncerrante_Click();
        QCOMPARE(t.log.EventLB().lines(), Nozzles.first(1));
        const QStringList logged = t.logLines();
        QCOMPARE(logged.size(), 2);
        QVERIFY2(logged.last().startsWith(QStringLiteral("14:05:31 - ERRO cmdEncerrante_Click: clsEncerrante.Localiza"))
                && logged.last().endsWith(QStringLiteral(" - Err: 3146")),
            qPrintable(logged.last()));
        QCOMPARE(t.boxes.takeBoxes(), QList<Box>());
    }

    // A click while a cycle waits on the back-office is read after the cycle: inside it, the reading
    // would show totalizers the cycle has not committed, and a box of it would hold the cycle's
    // transaction open.
    void clickDuringACycleReadsAfterIt()
    {
        Station t;
        t.writePumpTable(QStringLiteral("BOMBA01.DBF"), { RawDbf::record("20261206", "10:00:00", "2.5", "15") });
        QCOMPARE(t.start(1), Bridge::StartupOutcome::Running);
        t.backOffice->setResponsive(true);
        QTimer::singleShot(0, t.bridge.get(), &Bridge::cmdEncerrante_Click);
        t.cycle();
        QTRY_COMPARE(t.bridge->EventLB().lines().mid(1),
            QStringList(
                { "14:05:31 - Gravado no Banco Bico-1   Total= 15,00", "14:05:31 - Bico-1   Encerrante= 1.003,00" }));
    }

    // The running bridge looks for a request only on every tenth tick of its polling cycle.
    void answeredOnEveryTenthTick()
    {
        Station t;
        t.writePumpTable(QStringLiteral("BOMBA01.DBF"), {});
        QCOMPARE(t.start(1), Bridge::StartupOutcome::Running);
        const QDir folder(t.exchangeFolder());
        const QString request = folder.filePath("Solicitacao.txt");
        for (int tick = 1; tick <= 20; ++tick) {
            if (tick % 10 == 1)
                TestFiles::write(request, Request);
            t.cycle();
            QCOMPARE(QFile::exists(request), tick % 10 != 0);
        }
        QCOMPARE(exchangeFiles(folder), (Files { { "Resposta.txt", Ok } }));
        QCOMPARE(t.boxes.takeBoxes(), QList<Box>());
    }

    // A bridge whose pump tables are at rest skips the ticks before the tenth: a request dropped
    // then is still answered at the next tenth tick.
    void answeredAtTheTenthTickWhileResting()
    {
        Station t;
        t.writePumpTable(QStringLiteral("BOMBA01.DBF"), {});
        QTest::qSleep(1100);
        QCOMPARE(t.start(1), Bridge::StartupOutcome::Running);
        const PollingCycle& polling = t.bridge->polling();
        QTRY_VERIFY(polling.isResting());
        int cycles = 0;
        connect(&polling, &PollingCycle::cycleFinished, this, [&] { ++cycles; });
        const QDir folder(t.exchangeFolder());
        TestFiles::write(folder.filePath("Solicitacao.txt"), Request);
        QTRY_COMPARE(exchangeFiles(folder), (Files { { "Resposta.txt", Ok } }));
        QCOMPARE(cycles, 1);
    }
};

QTEST_GUILESS_MAIN(TestTotalizer)
#include "tst_totalizer.moc"
