#include "backoffice/backofficeclasses.h"
#include "backoffice/clsmensagememail.h"
#include "common/error.h"
#include "support/testfiles.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using Status = BackOfficeDatabase::Status;

// Opening the back-office: when Ativa may say true, and that looking never creates or changes a
// file that is not ours.
class TestBackOfficeDatabase : public QObject {
    Q_OBJECT

private:
    // Runs SQL on a file with a plain connection, as another program would.
    static void runSql(const QString& file, const QStringList& statements)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
            db.setDatabaseName(file);
            QVERIFY(db.open());
            for (const QString& sql : statements)
                QVERIFY2(QSqlQuery(db).exec(sql), qPrintable(sql));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("setup"));
    }

private Q_SLOTS:
    void ativa_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("ativa");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::newRow("our database") << "ours" << true << int(Status::Open) << "";
        QTest::newRow("missing file") << "missing" << false << int(Status::Missing) << "não encontrado";
        QTest::newRow("text file") << "text" << false << int(Status::NotOurs) << "não é um banco";
        QTest::newRow("short garbage") << "short" << false << int(Status::NotOurs) << "não é um banco";
        QTest::newRow("empty file") << "empty" << false << int(Status::NotOurs) << "vazio";
        QTest::newRow("another program's database") << "foreign" << false << int(Status::NotOurs) << "esquema";
        QTest::newRow("the outbox") << "outbox" << false << int(Status::NotOurs) << "retaguarda";
        QTest::newRow("newer schema") << "newer" << false << int(Status::NotOurs) << "versão 2";
        QTest::newRow("a folder") << "folder" << false << int(Status::NotOurs) << "não é um arquivo";
    }
    void ativa()
    {
        QFETCH(QString, setup);
        QFETCH(bool, ativa);
        QFETCH(int, status);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Retaguarda.db"));
        const BackOfficeSettings settings = BackOfficeSettings::sqlite(file, dir.filePath(QStringLiteral("M.db")));
        if (setup == u"ours" || setup == u"newer") {
            BackOfficeDatabase(settings).create();
            if (setup == u"newer")
                runSql(file, { QStringLiteral("UPDATE versao_esquema SET versao = 2") });
        } else if (setup == u"text") {
            TestFiles::write(file, QByteArray("[RETAGUARDA]\r\nArquivo=x.db\r\n").repeated(40));
        } else if (setup == u"short") {
            TestFiles::write(file, "abc");
        } else if (setup == u"empty") {
            TestFiles::write(file, QByteArray());
        } else if (setup == u"foreign") {
            runSql(file, { QStringLiteral("CREATE TABLE vendas (id INTEGER)") });
        } else if (setup == u"outbox") {
            BackOfficeDatabase other(BackOfficeSettings::sqlite(dir.filePath(QStringLiteral("x.db")), file));
            clsMensagemEmail(other).Inclui();
        } else if (setup == u"folder") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Retaguarda.db")));
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        const QByteArray bytes = TestFiles::read(file);

        BackOfficeDatabase database(settings);
        QCOMPARE(clsConexao(database).Ativa(), ativa);
        QCOMPARE(int(database.status()), status);
        QVERIFY2(database.failure().contains(reason), qPrintable(database.failure()));
        if (!ativa) {
            QVERIFY2(database.failure().contains(file), qPrintable(database.failure()));
            try {
                clsEncerrante(database).Localiza(1, 1);
                QFAIL("no error");
            } catch (const Error& error) {
                QCOMPARE(error.number(), ErrorNumber::BackOffice);
            }
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
            QCOMPARE(TestFiles::read(file), bytes);
        }
    }

    // The bridge may be started before the database is restored; the next call finds it.
    void opensOnceTheDatabaseAppears()
    {
        QTemporaryDir dir;
        const BackOfficeSettings settings = BackOfficeSettings::sqlite(
            dir.filePath(QStringLiteral("Retaguarda.db")), dir.filePath(QStringLiteral("Mensagens.db")));
        BackOfficeDatabase database(settings);
        QVERIFY(!clsConexao(database).Ativa());
        BackOfficeDatabase(settings).create();
        QVERIFY(clsConexao(database).Ativa());
        QVERIFY(!clsEncerrante(database).Localiza(1, 1));
    }

    void settingsFromIni_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("kind");
        QTest::newRow("no settings file")
            << QByteArray() << "C/Quorvan/AutoQuorvanNolvex/Retaguarda.db" << int(BackOfficeSettings::Kind::Sqlite);
        QTest::newRow("another drive") << QByteArray("[RETAGUARDA]\r\nArquivo=D:\\Dados\\Posto.db\r\n")
                                       << "D/Dados/Posto.db" << int(BackOfficeSettings::Kind::Sqlite);
        QTest::newRow("bare name beside the settings")
            << QByteArray("[retaguarda]\r\narquivo=Outro.db\r\n") << "C/Quorvan/AutoQuorvanNolvex/Outro.db"
            << int(BackOfficeSettings::Kind::Sqlite);
        QTest::newRow("server") << QByteArray("[RETAGUARDA]\r\nDriver=QPSQL\r\nServidor=matriz\r\nSenha=s3nh4\r\n")
                                << "C/Quorvan/AutoQuorvanNolvex/Retaguarda.db" << int(BackOfficeSettings::Kind::Server);
    }
    void settingsFromIni()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, file);
        QFETCH(int, kind);
        QTemporaryDir dir;
        const Drives drives(dir.path());
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("C/Quorvan/AutoQuorvanNolvex"))));
        if (!ini.isEmpty())
            TestFiles::write(dir.filePath(QStringLiteral("C/Quorvan/AutoQuorvanNolvex/Retaguarda.INI")), ini);
        const BackOfficeSettings settings = BackOfficeSettings::fromIni(drives);
        QCOMPARE(settings.file, dir.filePath(file));
        QCOMPARE(int(settings.kind()), kind);
        QCOMPARE(settings.outbox, dir.filePath(QStringLiteral("C/Quorvan/AutoQuorvanNolvex/Mensagens.db")));

        BackOfficeDatabase database(settings);
        QVERIFY(!database.open());
        QVERIFY2(!database.failure().contains(QStringLiteral("s3nh4")), qPrintable(database.failure()));
    }
};

QTEST_GUILESS_MAIN(TestBackOfficeDatabase)
#include "tst_backofficedatabase.moc"
