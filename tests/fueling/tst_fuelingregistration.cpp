#include "backoffice/backofficeadmin.h"
#include "backoffice/sqlconnection.h"
#include "support/teststation.h"

#include <QSqlQuery>
#include <QTest>

namespace {

Money money(const char* text)
{
    return *Money::fromText(QString::fromLatin1(text), u'.');
}

} // namespace

class TestFuelingRegistration : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<Bridge> m_bridge;

    FuelingRegistration& registration() { return m_bridge->registration(); }
    BackOfficeDatabase& backOffice() { return *m_station->backOffice; }
    QList<QStringList> fuelings() { return BackOfficeAdmin::abastecimentos(backOffice(), {}, {}).rows; }
    QString totalizer(int bico)
    {
        for (const QStringList& row : BackOfficeAdmin::encerrantes(backOffice(), {}).rows) {
            if (row[1].toInt() == bico)
                return row[2];
        }
        return QString();
    }
    QByteArray logWithoutStart()
    {
        return m_station->logFile().mid(int(qstrlen("14:05:31 - AutoQuorvan Iniciado: \r\n")));
    }
    // A trigger makes the back-office refuse (IGNORE) or fail (ABORT) the insert, as a real
    // database can.
    void refuseInserts(const char* action)
    {
        m_station->backOffice->records("test").run(
            QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON abastecimentos BEGIN SELECT RAISE(%1); END")
                .arg(QLatin1StringView(action)),
            "test");
    }
    void setCurrentFueling(qint16 bico, const char* litros, const char* total)
    {
        registration().lBico = bico;
        registration().lData = DateValue::fromDate(QDate(2026, 12, 6));
        registration().lHora = DateValue::fromTime(QTime(14, 3, 22));
        registration().lCodigoProduto = 1;
        registration().lValorUnitario = money("5.999");
        registration().lQuantidade = money(litros);
        registration().lValorTotal = money(total);
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void init()
    {
        m_station = std::make_unique<TestStation>();
        m_station->writeIni(TestStation::iniFor(4));
        BackOfficeDatabase& db = backOffice();
        BackOfficeAdmin::gravaProduto(db, 1, money("5.999"), QStringLiteral("Gasolina"));
        BackOfficeAdmin::gravaProduto(db, 2, money("3.999"), QStringLiteral("Etanol"));
        BackOfficeAdmin::gravaProduto(db, 3, money("2.5"), QStringLiteral("Diesel"));
        BackOfficeAdmin::gravaProduto(db, 4, money("0.125"), QStringLiteral("Arla"));
        BackOfficeAdmin::gravaEstoque(db, 1, 1, money("6.099"));
        BackOfficeAdmin::gravaEstoque(db, 1, 2, Money());
        BackOfficeAdmin::gravaEstoque(db, 1, 4, Money());
        BackOfficeAdmin::gravaProduto(db, 5, money("9"), QStringLiteral("Diesel S10"));
        BackOfficeAdmin::gravaEstoque(db, 1, 5, money("2.5"));
        BackOfficeAdmin::gravaBico(db, 1, 7, 5, money("9"));
        BackOfficeAdmin::gravaBico(db, 1, 1, 1, money("5.999"));
        BackOfficeAdmin::gravaBico(db, 1, 2, 2, money("3.999"));
        BackOfficeAdmin::gravaBico(db, 1, 3, 3, money("2.5"));
        BackOfficeAdmin::gravaBico(db, 1, 4, 4, money("0.125"));
        BackOfficeAdmin::gravaBico(db, 1, 5, 40000, money("1"));
        BackOfficeAdmin::gravaBico(db, 1, 6, 99, money("1"));
        for (qint16 bico = 1; bico <= 3; ++bico)
            BackOfficeAdmin::gravaEncerrante(db, 1, bico, money("5"));
        m_bridge = std::make_unique<Bridge>(m_station->ports());
        QCOMPARE(m_bridge->Form_Load(), Bridge::StartupOutcome::Running);
    }
    void cleanup()
    {
        m_bridge.reset();
        QCOMPARE(m_station->boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }

    void insertsAndMovesTheTotalizer()
    {
        setCurrentFueling(3, "1.234", "39.99");
        QVERIFY(registration().AutoAtualTabeAbastecimento());
        QCOMPARE(fuelings(),
            QList<QStringList>({ { "1", "3", "2026-12-06", "14:03:22", "1", "5.9990", "1.2340", "39.9900" } }));
        QCOMPARE(totalizer(3), QStringLiteral("6.2340"));
        QCOMPARE(
            m_bridge->EventLB().lines().last(), QStringLiteral("14:05:31 - Gravado no Banco Bico-3   Total= 39,99"));
        QCOMPARE(logWithoutStart(), QByteArray("14:05:31 - Gravado no Banco Bico-3   Total= 39,99\r\n"));
    }

    void alreadyRegisteredWritesNothing()
    {
        setCurrentFueling(3, "1.234", "39.99");
        QVERIFY(registration().AutoAtualTabeAbastecimento());
        const QByteArray log = m_station->logFile();
        QCOMPARE(registration().registerFueling(), FuelingRegistration::Outcome::AlreadyRegistered);
        QCOMPARE(fuelings().size(), 1);
        QCOMPARE(totalizer(3), QStringLiteral("6.2340"));
        QCOMPARE(m_station->logFile(), log);
    }

    void refusedOrFailedInsertIsLoggedOnce_data()
    {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("refused") << QByteArray("IGNORE") << int(FuelingRegistration::Outcome::Refused)
                                 << QByteArray("14:05:31 - ** ERRO ** Abastecimento N\xE3o Foi Inclu\xED"
                                               "do: Data=06/12/2026 - Hora=14:03:22 - Bico=3 - Valor Total=1234,5\r\n");
        QTest::newRow("failed") << QByteArray("ABORT, 'recusado pelo gatilho'")
                                << int(FuelingRegistration::Outcome::Failed)
                                << QByteArray("14:05:31 - ERRO AutoAtualTabeAbastecimento: ");
    }
    void refusedOrFailedInsertIsLoggedOnce()
    {
        QFETCH(QByteArray, action);
        QFETCH(int, outcome);
        QFETCH(QByteArray, line);
        refuseInserts(action.constData());
        setCurrentFueling(3, "1.234", "1234.50");
        QCOMPARE(int(registration().registerFueling()), outcome);
        QVERIFY(!registration().AutoAtualTabeAbastecimento());
        const QByteArray log = logWithoutStart();
        QVERIFY2(log.startsWith(line), log.constData());
        QCOMPARE(log.count('\n'), 1); // the same failure again is not written again this hour
        if (outcome == int(FuelingRegistration::Outcome::Failed)) {
            QVERIFY2(log.contains("recusado pelo gatilho") && log.endsWith(" - Err: 3146\r\n"), log.constData());
        }
        QCOMPARE(fuelings().size(), 0);
        QCOMPARE(totalizer(3), QStringLiteral("5.0000"));
        QCOMPARE(m_bridge->EventLB().lines().size(), 1);

        m_station->clock.advance(3600);
        registration().registerFueling();
        QCOMPARE(logWithoutStart().count('\n'), 1);
        QVERIFY(m_station->logFile().startsWith("15:05:31 - "));
    }

    void nozzleWithoutTotalizerStillRegisters()
    {
        setCurrentFueling(4, "2", "0.25");
        QVERIFY(registration().AutoAtualTabeAbastecimento());
        QCOMPARE(logWithoutStart(),
            QByteArray("14:05:31 - Gravado no Banco Bico-4   Total= 0,25\r\n"
                       "14:05:31 - ERRO AutoAtualTabeEncerranteAtual: bico n\xE3o cadastrado=4\r\n"));
        QCOMPARE(fuelings().size(), 1);
    }

    void publicEntryCompletesPriceAndTotal_data()
    {
        QTest::addColumn<int>("bico");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("litros");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("registered"); // produto, valor_unitario, valor_total
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("given price keeps the given total")
            << 1 << "5"
            << "10"
            << "77.77" << QStringList { "1", "5.0000", "77.7700" } << QByteArray();
        QTest::newRow("stock price first") << 1 << "0"
                                           << "10"
                                           << "1" << QStringList { "1", "6.0990", "60.9900" } << QByteArray();
        QTest::newRow("stock price zero takes the product's: 3.999 x 10")
            << 2 << "0"
            << "10"
            << "1" << QStringList { "2", "3.9990", "39.9900" } << QByteArray();
        QTest::newRow("no stock item: total zero")
            << 3 << "0"
            << "0.333"
            << "9" << QStringList { "3", "0.0000", "0.0000" }
            << QByteArray(" AutoAtualizaAbastecimento: - Estoque n\xE3o cadastrado.");
        QTest::newRow("2.5 x 0.333 gives 0.83") << 7 << "0"
                                                << "0.333"
                                                << "9" << QStringList { "5", "2.5000", "0.8300" } << QByteArray();
        QTest::newRow("half a cent rounds away from zero: 0.125 x 1")
            << 4 << "0"
            << "1"
            << "9" << QStringList { "4", "0.1250", "0.1300" } << QByteArray();
        QTest::newRow("no product: total zero, no line")
            << 6 << "0"
            << "1"
            << "9" << QStringList { "99", "0.0000", "0.0000" } << QByteArray();
        QTest::newRow("unknown nozzle: product 0") << 9 << "0"
                                                   << "1"
                                                   << "9" << QStringList { "0", "0.0000", "0.0000" } << QByteArray();
    }
    void publicEntryCompletesPriceAndTotal()
    {
        QFETCH(int, bico);
        QFETCH(QString, price);
        QFETCH(QString, litros);
        QFETCH(QString, total);
        QFETCH(QStringList, registered);
        QFETCH(QByteArray, line);
        m_station->clock.set(QDateTime(QDate(2026, 12, 7), QTime(9, 30, 15, 480)));
        m_bridge->AutoAtualizaAbastecimento(
            qint16(bico), *Money::fromText(price, u'.'), *Money::fromText(litros, u'.'), *Money::fromText(total, u'.'));
        const QList<QStringList> rows = fuelings();
        QCOMPARE(rows.size(), 1);
        // The fueling gets the current date and time, not the last pump record's.
        QCOMPARE(rows[0].mid(2, 2), QStringList({ "2026-12-07", "09:30:15" }));
        QCOMPARE(QStringList({ rows[0][4], rows[0][5], rows[0][7] }), registered);
        QCOMPARE(rows[0][6], Money::fromText(litros, u'.')->toPlainText());
        if (!line.isEmpty())
            QVERIFY2(m_station->logFile().contains("09:30:15" + line + "\r\n"), m_station->logFile().constData());
    }

    void publicEntryWithOversizedProductRegistersNothing()
    {
        m_bridge->AutoAtualizaAbastecimento(5, Money(), money("1"), money("1"));
        QCOMPARE(fuelings().size(), 0);
        QCOMPARE(logWithoutStart(),
            QByteArray("14:05:31 ERRO AutoAtualizaAbastecimento: - Estouro - lPassoDebugarErroAbast: - Err: 6\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestFuelingRegistration)
#include "tst_fuelingregistration.moc"
