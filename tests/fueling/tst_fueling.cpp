#include "backoffice/backofficeadmin.h"
#include "backoffice/sqlconnection.h"
#include "dbase/dbfappender.h"
#include "support/rawdbf.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QTest>

using RawDbf::record;
// Table name to its records; no records: the table is missing.
using Tables = QMap<QString, QByteArrayList>;

// The fuelings' way from the pump tables into the back-office, each polling cycle, and the
// window's public entry for one fueling.
class TestFueling : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStation> m_station;

    QString table(const QString& name) const { return m_station->pumpFolder() + u'/' + name; }
    void writeTable(const QString& name, const QByteArrayList& records) { m_station->writePumpTable(name, records); }
    void start(int bicos) { QCOMPARE(m_station->start(bicos), Bridge::StartupOutcome::Running); }
    void cycle() { m_station->cycle(); }
    // The log file holds every message behind the time; the list only the registrations. A message
    // ending in "…" is compared up to there: what follows is the database engine's own text.
    void compareLog(QStringList messages, const char* time = "14:05:31")
    {
        const QStringList lines = m_station->logLines();
        for (qsizetype i = 0; i < messages.size(); ++i) {
            QString& message = messages[i];
            message
                = QLatin1StringView(time) + QStringLiteral(" - ") + message.replace("<pumps>", m_station->pumpFolder());
            if (message.endsWith(u'…') && i < lines.size() && lines[i].startsWith(message.chopped(1)))
                message = lines[i];
        }
        QCOMPARE(lines, messages);
        if (QLatin1StringView(time) == "14:05:31")
            QCOMPARE(m_station->bridge->EventLB().lines().mid(1), messages.filter(QStringLiteral("Gravado")));
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    // Nozzles 1, 2 and 100 sell product 1 and have a totalizer, 3 has none, 4 sells a product whose
    // code needs more than 16 bits, 5 is unknown to the back-office. Every table up to 99 is empty.
    void init()
    {
        m_station = std::make_unique<TestStation>();
        for (const qint16 bico : { 1, 2, 100 })
            m_station->addNozzle(bico, 1, "5.999", "1000");
        m_station->addNozzle(3, 1, "5.999");
        m_station->addNozzle(4, 40000, "1");
        for (int bico = 1; bico < 100; ++bico)
            writeTable(PumpTable::name(bico), {});
    }
    void cleanup()
    {
        m_station->bridge.reset();
        QCOMPARE(m_station->boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }

    // messages: the log after two cycles, without the time. The first `persisting` of them are a
    // failure's: written once, again in the next hour's file, and no more once the table is repaired.
    // left: the records still in the first table.
    void twoCycles_data()
    {
        QTest::addColumn<int>("bicos");
        QTest::addColumn<Tables>("tables");
        QTest::addColumn<QStringList>("fuelings");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("persisting");
        QTest::addColumn<int>("left");
        const QByteArrayList one { record("20261206", "10:00:00", "3", "18") };
        const QString fueling = QStringLiteral("2026-12-06 10:00:00 1 5.9990 3.0000 18.0000");
        const auto registered = [](int bico) {
            return QStringList { QStringLiteral("Gravado no Banco Bico-%1   Total= 18,00").arg(bico),
                QStringLiteral("ERRO AutoAtualTabeEncerranteAtual: bico não cadastrado=%1").arg(bico) };
        };
        QTest::newRow("three records in stored order, blank Data is today")
            << 3
            << Tables { { "BOMBA02.DBF",
                   { record("20261206", "14:00:01", "10.000", "59.99"), record("20261205", "23:59:59", "2.25", "13.50"),
                       record("", "08:00:00", "1", "6") } } }
            << QStringList { "2 2026-12-06 14:00:01 1 5.9990 10.0000 59.9900",
                   "2 2026-12-05 23:59:59 1 5.9990 2.2500 13.5000", "2 2026-12-06 08:00:00 1 5.9990 1.0000 6.0000" }
            << QStringList { "Gravado no Banco Bico-2   Total= 59,99", "Gravado no Banco Bico-2   Total= 13,50",
                   "Gravado no Banco Bico-2   Total= 6,00" }
            << 0 << 0;
        QTest::newRow("no nozzles: no table read")
            << 0 << Tables { { "BOMBA01.DBF", one } } << QStringList() << QStringList() << 0 << 1;
        QTest::newRow("nozzle without a totalizer")
            << 3 << Tables { { "BOMBA03.DBF", one } } << QStringList { "3 " + fueling } << registered(3) << 0 << 0;
        QTest::newRow("unknown nozzle: product 0, price 0")
            << 5 << Tables { { "BOMBA05.DBF", one } } << QStringList { "5 2026-12-06 10:00:00 0 0.0000 3.0000 18.0000" }
            << registered(5) << 0 << 0;
        QTest::newRow("nozzle 100 in a lower-case file")
            << 100 << Tables { { "bomba100.dbf", one } } << QStringList { "100 " + fueling }
            << registered(100).mid(0, 1) << 0 << 0;
        QTest::newRow("product code beyond 16 bits stays")
            << 4 << Tables { { "BOMBA04.DBF", one } } << QStringList()
            << QStringList { "ERRO LoopBomba: Erro Desconhecido! BOMBA04.DBF xFase=16", "ERRO: 6 - Estouro" } << 2 << 1;
        // A table that fails holds back its record and those behind it, not the tables after it.
        const auto failure = [&](const char* row, const QByteArrayList& records, const QStringList& messages) {
            QTest::newRow(row) << 3 << Tables { { "BOMBA02.DBF", records }, { "BOMBA03.DBF", one } }
                               << QStringList { "3 " + fueling } << messages + registered(3) << int(messages.size())
                               << int(records.size());
        };
        failure("blank Hora", { record("20261206", "", "1", "6"), record("20261206", "10:05:00", "4", "24") },
            { "ERRO LoopBomba: ERRO: Uso inválido de Nulo", "ERRO LoopBomba: lNomeArquivo: BOMBA02.DBF xFase=11" });
        failure("blank Litros", { record("20261206", "10:00:00", "", "6") },
            { "ERRO LoopBomba: ERRO: Uso inválido de Nulo", "ERRO LoopBomba: lNomeArquivo: BOMBA02.DBF xFase=13" });
        failure("Hora that is no time", { record("20261206", "xx:yy", "1", "6") },
            { "ERRO LoopBomba: Erro Desconhecido! BOMBA02.DBF xFase=11", "ERRO: 13 - Tipos incompatíveis: \"xx:yy\"" });
        // Values that cannot be a sale are held like the other bad records.
        failure("Data that is no date", { record("99999999", "10:00:00", "1", "6") },
            { "ERRO LoopBomba: Erro Desconhecido! BOMBA02.DBF xFase=10",
                "ERRO: 13 - Tipos incompatíveis: \"99999999\"" });
        failure("negative Litros", { record("20261206", "10:00:00", "-3", "-18") },
            { "ERRO LoopBomba: Erro Desconhecido! BOMBA02.DBF xFase=13", "ERRO: 380 - Valor inválido: Litros=-3" });
        failure("missing table", {},
            { "ERRO LoopBomba: dataNolvex.DatabaseName=C:\\wdn\\matriz",
                "ERRO LoopBomba: dataNolvex.RecordSource=BOMBA02.DBF",
                "ERRO LoopBomba: Erro Desconhecido! BOMBA02.DBF xFase=0",
                "ERRO: 3024 - Não foi possível encontrar o arquivo '<pumps>/BOMBA02.DBF'." });
    }
    void twoCycles()
    {
        QFETCH(int, bicos);
        QFETCH(Tables, tables);
        QFETCH(QStringList, fuelings);
        QFETCH(QStringList, messages);
        QFETCH(int, persisting);
        QFETCH(int, left);
        for (auto [name, records] : tables.asKeyValueRange()) {
            if (records.isEmpty())
                QFile::remove(table(name));
            else
                writeTable(name, records);
        }
        start(bicos);
        cycle();
        cycle();
        compareLog(messages);
        QCOMPARE(m_station->fuelings(), fuelings);
        QCOMPARE(m_station->pumpRecords(tables.firstKey()).size(), left);
        QCOMPARE(m_station->bridge->reader().lBicoAtual, qint16(bicos + 1));

        m_station->clock.advance(3600);
        cycle();
        for (const QString& name : tables.keys())
            writeTable(name, {});
        cycle();
        compareLog(messages.mid(0, persisting), "15:05:31");
    }

    // happening: the record read twice ("duplicate"), its delete failing ("delete"), or what keeps a
    // sale and its litres from being stored together for a cycle each: a trigger through which the
    // back-office refuses (no message) or fails (the message) the insert, the totalizer's update or
    // its history row ("table:" then the cycles' messages separated by "/"), or another program
    // holding the totalizers locked ("lock"). Meanwhile nothing of the sales is stored and both
    // records wait; then each is registered once, with its litres. failure: the lines that say why.
    void registeredOnceWhateverHappens_data()
    {
        QTest::addColumn<QString>("happening");
        QTest::addColumn<QStringList>("failure");
        using L = QStringList;
        const QString refused = QStringLiteral("** ERRO ** Abastecimento Não Foi Incluído: Data=06/12/2026 - "
                                               "Hora=10:00:00 - Bico=1 - Valor Total=18");
        const QString totalizerRefused = QStringLiteral(
            "ERRO AutoAtualTabeEncerranteAtual: clsEncerrante.Altera: o banco de dados recusou os valores: …");
        row("record read twice", "duplicate", L());
        row("delete fails", "delete",
            L { "ERRO LoopBomba: Erro Desconhecido! BOMBA01.DBF xFase=18",
                "ERRO: 3051 - Não foi possível abrir o arquivo '<pumps>/BOMBA01.DBF' (Is a directory)." });
        row("back-office refuses twice", "abastecimentos:/", L { refused });
        row("back-office refuses, then fails", "abastecimentos:/recusado pelo gatilho",
            L { refused,
                "ERRO AutoAtualTabeAbastecimento: clsAbastecimento.Inclui: o banco de dados recusou os valores: …" });
        row("totalizer update fails", "encerrantes:recusado", L { totalizerRefused });
        row("totalizer update skipped", "encerrantes:",
            L { "ERRO AutoAtualTabeEncerranteAtual: Não foi possível alterar Encerrante Atual do bico=1" });
        row("totalizer's history refused", "encerrantes_historico:cheio", L { totalizerRefused });
        // A server locks the totalizer's row; SQLite, the whole file from the start.
        row("back-office locked by another program", "lock",
            L { TestStation::onPostgres()
                    ? "ERRO AutoAtualTabeEncerranteAtual: clsEncerrante.Localiza: o banco de dados está bloqueado por "
                      "outro programa: …"
                    : "ERRO AutoAtualTabeAbastecimento: clsConexao.Transacao: o banco de dados está bloqueado por "
                      "outro programa: …" });
    }
    void registeredOnceWhateverHappens()
    {
        QFETCH(QString, happening);
        QFETCH(QStringList, failure);
        const QString name = QStringLiteral("BOMBA01.DBF");
        const QString path = table(name);
        const QByteArrayList records { record("20261206", "10:00:00", "3", "18"),
            record("20261206", "10:05:00", "4", "24") };
        writeTable(name, records);
        start(1);
        if (happening == u"duplicate") {
            cycle();
            writeTable(name, records);
        } else if (happening == u"delete") {
            // The registrations' event lines come after their commit: then the table turns into a
            // folder, so the deletes that follow cannot open it.
            m_station->clock.whenAsked = [&] {
                if (QFileInfo(path).isFile() && !m_station->fuelings().isEmpty()) {
                    QFile::rename(path, path + QStringLiteral(".aside"));
                    QDir().mkpath(path);
                }
            };
            cycle();
            m_station->clock.whenAsked = nullptr;
            QDir(path).removeRecursively();
            QFile::rename(path + QStringLiteral(".aside"), path);
        } else {
            BackOfficeDatabase other(m_station->backOffice->settings());
            const auto onOther = [&other](const QStringList& statements) {
                other.call([&] {
                    for (const QString& statement : statements)
                        other.records("teste").run(statement, "teste");
                });
            };
            const QString target = happening.section(u':', 0, 0);
            const QString event = target == u"encerrantes" ? QStringLiteral("UPDATE") : QStringLiteral("INSERT");
            for (const QString& refusal : happening.section(u':', 1).split(u'/')) {
                if (happening == u"lock")
                    onOther(TestStation::lockTotalizers());
                else
                    m_station->addTrigger(target, event, refusal);
                cycle();
                QCOMPARE(m_station->fuelings(), QStringList());
                QCOMPARE(m_station->totalizer(1), QStringLiteral("1000.0000"));
                QCOMPARE(m_station->pumpRecords(name).size(), 2);
                if (happening == u"lock")
                    onOther({ QStringLiteral("ROLLBACK") });
                else
                    m_station->dropTrigger(target);
            }
        }
        cycle();
        // The deletes fail after the registrations; every other failure comes before them.
        const QStringList registered { "Gravado no Banco Bico-1   Total= 18,00",
            "Gravado no Banco Bico-1   Total= 24,00" };
        compareLog(happening == u"delete" ? registered + failure : failure + registered);
        QCOMPARE(m_station->fuelings(),
            QStringList(
                { "1 2026-12-06 10:00:00 1 5.9990 3.0000 18.0000", "1 2026-12-06 10:05:00 1 5.9990 4.0000 24.0000" }));
        QCOMPARE(m_station->pumpRecords(name), QStringList());
        QCOMPARE(m_station->totalizer(1), QStringLiteral("1007.0000"));
        QCOMPARE(
            m_station->query("SELECT campo19 FROM abastecimentos ORDER BY id"), QStringList({ "-30000", "-40000" }));
    }

    // A second sale under the key of a registered one stays and is reported; the sale read again is
    // deleted without a line.
    void differentSaleUnderARegisteredKeyIsHeld()
    {
        writeTable(QStringLiteral("BOMBA01.DBF"), { record("20261206", "10:00:00", "3", "18") });
        start(1);
        cycle();
        writeTable(QStringLiteral("BOMBA01.DBF"),
            { record("20261206", "10:00:00", "4", "24"), record("20261206", "10:05:00", "1", "6") });
        cycle();
        cycle();
        compareLog({ "Gravado no Banco Bico-1   Total= 18,00",
            "** ERRO ** Abastecimento já registrado com outros valores: Data=06/12/2026 - Hora=10:00:00 - Bico=1 - "
            "Litros=4 (registrado 3) - Valor Total=24 (registrado 18)" });
        QCOMPARE(m_station->pumpRecords(QStringLiteral("BOMBA01.DBF")).size(), 2);
        QCOMPARE(m_station->totalizer(1), QStringLiteral("1003.0000"));
    }

    // Once the first stuck record is repaired, the next one is reported at once, though its lines
    // read the same.
    void eachStuckRecordReportedOnItsOwn()
    {
        const QByteArray second = record("20261206", "", "2", "12");
        writeTable(QStringLiteral("BOMBA01.DBF"), { record("20261206", "", "1", "6"), second });
        start(1);
        cycle();
        writeTable(QStringLiteral("BOMBA01.DBF"), { record("20261206", "10:00:00", "1", "6"), second });
        cycle();
        const QStringList stuck { "ERRO LoopBomba: ERRO: Uso inválido de Nulo",
            "ERRO LoopBomba: lNomeArquivo: BOMBA01.DBF xFase=11" };
        compareLog(stuck + QStringList { "Gravado no Banco Bico-1   Total= 6,00" } + stuck);
    }

    // A pump record without a date: today, or yesterday when it was made before midnight and read
    // again after it (its delete failed, or the bridge was killed before it).
    void blankDate_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("hora");
        QTest::addColumn<bool>("registeredBeforeMidnight");
        QTest::addColumn<QString>("registered");
        QTest::newRow("pump clock an hour ahead: still today")
            << QTime(14, 5, 31) << "15:05:00" << false << "2026-12-07 15:05:00";
        QTest::newRow("read after midnight: yesterday, registered once")
            << QTime(0, 0, 30) << "23:59:00" << true << "2026-12-06 23:59:00";
    }
    void blankDate()
    {
        QFETCH(QTime, now);
        QFETCH(QString, hora);
        QFETCH(bool, registeredBeforeMidnight);
        QFETCH(QString, registered);
        const QByteArrayList records { record("", hora.toLatin1().constData(), "3", "18") };
        writeTable(QStringLiteral("BOMBA01.DBF"), records);
        start(1);
        if (registeredBeforeMidnight) {
            m_station->clock.set(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 30)));
            cycle();
            writeTable(QStringLiteral("BOMBA01.DBF"), records);
        }
        m_station->clock.set(QDateTime(QDate(2026, 12, 7), now));
        cycle();
        QCOMPARE(m_station->fuelings(), QStringList { "1 " + registered + " 1 5.9990 3.0000 18.0000" });
        QCOMPARE(m_station->totalizer(1), QStringLiteral("1003.0000"));
        QCOMPARE(m_station->pumpRecords(QStringLiteral("BOMBA01.DBF")), QStringList());
    }

    // Whatever escapes a table's reading is trapped by the scan: the nozzles after it wait for the
    // next cycle, and the timer, stopped while the cycle runs, is armed again.
    void scanTrapsWhatEscapesAndTheTimerRunsOn()
    {
        for (const qint16 bico : { 1, 2, 3 })
            writeTable(PumpTable::name(bico), { record("20261206", "10:00:00", "1", "6") });
        start(3);
        int asked = 0;
        bool stoppedDuringCycle = true;
        m_station->clock.whenAsked = [&] {
            if (m_station->bridge->isCycleRunning())
                stoppedDuringCycle = stoppedDuringCycle && !m_station->bridge->Timer1().isActive();
            // Nozzle 1's event line asks twice (its time, its file), then nozzle 2's: its fueling is
            // committed, its record not yet deleted.
            if (++asked == 3)
                throw std::runtime_error("falha injetada");
        };
        cycle();
        m_station->clock.whenAsked = nullptr;
        QVERIFY(stoppedDuringCycle);
        QVERIFY(m_station->bridge->Timer1().isActive() && m_station->bridge->Timer1().interval() == 30);
        QCOMPARE(m_station->pumpRecords(PumpTable::name(3)).size(), 1);
        cycle();
        compareLog({ "Gravado no Banco Bico-1   Total= 6,00", "ERRO ConverteAutomacao: Erro Desconhecido!",
            "ERRO: falha injetada", "Gravado no Banco Bico-3   Total= 6,00",
            "ERRO AutoAtualTabeEncerranteAtual: bico não cadastrado=3" });
        QCOMPARE(m_station->fuelings().size(), 3);
        for (const qint16 bico : { 1, 2, 3 })
            QCOMPARE(m_station->pumpRecords(PumpTable::name(bico)), QStringList());
    }

    // The end of a cycle may wait on the back-office in a nested event loop: no cycle may begin
    // inside it, or a locked back-office piles cycle upon cycle on the stack while the lock lasts.
    void noCycleBeginsInsideTheEndOfAnother()
    {
        start(0);
        int depth = 0;
        int deepest = 0;
        int ends = 0;
        m_station->bridge->polling().setCycleEnd([&] {
            deepest = std::max(deepest, ++depth);
            ++ends;
            QTest::qWait(100);
            --depth;
        });
        QTRY_VERIFY(ends >= 3);
        QCOMPARE(deepest, 1);
    }

    // With every table at rest the cycle rests until the tenth tick is due instead of waking every
    // 30 ms; a sale appended meanwhile wakes it, and is registered before that tick.
    void restingCycleWakesForASale()
    {
        QTest::qSleep(1100);
        start(2);
        const PollingCycle& polling = m_station->bridge->polling();
        QTRY_VERIFY(polling.isResting() && polling.Timer1().remainingTime() > 200);
        int tickOfRegistration = -1;
        connect(&polling, &PollingCycle::cycleFinished, this, [&] {
            if (tickOfRegistration < 0 && !m_station->fuelings().isEmpty())
                tickOfRegistration = polling.lContadorTimer;
        });
        DbfAppender(table(QStringLiteral("BOMBA02.DBF")))
            .append({ QDate(2026, 12, 6), QTime(10, 0), Money::fromUnits(30000), Money::fromUnits(180000) },
                QDate(2026, 12, 6));
        QTRY_VERIFY(tickOfRegistration >= 0);
        // The tenth tick leaves the count at 0.
        QVERIFY2(tickOfRegistration > 0, "the sale waited for the tenth tick");
    }

    // The window's public entry for a caller with its own fueling, the price left at zero taken
    // from the stock item or the product of the nozzle. produto, estoque: their prices, "-" for
    // none. given: price, litres, total; registered: produto, unit price, litres, total.
    void publicEntryCompletesPriceAndTotal_data()
    {
        QTest::addColumn<int>("bico");
        QTest::addColumn<QString>("produto");
        QTest::addColumn<QString>("estoque");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("registered");
        QTest::addColumn<QString>("line");
        const QString none;
        row("given price keeps the given total", 1, "9", "2.5", "5 10 77.77", "1 5.0000 10.0000 77.7700", none);
        row("stock price first: 2.5 x 0.333 gives 0.83", 1, "9", "2.5", "0 0.333 9", "1 2.5000 0.3330 0.8300", none);
        row("stock price zero takes the product's: 3.999 x 10", 1, "3.999", "0", "0 10 1", "1 3.9990 10.0000 39.9900",
            none);
        row("no stock item: total zero", 1, "2.5", "-", "0 0.333 9", "1 0.0000 0.3330 0.0000",
            " AutoAtualizaAbastecimento: - Estoque não cadastrado.");
        row("half a cent rounds away from zero: 0.125 x 1", 1, "0.125", "0", "0 1 9", "1 0.1250 1.0000 0.1300", none);
        row("no product: total zero", 1, "-", "-", "0 1 9", "1 0.0000 1.0000 0.0000", none);
        row("product beyond 16 bits: nothing registered", 4, "-", "-", "0 1 1", "",
            " ERRO AutoAtualizaAbastecimento: - Estouro - lPassoDebugarErroAbast: - Err: 6");
    }
    void publicEntryCompletesPriceAndTotal()
    {
        QFETCH(int, bico);
        QFETCH(QString, produto);
        QFETCH(QString, estoque);
        QFETCH(QString, given);
        QFETCH(QString, registered);
        QFETCH(QString, line);
        const auto money = [](const QString& text) { return *Money::fromText(text, u'.'); };
        if (produto != u"-")
            BackOfficeAdmin::gravaProduto(*m_station->backOffice, 1, money(produto), QString());
        if (estoque != u"-")
            BackOfficeAdmin::gravaEstoque(*m_station->backOffice, 1, 1, money(estoque));
        start(4);
        m_station->clock.set(QDateTime(QDate(2026, 12, 7), QTime(9, 30, 15, 520)));
        const QStringList values = given.split(u' ');
        m_station->bridge->AutoAtualizaAbastecimento(
            qint16(bico), money(values[0]), money(values[1]), money(values[2]));
        // The fueling gets the current date and time, not the last pump record's.
        QCOMPARE(m_station->fuelings(),
            registered.isEmpty()
                ? QStringList()
                : QStringList { QStringLiteral("%1 2026-12-07 09:30:15 %2").arg(bico).arg(registered) });
        QCOMPARE(m_station->logLines().filter(QStringLiteral("AutoAtualizaAbastecimento")),
            line.isEmpty() ? QStringList() : QStringList { QStringLiteral("09:30:15") + line });
    }
};

QTEST_GUILESS_MAIN(TestFueling)
#include "tst_fueling.moc"
