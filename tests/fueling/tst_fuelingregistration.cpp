#include "backoffice/backofficeadmin.h"
#include "support/teststation.h"

#include <QTest>

// The window's public entry for a caller with its own fueling (the pump tables' path through the
// registration is tested with the reader).
class TestFuelingRegistration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void publicEntryCompletesPriceAndTotal_data()
    {
        QTest::addColumn<int>("bico");
        QTest::addColumn<QString>("given"); // price, litres, total
        QTest::addColumn<QString>("registered"); // produto, unit price, litres, total
        QTest::addColumn<QString>("line");
        const auto row = [](const char* name, int bico, const char* given, const char* registered,
                             const char* line = "") { QTest::newRow(name) << bico << given << registered << line; };
        row("given price keeps the given total", 1, "5 10 77.77", "1 5.0000 10.0000 77.7700");
        row("stock price first: 2.5 x 0.333 gives 0.83", 1, "0 0.333 9", "1 2.5000 0.3330 0.8300");
        row("stock price zero takes the product's: 3.999 x 10", 2, "0 10 1", "2 3.9990 10.0000 39.9900");
        row("no stock item: total zero", 3, "0 0.333 9", "3 0.0000 0.3330 0.0000",
            " AutoAtualizaAbastecimento: - Estoque não cadastrado.");
        row("half a cent rounds away from zero: 0.125 x 1", 4, "0 1 9", "4 0.1250 1.0000 0.1300");
        row("no product: total zero", 5, "0 1 9", "99 0.0000 1.0000 0.0000");
        row("product beyond 16 bits: nothing registered", 6, "0 1 1", "",
            " ERRO AutoAtualizaAbastecimento: - Estouro - lPassoDebugarErroAbast: - Err: 6");
    }
    void publicEntryCompletesPriceAndTotal()
    {
        QFETCH(int, bico);
        QFETCH(QString, given);
        QFETCH(QString, registered);
        QFETCH(QString, line);
        TestStation station;
        // Nozzle n sells product n at a price of 1, nozzle 5 a product the back-office lacks and
        // nozzle 6 one whose code needs more than 16 bits. Product n: its price, and its stock
        // item's (none for product 3).
        const char* prices[][2] = { { "9", "2.5" }, { "3.999", "0" }, { "2.5", nullptr }, { "0.125", "0" } };
        const auto money = [](const char* text) { return *Money::fromText(QString::fromLatin1(text), u'.'); };
        for (qint32 produto = 1; produto <= 4; ++produto) {
            BackOfficeAdmin::gravaProduto(*station.backOffice, produto, money(prices[produto - 1][0]), QString());
            if (prices[produto - 1][1])
                BackOfficeAdmin::gravaEstoque(*station.backOffice, 1, produto, money(prices[produto - 1][1]));
            station.addNozzle(qint16(produto), produto, "1");
        }
        station.addNozzle(5, 99, "1");
        station.addNozzle(6, 40000, "1");
        QCOMPARE(station.start(4), Bridge::StartupOutcome::Running);

        station.clock.set(QDateTime(QDate(2026, 12, 7), QTime(9, 30, 15, 520)));
        const QStringList values = given.split(u' ');
        station.bridge->AutoAtualizaAbastecimento(qint16(bico), *Money::fromText(values[0], u'.'),
            *Money::fromText(values[1], u'.'), *Money::fromText(values[2], u'.'));
        // The fueling gets the current date and time, not the last pump record's.
        const QString expected = QStringLiteral("%1 2026-12-07 09:30:15 %2").arg(bico).arg(registered);
        QCOMPARE(station.fuelings(), registered.isEmpty() ? QStringList() : QStringList { expected });
        QCOMPARE(station.logLines().filter(QStringLiteral("AutoAtualizaAbastecimento")),
            line.isEmpty() ? QStringList() : QStringList { QStringLiteral("09:30:15") + line });
        QCOMPARE(station.boxes.takeBoxes(), QList<RecordingMessageBox::Box>());
    }
};

QTEST_GUILESS_MAIN(TestFuelingRegistration)
#include "tst_fuelingregistration.moc"
