#include "support/testfiles.h"
#include "totalizerstation.h"

#include <QDir>
#include <QTest>

using Box = RecordingMessageBox::Box;
// The exchange folder's entries by name; a folder shows as Folder.
using Files = QMap<QString, QByteArray>;

namespace {

const QByteArray Folder = "<folder>";
const QByteArray Request = "[PEDIDO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\n";
const QByteArray Unidentified = "[PEDIDO AUTOMACAO]\r\ncomando=automacao leitura encerrante\r\n";
const QByteArray OldResponse = "[RETORNO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\nRetorno=ERRO\r\n";
const QByteArray Ok = "[RETORNO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\nRetorno=OK\r\nParametro=??\r\n";
const QByteArray Erro
    = "[RETORNO AUTOMACAO]\r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\nRetorno=ERRO\r\nParametro=??\r\n";

const QString Started = QStringLiteral(" - Solicitacao de Leitura de Encerrante Iniciada.");
const QString Finished = QStringLiteral(" - Solicitacao de Leitura de Encerrante Concluída.");
const QString NotIdentified = QStringLiteral(" - Solicitacao Não Identificada.");
const QString Failed = QStringLiteral(" - ERRO VerificaSolicitacaoExtra: Erro Desconhecido!");
const QStringList Nozzles { QStringLiteral(" - Bico-1   Encerrante= 1.000,50"),
    QStringLiteral(" - Bico-2   Encerrante= 0,00"), QStringLiteral(" - Bico-3   Encerrante= 1.234.567,89"),
    QStringLiteral(" - Bico-4   Encerrante= 1.000,00") };
const QStringList Served = QStringList { Started } + Nozzles + QStringList { Finished };
const QStringList ReadThenFailed = QStringList { Started } + Nozzles + QStringList { Failed };

} // namespace

class TestRequestExchange : public QObject {
    Q_OBJECT

private:
    static void seed(TotalizerStation& t)
    {
        const double totals[] = { 1000.5, 0, 1234567.891, 999.996 };
        for (qint16 bico = 1; bico <= 4; ++bico)
            t.setTotalizer(1, bico, totals[bico - 1]);
    }

