#include "backoffice/backofficeadmin.h"
#include "backoffice/backofficeclasses.h"
#include "common/error.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <limits>
#include <memory>

// The classes against a real SQLite file, seeded through the administration functions.
class TestBackOfficeClasses : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<BackOfficeDatabase> m_database;

    QString file() const { return m_dir.filePath(QStringLiteral("Retaguarda.db")); }

    // Counts rows with a connection of its own, as another program would see them.
    int count(const QString& where = QStringLiteral("1 = 1"))
    {
        int rows = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(file());
            db.open();
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT count(*) FROM abastecimentos WHERE ") + where) && query.next())
                rows = query.value(0).toInt();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        return rows;
    }

    static void fill(clsAbastecimento& fueling, qint16 empresa, QDate date, QTime time, qint16 bico)
    {
        fueling.CodigoEmpresa = empresa;
        fueling.DataAbastecimento = DateValue::fromDate(date);
        fueling.HoraAbastecimento = DateValue::fromTime(time);
        fueling.NumeroBico = bico;
        fueling.Quantidade = Money::fromUnits(12340);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(file());
        QFile::remove(file() + QStringLiteral("-wal"));
        QFile::remove(file() + QStringLiteral("-shm"));
        m_database = std::make_unique<BackOfficeDatabase>(
            BackOfficeSettings::sqlite(file(), m_dir.filePath(QStringLiteral("Mensagens.db"))));
        QVERIFY(m_database->create());
        BackOfficeAdmin::gravaProduto(*m_database, 7, Money::fromUnits(59990), QStringLiteral("Gasolina"));
        BackOfficeAdmin::gravaProduto(*m_database, 8, Money::fromUnits(41230), QString());
        BackOfficeAdmin::gravaEstoque(*m_database, 1, 7, Money::fromUnits(61000));
        BackOfficeAdmin::gravaBico(*m_database, 1, 3, 7, Money::fromUnits(59990));
        BackOfficeAdmin::gravaBico(*m_database, 1, 4, 40000, Money::fromUnits(1));
        BackOfficeAdmin::gravaEncerrante(*m_database, 1, 3, Money::fromUnits(50000));
    }
    void cleanup() { m_database.reset(); }

    void lookUps_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<bool>("found");
        QTest::addColumn<qint64>("units");
        QTest::addColumn<int>("product");
        QTest::newRow("nozzle") << "bico" << 1 << 3 << true << qint64(59990) << 7;
        QTest::newRow("nozzle whose product passes 16 bits") << "bico" << 1 << 4 << true << qint64(1) << 40000;
        QTest::newRow("nozzle of another company") << "bico" << 2 << 3 << false << qint64(0) << 0;
        QTest::newRow("nozzle not registered") << "bico" << 1 << 9 << false << qint64(0) << 0;
        QTest::newRow("product") << "produto" << 7 << 0 << true << qint64(59990) << 0;
        QTest::newRow("product not registered") << "produto" << 9 << 0 << false << qint64(0) << 0;
        QTest::newRow("stock item") << "estoque" << 1 << 7 << true << qint64(61000) << 0;
        QTest::newRow("stock item of a product without one") << "estoque" << 1 << 8 << false << qint64(0) << 0;
        QTest::newRow("totalizer") << "encerrante" << 1 << 3 << true << qint64(50000) << 0;
        QTest::newRow("nozzle without totalizer") << "encerrante" << 1 << 4 << false << qint64(0) << 0;
    }
    // Each object first loads a record that exists, so a miss must also clear what it held.
    void lookUps()
    {
        QFETCH(QString, kind);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(bool, found);
        QFETCH(qint64, units);
        QFETCH(int, product);
        if (kind == u"bico") {
            clsBico bico(*m_database);
            QVERIFY(bico.Localiza(1, 3));
            QCOMPARE(bico.Localiza(qint16(first), qint16(second)), found);
            QCOMPARE(bico.ValorUnitario.units(), units);
            QCOMPARE(bico.CodigoProduto, product);
        } else if (kind == u"produto") {
            clsProduto produto(*m_database);
            QVERIFY(produto.Localiza(7));
            QCOMPARE(produto.Localiza(first), found);
            QCOMPARE(produto.ValorUnitario.units(), units);
            QCOMPARE(produto.Descricao, found ? QStringLiteral("Gasolina") : QString());
        } else if (kind == u"estoque") {
            clsEstoque estoque(*m_database);
            QVERIFY(estoque.Localiza(1, 7));
            QCOMPARE(estoque.Localiza(qint16(first), second), found);
            QCOMPARE(estoque.ValorUnitario.units(), units);
        } else {
            clsEncerrante encerrante(*m_database);
            QVERIFY(encerrante.Localiza(1, 3));
            QCOMPARE(encerrante.Localiza(qint16(first), qint16(second)), found);
            QCOMPARE(encerrante.EncerranteAtual.units(), units);
        }
    }

    void duplicateKey_data()
    {
        QTest::addColumn<int>("empresa");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("bico");
        QTest::addColumn<bool>("isNew");
        const QDate day(2026, 3, 14);
        QTest::newRow("same fueling") << 1 << day << QTime(9, 30, 5) << 3 << false;
        QTest::newRow("another nozzle") << 1 << day << QTime(9, 30, 5) << 4 << true;
        QTest::newRow("another company") << 2 << day << QTime(9, 30, 5) << 3 << true;
        QTest::newRow("one second later") << 1 << day << QTime(9, 30, 6) << 3 << true;
        QTest::newRow("another day") << 1 << day.addDays(1) << QTime(9, 30, 5) << 3 << true;
    }
    void duplicateKey()
    {
        QFETCH(int, empresa);
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(int, bico);
        QFETCH(bool, isNew);
        clsAbastecimento fueling(*m_database);
        const DateValue day = DateValue::fromDate(QDate(2026, 3, 14));
        const DateValue moment = DateValue::fromTime(QTime(9, 30, 5));
        QVERIFY(!fueling.Existe(1, day, moment, 3));
        fill(fueling, 1, QDate(2026, 3, 14), QTime(9, 30, 5), 3);
        QVERIFY(fueling.Inclui());
        QVERIFY(fueling.Existe(1, day, moment, 3));

        clsAbastecimento second(*m_database);
        const DateValue secondDate = DateValue::fromDate(date);
        const DateValue secondTime = DateValue::fromTime(time);
        QCOMPARE(second.Existe(qint16(empresa), secondDate, secondTime, qint16(bico)), !isNew);
        fill(second, qint16(empresa), date, time, qint16(bico));
        QCOMPARE(second.Inclui(), isNew);
        QVERIFY(second.Existe(qint16(empresa), secondDate, secondTime, qint16(bico)));
        QCOMPARE(count(), isNew ? 2 : 1);
    }

    // A column bound to the wrong property would go unnoticed by the look-ups, so every one of
    // the 22 gets a value of its own.
    void includesEveryProperty()
    {
        clsAbastecimento fueling(*m_database);
        fueling.CodigoEmpresa = 1;
        fueling.DataAbastecimento = DateValue::fromDate(QDate(2026, 12, 31));
        fueling.HoraAbastecimento = DateValue::fromTime(QTime(23, 59, 58));
        fueling.Campo05 = QStringLiteral("c05");
        fueling.NumeroBico = 3;
        fueling.CodigoProduto = -7;
        fueling.ValorUnitario = Money::fromUnits(59990);
        fueling.Quantidade = Money::fromUnits(12340);
        fueling.ValorTotal = Money::fromUnits(74030);
        fueling.Campo10 = 10;
        fueling.Campo11 = 11;
        fueling.Campo12 = 2147483647;
        fueling.Campo13 = QStringLiteral("c13");
        fueling.Campo14 = Money::fromUnits(14);
        fueling.Campo15 = QStringLiteral("c15");
        fueling.Campo16 = QStringLiteral("São");
        fueling.Campo17 = QStringLiteral("c17");
        fueling.Campo18 = Money::fromUnits(18);
        fueling.Campo19 = -fueling.Quantidade;
        fueling.Campo21 = 21;
        fueling.Campo22 = -22;
        QVERIFY(fueling.Inclui());
        QStringList stored;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("row"));
            db.setDatabaseName(file());
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("SELECT empresa, bico, data, hora, campo05, produto, valor_unitario, "
                                              "quantidade, valor_total, campo10, campo11, campo12, campo13, campo14, "
                                              "campo15, campo16, campo17, campo18, campo19, campo20, campo21, campo22 "
                                              "FROM abastecimentos")));
            QVERIFY(query.next());
            for (int i = 0; i < 22; ++i)
                stored.append(query.value(i).toString());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("row"));
        const QStringList expected = { "1", "3", "2026-12-31", "23:59:58", "c05", "-7", "59990", "12340", "74030", "10",
            "11", "2147483647", "c13", "14", "c15", QStringLiteral("São"), "c17", "18", "-12340", "", "21", "-22" };
        QCOMPARE(stored, expected);
    }

    void totalizerKeepsMoneyExact_data()
    {
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("added");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("5 + 1.234") << qint64(50000) << qint64(12340) << qint64(62340);
        QTest::newRow("one ten-thousandth") << qint64(0) << qint64(1) << qint64(1);
        QTest::newRow("up to the largest")
            << std::numeric_limits<qint64>::max() - 1 << qint64(1) << std::numeric_limits<qint64>::max();
        QTest::newRow("down to the smallest")
            << std::numeric_limits<qint64>::min() + 1 << qint64(-1) << std::numeric_limits<qint64>::min();
    }
    void totalizerKeepsMoneyExact()
    {
        QFETCH(qint64, start);
        QFETCH(qint64, added);
        QFETCH(qint64, expected);
        BackOfficeAdmin::gravaEncerrante(*m_database, 1, 3, Money::fromUnits(start));
        clsEncerrante encerrante(*m_database);
        QVERIFY(encerrante.Localiza(1, 3));
        QCOMPARE(encerrante.EncerranteAtual.units(), start);
        encerrante.EncerranteAtual = encerrante.EncerranteAtual + Money::fromUnits(added);
        QVERIFY(encerrante.Altera(1, 3));

        BackOfficeDatabase other(m_database->settings());
        clsEncerrante reread(other);
        QVERIFY(reread.Localiza(1, 3));
        QCOMPARE(reread.EncerranteAtual.units(), expected);
    }

    void alteraWithoutTotalizerStoresNothing()
    {
        clsEncerrante encerrante(*m_database);
        encerrante.EncerranteAtual = Money::fromUnits(99);
        QVERIFY(!encerrante.Altera(1, 4));
        QVERIFY(!encerrante.Localiza(1, 4));
    }

    void failureCarriesTheDatabaseMessage_data()
    {
        QTest::addColumn<QString>("sabotage");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing table") << "DROP TABLE bicos"
                                       << "clsBico.Localiza: no such table";
        QTest::newRow("money that is no count") << "UPDATE bicos SET valor_unitario = 'abc'"
                                                << "valor monetário inválido no banco: 'abc'";
        QTest::newRow("money with a fraction") << "UPDATE bicos SET valor_unitario = 1.5"
                                               << "valor monetário inválido no banco: '1.5'";
    }
    void failureCarriesTheDatabaseMessage()
    {
        QFETCH(QString, sabotage);
        QFETCH(QString, message);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sabotage"));
            db.setDatabaseName(file());
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(sabotage));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("sabotage"));
        BackOfficeDatabase fresh(m_database->settings());
        clsBico bico(fresh);
        try {
            bico.Localiza(1, 3);
            QFAIL("no error");
        } catch (const Error& error) {
            QCOMPARE(error.number(), ErrorNumber::BackOffice);
            QVERIFY2(error.description().contains(message), qPrintable(error.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TestBackOfficeClasses)
#include "tst_backofficeclasses.moc"
