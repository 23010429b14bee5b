#include "backoffice/clsmensagememail.h"
#include "common/error.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// The outbox must work exactly when the back-office database does not, so every case here runs
// with the back-office file missing.
class TestClsMensagemEmail : public QObject {
    Q_OBJECT

private:
    static BackOfficeSettings settings(const QTemporaryDir& dir, const QString& outbox = QStringLiteral("Mensagens.db"))
    {
        return BackOfficeSettings::sqlite(dir.filePath(QStringLiteral("Retaguarda.db")), dir.filePath(outbox));
    }

    static void fill(clsMensagemEmail& message, const QString& text)
    {
        message.Empresa = 7;
        message.Codigo = 1;
        message.NomeEmpresa = QStringLiteral("Auto Posto São José");
        message.NomeDestinatario = QStringLiteral("Suporte");
        message.EmailDestinatario = QStringLiteral("suporte@example.com");
        message.EmailCopia = QStringLiteral("copia@example.com");
        message.Assunto = QStringLiteral("Auto Posto São:AutoQuorvan QX!");
        message.Mensagem = text;
        message.DataHora = QStringLiteral("06/12/2026 14:05:31");
        message.DataHoraRegistro = message.DataHora;
        message.EnderecoIP = QStringLiteral("192.0.2.10");
        message.Situacao = 0;
        message.Liberada = 0;
    }

private Q_SLOTS:
    void codesFollowEachOther()
    {
        QTemporaryDir dir;
        BackOfficeDatabase database(settings(dir));
        clsMensagemEmail message(database);
        for (qint32 expected = 1; expected <= 3; ++expected) {
            fill(message, QStringLiteral("mensagem %1").arg(expected));
            QVERIFY(message.Inclui());
            QCOMPARE(message.Codigo, expected);
        }
        // Another program's handle continues the same sequence.
        BackOfficeDatabase other(settings(dir));
        clsMensagemEmail next(other);
        fill(next, QStringLiteral("outra"));
        QVERIFY(next.Inclui());
        QCOMPARE(next.Codigo, 4);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("Retaguarda.db"))));
    }

    void localizaLoadsEveryProperty()
    {
        QTemporaryDir dir;
        BackOfficeDatabase database(settings(dir));
        clsMensagemEmail stored(database);
        fill(stored, QStringLiteral("linha 1\r\nlinha 2"));
        stored.Situacao = 3;
        stored.Liberada = -1;
        QVERIFY(stored.Inclui());

        clsMensagemEmail loaded(database);
        QVERIFY(loaded.Localiza(0, stored.Codigo));
        QCOMPARE(loaded.Empresa, stored.Empresa);
        QCOMPARE(loaded.Codigo, stored.Codigo);
        QCOMPARE(loaded.NomeEmpresa, stored.NomeEmpresa);
        QCOMPARE(loaded.NomeDestinatario, stored.NomeDestinatario);
        QCOMPARE(loaded.EmailDestinatario, stored.EmailDestinatario);
        QCOMPARE(loaded.EmailCopia, stored.EmailCopia);
        QCOMPARE(loaded.Assunto, stored.Assunto);
        QCOMPARE(loaded.Mensagem, stored.Mensagem);
        QCOMPARE(loaded.DataHora, stored.DataHora);
        QCOMPARE(loaded.DataHoraRegistro, stored.DataHoraRegistro);
        QCOMPARE(loaded.EnderecoIP, stored.EnderecoIP);
        QCOMPARE(loaded.Situacao, 3);
        QCOMPARE(loaded.Liberada, qint16(-1));

        QVERIFY(!loaded.Localiza(0, stored.Codigo + 1));
        QCOMPARE(loaded.Codigo, 0);
        QCOMPARE(loaded.Empresa, qint16(0));
        QVERIFY(loaded.Mensagem.isEmpty());
        QVERIFY(loaded.NomeEmpresa.isEmpty());
        QCOMPARE(loaded.Liberada, qint16(0));
    }

    void alteraOverwritesOneRecord_data()
    {
        QTest::addColumn<int>("chave");
        QTest::addColumn<int>("codigo");
        QTest::addColumn<bool>("altered");
        QTest::newRow("stored record") << 0 << 1 << true;
        QTest::newRow("code not stored") << 0 << 3 << false;
        QTest::newRow("another key") << 1 << 1 << false;
    }
    void alteraOverwritesOneRecord()
    {
        QFETCH(int, chave);
        QFETCH(int, codigo);
        QFETCH(bool, altered);
        QTemporaryDir dir;
        BackOfficeDatabase database(settings(dir));
        clsMensagemEmail message(database);
        fill(message, QStringLiteral("primeira"));
        QVERIFY(message.Inclui());
        fill(message, QStringLiteral("segunda"));
        QVERIFY(message.Inclui());

        QVERIFY(message.Localiza(0, 1));
        message.Mensagem += QStringLiteral("\r\nmais");
        message.Liberada = 1;
        QCOMPARE(message.Altera(qint16(chave), codigo), altered);

        clsMensagemEmail check(database);
        QVERIFY(check.Localiza(0, 1));
        QCOMPARE(check.Mensagem, altered ? QStringLiteral("primeira\r\nmais") : QStringLiteral("primeira"));
        QCOMPARE(check.Liberada, qint16(altered ? 1 : 0));
        QVERIFY(check.Localiza(0, 2));
        QCOMPARE(check.Mensagem, QStringLiteral("segunda"));
        // Altera never creates the record it did not find.
        QVERIFY(!check.Localiza(qint16(chave), altered ? 3 : codigo));
    }

    // The outbox file is made when missing, but a missing folder means the station is not set up.
    void missingFolderIsAnError()
    {
        QTemporaryDir dir;
        BackOfficeDatabase database(settings(dir, QStringLiteral("ausente/Mensagens.db")));
        clsMensagemEmail message(database);
        fill(message, QStringLiteral("x"));
        try {
            message.Inclui();
            QFAIL("no error");
        } catch (const Error& error) {
            QCOMPARE(error.number(), ErrorNumber::BackOffice);
            QVERIFY2(error.description().contains(QStringLiteral("ausente")), qPrintable(error.description()));
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("ausente"))));
    }
};

QTEST_GUILESS_MAIN(TestClsMensagemEmail)
#include "tst_clsmensagememail.moc"