    static Files exchangeFiles(const TotalizerStation& t)
    {
        Files files;
        const QDir folder(t.station.exchangeFolder());
        for (const QFileInfo& entry : folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            files.insert(entry.fileName(), entry.isDir() ? Folder : TestFiles::read(entry.filePath()));
        return files;
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void exchange_data()
    {
        QTest::addColumn<Files>("before");
        QTest::addColumn<QString>("readOnly"); // the entry of `before` a requester protected
        QTest::addColumn<int>("bicos");
        QTest::addColumn<int>("checks");
        QTest::addColumn<QStringList>("logged");
        QTest::addColumn<Files>("after");
        const auto row = [](const char* name, const QByteArray& request, const QStringList& logged, const Files& after,
                             int bicos = 4) {
            Files before { { "Resposta.txt", OldResponse } };
            if (!request.isNull())
                before.insert("Solicitacao.txt", request);
            QTest::newRow(name) << before << QString() << bicos << 1 << logged << after;
        };
        const Files answered { { "Resposta.txt", Ok } };
        const Files untouched { { "Resposta.txt", OldResponse } };
        row("no request", QByteArray(), {}, untouched);
        row("header and command", Request, Served, answered);
        row("command without header", "Comando=AUTOMACAO LEITURA ENCERRANTE\r\n", Served, answered);
        row("line feeds alone", "[PEDIDO AUTOMACAO]\nComando=AUTOMACAO LEITURA ENCERRANTE\n", Served, answered);
        row("lines after the command ignored", Request + "Comando=OUTRO\r\n", Served, answered);
        row("no nozzles", Request, { Started, Finished }, { { "Resposta.txt", Erro } }, 0);
        row("command in small letters", Unidentified, { NotIdentified }, untouched);
        row("header with a trailing blank", "[PEDIDO AUTOMACAO] \r\nComando=AUTOMACAO LEITURA ENCERRANTE\r\n",
            { NotIdentified }, untouched);
        row("command with a trailing blank", "Comando=AUTOMACAO LEITURA ENCERRANTE \r\n", { NotIdentified }, untouched);
        row("byte-order mark", "\xEF\xBB\xBF" + Request, { NotIdentified }, untouched);
        row("header without command", "[PEDIDO AUTOMACAO]\r\n", { Failed },
            { { "Solicitacao.txt", "[PEDIDO AUTOMACAO]\r\n" }, { "Resposta.txt", OldResponse } });

        // Failures, checked twice: the request that stays is served again with the same outcome.
        const auto failing = [](const char* name, const Files& before, const QString& readOnly,
                                 const QStringList& logged, const Files& after) {
            QTest::newRow(name) << before << readOnly << 4 << 2 << logged + logged << after;
        };
        failing("empty request", { { "Solicitacao.txt", "" }, { "Resposta.txt", OldResponse } }, QString(), { Failed },
            { { "Solicitacao.txt", "" }, { "Resposta.txt", OldResponse } });
        const Files waiting { { "Solicitacao.txt", Request }, { "Resposta.txt", OldResponse } };
        failing("read-only old response", waiting, "Resposta.txt", ReadThenFailed, waiting);
        const Files partial { { "Solicitacao.txt", Request }, { "Resposta.tmp", "[RETORNO" },
            { "Resposta.txt", OldResponse } };
        failing("read-only old temporary response", partial, "Resposta.tmp", ReadThenFailed, partial);
        failing("read-only request", waiting, "Solicitacao.txt", ReadThenFailed,
            { { "Solicitacao.txt", Request }, { "Resposta.tmp", Ok } });
        const Files unidentifiedWaiting { { "Solicitacao.txt", Unidentified }, { "Resposta.txt", OldResponse } };
        failing("read-only unidentified request", unidentifiedWaiting, "Solicitacao.txt", { NotIdentified, Failed },
            unidentifiedWaiting);
        // The rename fails after the request is gone, so the second check finds nothing to do.
        QTest::newRow("folder in the response's place")
            << Files { { "Solicitacao.txt", Request }, { "Resposta.txt", Folder } } << QString() << 4 << 2
            << ReadThenFailed << Files { { "Resposta.tmp", Ok }, { "Resposta.txt", Folder } };
    }
    void exchange()
    {
        QFETCH(Files, before);
        QFETCH(QString, readOnly);
        QFETCH(int, bicos);
        QFETCH(int, checks);
        QFETCH(QStringList, logged);
        QFETCH(Files, after);
        TotalizerStation t;
        seed(t);
        t.settings.lQuantidadeBicos = qint16(bicos);
        const QDir folder(t.station.exchangeFolder());
        for (auto entry = before.cbegin(); entry != before.cend(); ++entry) {
            if (entry.value() == Folder)
                QVERIFY(folder.mkdir(entry.key()));
            else
                TestFiles::write(folder.filePath(entry.key()), entry.value());
        }
        if (!readOnly.isEmpty())
            QVERIFY(QFile::setPermissions(folder.filePath(readOnly), QFileDevice::ReadOwner | QFileDevice::ReadGroup));

        for (int check = 0; check < checks; ++check)
            t.exchange.VerificaSolicitacaoExtra();

        QCOMPARE(t.logged(), at(logged));
        // Only the start, the nozzles and the end reach the window's list.
        QStringList listed = logged;
        listed.removeIf([](const QString& line) { return line == NotIdentified || line == Failed; });
        QCOMPARE(t.log.EventLB().lines(), at(listed));
        QCOMPARE(exchangeFiles(t), after);
        QCOMPARE(t.station.boxes.takeBoxes(), QList<Box>());
    }

    // The box holds the exchange: while it is open nothing of the response exists yet.
    void missingTotalizerStillAnswersOk()
    {
        TotalizerStation t;
        seed(t);
        TestFiles::write(t.station.exchangeFolder() + QStringLiteral("/Solicitacao.txt"), Request);
        TestFiles::write(t.station.exchangeFolder() + QStringLiteral("/Resposta.txt"), OldResponse);
        Files whileBoxOpen;
        t.station.boxes.whileOpen = [&](const Box&) { whileBoxOpen = exchangeFiles(t); };
        t.settings.lQuantidadeBicos = 5;

        t.exchange.VerificaSolicitacaoExtra();

        QCOMPARE(t.station.boxes.takeBoxes(),
            QList<Box>(
                { { QStringLiteral("Encerrante atual não encontrado"), 16, QStringLiteral("Erro de Integridade!") } }));
        QCOMPARE(whileBoxOpen, (Files { { "Solicitacao.txt", Request }, { "Resposta.txt", OldResponse } }));
        QCOMPARE(exchangeFiles(t), (Files { { "Resposta.txt", Ok } }));
        QCOMPARE(t.logged(),
            at(QStringList { Started } + Nozzles + QStringList { " - Bico-5   Encerrante= 0,00", Finished }));
    }

    void backOfficeFailureAtNozzle2Of4()
    {
        TotalizerStation t;
        seed(t);
        const Files waiting { { "Solicitacao.txt", Request }, { "Resposta.txt", OldResponse } };
        for (auto entry = waiting.cbegin(); entry != waiting.cend(); ++entry)
            TestFiles::write(t.station.exchangeFolder() + u'/' + entry.key(), entry.value());
        t.dropTotalizersAfterNozzle1();

        t.exchange.VerificaSolicitacaoExtra();

        const QStringList read { Started, Nozzles.first() };
        QCOMPARE(t.logged(), at(read + QStringList { Failed }));
        QCOMPARE(t.log.EventLB().lines(), at(read));
        QCOMPARE(exchangeFiles(t), waiting);
    }
};

QTEST_GUILESS_MAIN(TestRequestExchange)
#include "tst_requestexchange.moc"
