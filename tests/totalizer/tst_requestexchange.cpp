#include "support/rawdbf.h"
#include "support/testfiles.h"
#include "totalizerstation.h"

#include <QDir>
#include <QTest>

// The exchange folder's entries by name; a folder shows as Folder.
using Files = QMap<QString, QByteArray>;

namespace {

const QByteArray Folder = "<folder>";
const QByteArray Request = "[PEDIDO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\n";
const QByteArray Unidentified = "[PEDIDO AUTOMACAO]\r\ncomando=automacao leitura encerrante\r\n";
const QByteArray OldResponse = "[RETORNO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\nRetorno=ERRO\r\n";
const QByteArray Ok = "[RETORNO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\nRetorno=OK\r\nParametro=??\r\n";

const QString Started = QStringLiteral(" - Solicitacao de Leitura de Encerrante Iniciada.");
const QString Finished = QStringLiteral(" - Solicitacao de Leitura de Encerrante Concluída.");
const QString NotIdentified = QStringLiteral(" - Solicitacao Não Identificada.");
const QString Failed = QStringLiteral(" - ERRO VerificaSolicitacaoExtra: Erro Desconhecido!");
const QStringList Nozzles { QStringLiteral(" - Bico-1   Encerrante= 1.000,50"),
    QStringLiteral(" - Bico-2   Encerrante= 0,00"), QStringLiteral(" - Bico-3   Encerrante= 1.234.567,89"),
    QStringLiteral(" - Bico-4   Encerrante= 1.000,00") };
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
        files.insert(entry.fileName(), entry.isDir() ? Folder : TestFiles::read(entry.filePath()));
    return files;
}

} // namespace

