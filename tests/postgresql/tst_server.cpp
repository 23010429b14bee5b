#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

// The cluster the tests on PostgreSQL share: reached through Qt's driver on its socket, and as
// durable as a station's server, since those tests prove the bridge's durability on it.
class TestServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
        database.setHostName(qEnvironmentVariable("AUTOQUORVAN_TEST_PG_HOST"));
        database.setPort(qEnvironmentVariableIntValue("AUTOQUORVAN_TEST_PG_PORT"));
        database.setUserName(qEnvironmentVariable("AUTOQUORVAN_TEST_PG_USER"));
        database.setDatabaseName(QStringLiteral("postgres"));
        QVERIFY2(database.open(), qPrintable(database.lastError().text()));
    }

    void keepsSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("value");
        QTest::newRow("writes reach the disk") << "fsync"
                                               << "on";
        QTest::newRow("a commit waits for the disk") << "synchronous_commit"
                                                     << "on";
        QTest::newRow("torn pages are repaired") << "full_page_writes"
                                                 << "on";
        QTest::newRow("no TCP") << "listen_addresses"
                                << "";
        QTest::newRow("portuguese text kept") << "server_encoding"
                                              << "UTF8";
        QTest::newRow("tests may create databases") << "is_superuser"
                                                    << "on";
    }
    void keepsSetting()
    {
        QFETCH(QString, setting);
        QFETCH(QString, value);
        QSqlQuery query;
        QVERIFY2(query.exec(QStringLiteral("SHOW ") + setting), qPrintable(query.lastError().text()));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), value);
    }
};

QTEST_GUILESS_MAIN(TestServer)
#include "tst_server.moc"
