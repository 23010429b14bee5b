#include "backoffice/backofficeadmin.h"
#include "backoffice/sqlconnection.h"
#include "support/teststation.h"

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
        // Products with their price, and stock items with theirs (none for product 3).
        BackOfficeDatabase& db = *m_station->backOffice;
        const char* prices[][2]
            = { { "5.999", "6.099" }, { "3.999", "0" }, { "2.5", nullptr }, { "0.125", "0" }, { "9", "2.5" } };
        for (qint32 produto = 1; produto <= 5; ++produto) {
            BackOfficeAdmin::gravaProduto(db, produto, money(prices[produto - 1][0]), QString());
            if (prices[produto - 1][1])
                BackOfficeAdmin::gravaEstoque(db, 1, produto, money(prices[produto - 1][1]));
        }
        for (qint16 bico = 1; bico <= 4; ++bico)
            m_station->addNozzle(bico, bico, prices[bico - 1][0], bico <= 3 ? "5" : nullptr);
        m_station->addNozzle(5, 40000, "1");
        m_station->addNozzle(6, 99, "1");
        m_station->addNozzle(7, 5, "9");
        m_bridge = std::make_unique<Bridge>(m_station->ports());
        QCOMPARE(m_bridge->Form_Load(), Bridge::StartupOutcome::Running);
    }
    void cleanup()
    {
        m_bridge.reset();
        QCOMPARE(m_station->boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }

    void insertsOnceAndMovesTheTotalizer()
    {
        setCurrentFueling(3, "1.234", "39.99");
        QVERIFY(registration().AutoAtualTabeAbastecimento());
        QCOMPARE(registration().registerFueling(), FuelingRegistration::Outcome::AlreadyRegistered);
        QCOMPARE(m_station->fuelings(), QStringList { "3 2026-12-06 14:03:22 1 5.9990 1.2340 39.9900" });
        QCOMPARE(m_station->totalizer(3), QStringLiteral("6.2340"));
        QCOMPARE(
            m_bridge->EventLB().lines().last(), QStringLiteral("14:05:31 - Gravado no Banco Bico-3   Total= 39,99"));
        QCOMPARE(m_station->logLines(), QStringList { "14:05:31 - Gravado no Banco Bico-3   Total= 39,99" });
    }

    void refusedOrFailedInsertIsLoggedOnce_data()
    {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("line");
        QTest::newRow("refused") << QByteArray("IGNORE") << int(FuelingRegistration::Outcome::Refused)
                                 << "14:05:31 - ** ERRO ** Abastecimento Não Foi Incluído: Data=06/12/2026 - "
                                    "Hora=14:03:22 - Bico=3 - Valor Total=1234,5";
        QTest::newRow("failed") << QByteArray("ABORT, 'recusado pelo gatilho'")
                                << int(FuelingRegistration::Outcome::Failed)
                                << "14:05:31 - ERRO AutoAtualTabeAbastecimento: clsAbastecimento.Inclui: recusado pelo "
                                   "gatilho Unable to fetch row - Err: 3146";
    }
    void refusedOrFailedInsertIsLoggedOnce()
    {
        QFETCH(QByteArray, action);
        QFETCH(int, outcome);
        QFETCH(QString, line);
        refuseInserts(action.constData());
        setCurrentFueling(3, "1.234", "1234.50");
        QCOMPARE(int(registration().registerFueling()), outcome);
        QVERIFY(!registration().AutoAtualTabeAbastecimento());
        // The same failure again is not written again in this hour's file, but is in the next.
        QCOMPARE(m_station->logLines(), QStringList { line });
        QCOMPARE(m_station->fuelings().size(), 0);
        QCOMPARE(m_station->totalizer(3), QStringLiteral("5.0000"));
        QCOMPARE(m_bridge->EventLB().lines().size(), 1);
        m_station->clock.advance(3600);
        registration().registerFueling();
        QCOMPARE(m_station->logLines(), QStringList { line.replace(0, 2, QStringLiteral("15")) });
    }

    void nozzleWithoutTotalizerStillRegisters()
    {
        setCurrentFueling(4, "2", "0.25");
        QVERIFY(registration().AutoAtualTabeAbastecimento());
        QCOMPARE(m_station->logLines(),
            QStringList({ "14:05:31 - Gravado no Banco Bico-4   Total= 0,25",
                "14:05:31 - ERRO AutoAtualTabeEncerranteAtual: bico não cadastrado=4" }));
    }

    void publicEntryCompletesPriceAndTotal_data()
    {
        QTest::addColumn<int>("bico");
        QTest::addColumn<QString>("given"); // price, litres, total
        QTest::addColumn<QString>("registered"); // produto, unit price, litres, total
        QTest::addColumn<QString>("line");
        QTest::newRow("given price keeps the given total") << 1 << "5 10 77.77"
                                                           << "1 5.0000 10.0000 77.7700"
                                                           << "";
        QTest::newRow("stock price first") << 1 << "0 10 1"
                                           << "1 6.0990 10.0000 60.9900"
                                           << "";
        QTest::newRow("stock price zero takes the product's: 3.999 x 10") << 2 << "0 10 1"
                                                                          << "2 3.9990 10.0000 39.9900"
                                                                          << "";
        QTest::newRow("no stock item: total zero") << 3 << "0 0.333 9"
                                                   << "3 0.0000 0.3330 0.0000"
                                                   << " AutoAtualizaAbastecimento: - Estoque não cadastrado.";
        QTest::newRow("2.5 x 0.333 gives 0.83") << 7 << "0 0.333 9"
                                                << "5 2.5000 0.3330 0.8300"
                                                << "";
        QTest::newRow("half a cent rounds away from zero: 0.125 x 1") << 4 << "0 1 9"
                                                                      << "4 0.1250 1.0000 0.1300"
                                                                      << "";
        QTest::newRow("no product: total zero") << 6 << "0 1 9"
                                                << "99 0.0000 1.0000 0.0000"
                                                << "";
        QTest::newRow("unknown nozzle: product 0") << 9 << "0 1 9"
                                                   << "0 0.0000 1.0000 0.0000"
                                                   << "";
        QTest::newRow("product beyond 16 bits: nothing registered")
            << 5 << "0 1 1"
            << ""
            << " ERRO AutoAtualizaAbastecimento: - Estouro - lPassoDebugarErroAbast: - Err: 6";
    }
    void publicEntryCompletesPriceAndTotal()
    {
        QFETCH(int, bico);
        QFETCH(QString, given);
        QFETCH(QString, registered);
        QFETCH(QString, line);
        m_station->clock.set(QDateTime(QDate(2026, 12, 7), QTime(9, 30, 15, 480)));
        const QStringList values = given.split(u' ');
        m_bridge->AutoAtualizaAbastecimento(qint16(bico), *Money::fromText(values[0], u'.'),
            *Money::fromText(values[1], u'.'), *Money::fromText(values[2], u'.'));
        // The fueling gets the current date and time, not the last pump record's.
        const QString expected = QStringLiteral("%1 2026-12-07 09:30:15 %2").arg(bico).arg(registered);
        QCOMPARE(m_station->fuelings(), registered.isEmpty() ? QStringList() : QStringList { expected });
        QCOMPARE(m_station->logLines().filter(QStringLiteral("AutoAtualizaAbastecimento")),
            line.isEmpty() ? QStringList() : QStringList { QStringLiteral("09:30:15") + line });
    }
};

QTEST_GUILESS_MAIN(TestFuelingRegistration)
#include "tst_fuelingregistration.moc"