class TestRequestExchange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every row is checked twice: a request that stays is served again with the same outcome, and
    // one that was served or deleted leaves the second check nothing to do.
    void exchange_data()
    {
        QTest::addColumn<Files>("before");
        QTest::addColumn<QStringList>("logged");
        QTest::addColumn<Files>("after");
        QTest::addColumn<QString>("readOnly"); // the entry of `before` a requester protected
        QTest::addColumn<int>("bicos");
        QTest::addColumn<bool>("failAtNozzle2");
        QTest::addColumn<QList<int>>("linesAtBoxes"); // lines in the list as each box opened
        const auto row = [](const char* name, const Files& before, const QStringList& logged, const Files& after,
                             const QString& readOnly = QString(), int bicos = 4, bool failAtNozzle2 = false,
                             const QList<int>& linesAtBoxes = {}) {
            QTest::newRow(name) << before << logged << after << readOnly << bicos << failAtNozzle2 << linesAtBoxes;
        };
        const Files answered { { "Resposta.txt", Ok } };
        const Files untouched { { "Resposta.txt", OldResponse } };
        row("no request", untouched, {}, untouched);
        row("header and command", waiting(), Served, answered);
        row("command without header", waiting("Comando=AUTOMACAO LEITURA ENCERRANTE\r\n"), Served, answered);
        row("line feeds alone", waiting("[PEDIDO AUTOMACAO]\nComando=AUTOMACAO LEITURA ENCERRANTE\n"), Served,
            answered);
        row("lines after the command ignored", waiting(Request + "Comando=OUTRO\r\n"), Served, answered);
        row("no nozzles", waiting(), { Started, Finished },
            { { "Resposta.txt", QByteArray(Ok).replace("Retorno=OK", "Retorno=ERRO") } }, QString(), 0);
        // The box comes before the nozzle's line, and the line shows what the object reports.
        row("missing totalizer", waiting(),
            QStringList { Started } + Nozzles + QStringList { " - Bico-5   Encerrante= 0,00", Finished }, answered,
            QString(), 5, false, { 5 });
        row("command in small letters", waiting(Unidentified), { NotIdentified }, untouched);
        row("header with a trailing blank", waiting("[PEDIDO AUTOMACAO] \r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\n"),
            { NotIdentified }, untouched);
        row("command with a trailing blank", waiting("Comando=AUTOMACAO LEITURA ENCERRANTE \r\n"), { NotIdentified },
            untouched);
        row("byte-order mark", waiting("\xEF\xBB\xBF" + Request), { NotIdentified }, untouched);
        // Failures: everything stays in place, and the next check fails the same way.
        row("empty request", waiting(""), { Failed, Failed }, waiting(""));
        row("read-only old response", waiting(), ReadThenFailed + ReadThenFailed, waiting(), "Resposta.txt");
        Files partial = waiting();
        partial.insert("Resposta.tmp", "[RETORNO");
        row("read-only old temporary response", partial, ReadThenFailed + ReadThenFailed, partial, "Resposta.tmp");
        row("read-only unidentified request", waiting(Unidentified), { NotIdentified, Failed, NotIdentified, Failed },
            waiting(Unidentified), "Solicitacao.txt");
        // The response is renamed into place only once the request is gone.
        row("read-only request", waiting(), ReadThenFailed + ReadThenFailed,
            { { "Solicitacao.txt", Request }, { "Resposta.tmp", Ok } }, "Solicitacao.txt");
        // The rename fails after the request is gone, so the second check finds nothing to do.
        row("folder in the response's place", { { "Solicitacao.txt", Request }, { "Resposta.txt", Folder } },
            ReadThenFailed, { { "Resposta.tmp", Ok }, { "Resposta.txt", Folder } });
        // The second check fails at nozzle 1, the table being gone.
        row("back-office failure at nozzle 2 of 4", waiting(), { Started, Nozzles.first(), Failed, Started, Failed },
            waiting(), QString(), 4, true);
    }
    void exchange()
    {
        QFETCH(Files, before);
        QFETCH(QStringList, logged);
        QFETCH(Files, after);
        QFETCH(QString, readOnly);
        QFETCH(int, bicos);
        QFETCH(bool, failAtNozzle2);
        QFETCH(QList<int>, linesAtBoxes);
        TotalizerStation t;
        t.settings.lQuantidadeBicos = qint16(bicos);
        if (failAtNozzle2)
            t.failAfterNozzle1();
        QList<int> linesAtBox;
        t.boxes.whileOpen = [&](const Box&) { linesAtBox += int(t.log.EventLB().lines().size()); };
        const QDir folder(t.exchangeFolder());
        for (const auto& [name, bytes] : before.asKeyValueRange())
            bytes == Folder ? void(folder.mkdir(name)) : TestFiles::write(folder.filePath(name), bytes);
        if (!readOnly.isEmpty())
            QVERIFY(QFile::setPermissions(folder.filePath(readOnly), QFileDevice::ReadOwner | QFileDevice::ReadGroup));

        t.exchange.VerificaSolicitacaoExtra();
        t.exchange.VerificaSolicitacaoExtra();

        QCOMPARE(t.logLines(), at(logged));
        // Only the start, the nozzles and the end reach the window's list.
        logged.removeIf([](const QString& line) { return line == NotIdentified || line == Failed; });
        QCOMPARE(t.log.EventLB().lines(), at(logged));
        QCOMPARE(exchangeFiles(folder), after);
        QCOMPARE(linesAtBox, linesAtBoxes);
        const Box missing { QStringLiteral("Encerrante atual não encontrado"), 16,
            QStringLiteral("Erro de Integridade!") };
        QCOMPARE(t.boxes.takeBoxes(), QList<Box>(linesAtBoxes.size(), missing));
    }

    // The running bridge looks for a request only on the tenth tick of its polling cycle.
    void answeredOnTheTenthTick()
    {
        TotalizerStation t;
        t.writeIni(TestStation::iniFor(4));
        for (const char* table : { "/BOMBA01.DBF", "/BOMBA02.DBF", "/BOMBA03.DBF", "/BOMBA04.DBF" })
            TestFiles::write(t.pumpFolder() + QLatin1StringView(table), RawDbf::table({}));
        const QDir folder(t.exchangeFolder());
        TestFiles::write(folder.filePath("Solicitacao.txt"), Request);
        Bridge bridge(t.ports());
        QCOMPARE(bridge.Form_Load(), Bridge::StartupOutcome::Running);

        for (int tick = 1; tick <= 9; ++tick)
            bridge.polling().Timer1_Timer();
        QCOMPARE(exchangeFiles(folder), (Files { { "Solicitacao.txt", Request } }));
        bridge.polling().Timer1_Timer();
        QCOMPARE(exchangeFiles(folder), (Files { { "Resposta.txt", Ok } }));
        QCOMPARE(t.boxes.takeBoxes(), QList<Box>());
    }
};

QTEST_GUILESS_MAIN(TestRequestExchange)
#include "tst_requestexchange.moc"
