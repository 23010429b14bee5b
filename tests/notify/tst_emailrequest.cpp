#include "backoffice/clsmensagememail.h"
#include "notify/emailrequest.h"
#include "notify/supportcontact.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QTest>

using Box = RecordingMessageBox::Box;

class TestEmailRequest : public QObject {
    Q_OBJECT

private:
    static QString requestPath(const TestStation& station)
    {
        return station.onC(QStringLiteral("vb5/kvt/kvt_cadastro.ini"));
    }
    static QString temporaryPath(const TestStation& station)
    {
        return station.onC(QStringLiteral("vb5/kvt/kvt_cadastro.tmp"));
    }

private Q_SLOTS:
    void writesTheRequestFileByteForByte()
    {
        TestStation station;
        QDir().mkpath(station.onC(QStringLiteral("vb5/kvt")));
        TestFiles::write(requestPath(station), "[Old]\r\nstale request that must go\r\n");
        QFile::setPermissions(requestPath(station), QFileDevice::ReadOwner);
        TestFiles::write(temporaryPath(station), "half-written");
        EmailRequest request(*station.backOffice, station.drives, station.clock, station.boxes, station.host);
        request.gEmpresaGlobal = 12;

        QVERIFY(request.EnviaMensagemEmail(QStringLiteral("7"), QStringLiteral("Auto Posto São Cristóvão Ltda"),
            QStringLiteral("AutoQuorvan QX!"), QStringLiteral("Linha 1\r\nLinha 2\r\n"), 0, 0));

        QCOMPARE(TestFiles::read(requestPath(station)),
            QByteArray("[Empresa]\r\n"
                       "Empresa=007\r\n"
                       "NomeEmpresa=Auto Posto S\xE3o Crist\xF3v\xE3o Ltda\r\n"
                       "EmpresaGlobal=012\r\n"
                       " \r\n"
                       "[Programa]\r\n"
                       "Programa=MovimentoEnviaMensagemEmailRotina\r\n"
                       " \r\n"
                       "[Email]\r\n"
                       "Assunto=Auto Posto S\xE3o :AutoQuorvan QX!\r\n"
                       "Mensagem=Linha 1\r\nLinha 2\r\n\r\n"));
        QVERIFY(!QFile::exists(temporaryPath(station)));
        QVERIFY(station.boxes.boxes().isEmpty());
    }

    void storesTheMessageRecord()
    {
        TestStation station;
        QDir().mkpath(station.onC(QStringLiteral("vb5/kvt")));
        EmailRequest request(*station.backOffice, station.drives, station.clock, station.boxes, station.host);
        QVERIFY(request.EnviaMensagemEmail(QStringLiteral("7"), QStringLiteral("Posto Central"),
            QStringLiteral("AutoQuorvan QX!"), QStringLiteral("primeira"), 0, 0));
        const qint32 code = request.gCodigoMensagemAberta;
        QVERIFY(code != 0);

        clsMensagemEmail stored(*station.backOffice);
        const auto fields = [&stored] {
            return QStringList { QString::number(stored.Empresa), stored.NomeEmpresa, stored.NomeDestinatario,
                stored.EmailDestinatario, stored.EmailCopia, stored.Assunto, stored.Mensagem, stored.DataHora,
                stored.DataHoraRegistro, stored.EnderecoIP, QString::number(stored.Liberada) };
        };
        QVERIFY(stored.Localiza(0, code));
        QCOMPARE(fields(),
            QStringList({ "7", "Posto Central", SupportContact::Name, SupportContact::Address,
                SupportContact::FirstCopy, "Posto Central:AutoQuorvan QX!", "primeira", "06/12/2026 14:05:31",
                "06/12/2026 14:05:31", "10.0.0.5", "0" }));

        // A second request while the message is open appends to it; the stored change releases it,
        // and a copy goes to the second address.
        station.clock.advance(60);
        QVERIFY(request.EnviaMensagemEmail(QStringLiteral("7"), QStringLiteral("Posto Central"),
            QStringLiteral("AutoQuorvan QX!"), QStringLiteral("segunda"), 0, 0));
        QVERIFY(stored.Localiza(0, code));
        QCOMPARE(stored.Mensagem, QStringLiteral("primeira\r\nsegunda"));
        QCOMPARE(request.gCodigoMensagemAberta, 0);
        QVERIFY(stored.Localiza(0, code + 1));
        QCOMPARE(stored.EmailCopia, SupportContact::SecondCopy);
        QCOMPARE(stored.DataHora, QStringLiteral("06/12/2026 14:06:31"));
        QVERIFY(station.boxes.boxes().isEmpty());
    }

    void missingFolderShowsTheBoxAndLeavesNoFile()
    {
        TestStation station;
        EmailRequest request(*station.backOffice, station.drives, station.clock, station.boxes, station.host);
        // The message record was stored before the file failed: the result is that insert's.
        QVERIFY(request.EnviaMensagemEmail(
            QStringLiteral("1"), QStringLiteral("Posto"), QStringLiteral("A"), QStringLiteral("m"), 0, 0));
        const QString path = station.onC(QStringLiteral("vb5/kvt/kvt_cadastro.tmp"));
        QCOMPARE(station.boxes.takeBoxes(),
            QList<Box>({ { QStringLiteral("Erro ao gravar Kvt_Cadastro.ini!\nCaminho não encontrado: ") + path,
                MessageStyle::Information, QStringLiteral("Erro Interno!") } }));
        QVERIFY(!QFile::exists(station.onC(QStringLiteral("vb5"))));
    }
};

QTEST_GUILESS_MAIN(TestEmailRequest)
#include "tst_emailrequest.moc"
