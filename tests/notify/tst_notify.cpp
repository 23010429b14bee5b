#include "backoffice/clsmensagememail.h"
#include "notify/emailrequest.h"
#include "notify/mdl_socket_ip.h"
#include "notify/supportcontact.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QTest>

using namespace mdl_socket_ip;
using Box = RecordingMessageBox::Box;

const QString Company = QStringLiteral("Auto Posto São Cristóvão Ltda");

// Each test has a station of its own, named POSTO01 at 10.0.0.5, with the sender's folder C:\vb5\kvt; the
// requests come from company 7 with global company 12.
class TestNotify : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestStation> m_station;
    std::unique_ptr<EmailRequest> m_request;

    QString kvt(const char* name) const { return m_station->onC(QStringLiteral("vb5/kvt/") + QLatin1StringView(name)); }
    bool send(const char* text) { return m_request->EnviaMensagemEmail("7", Company, "Aviso", text, 0, 0); }

private Q_SLOTS:
    void init()
    {
        m_station = std::make_unique<TestStation>();
        QDir().mkpath(kvt(""));
        m_request = std::make_unique<EmailRequest>(
            *m_station->backOffice, m_station->drives, m_station->clock, m_station->boxes, m_station->host);
        m_request->gEmpresaGlobal = 12;
    }
    void cleanup() { QCOMPARE(m_station->boxes.takeBoxes(), QList<Box>()); }

    // Each row asks for the name, then for the address.
    void looksUpNameAndAddress_data()
    {
        QTest::addColumn<int>("nameError");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<QStringList>("boxes");
        using L = QStringList;
        row("first ipv4 after an ipv6", 0, L { "fe80::1", "172.16.4.20", "10.0.0.9" }, L { "POSTO01", "172.16.4.20" },
            L());
        row("name refused", 36, L(), L { "", "" },
            L { "Windows Sockets error 36 não é possivel obter nome do Host.",
                "Ocorre um erro de Socket : 36 , não é possivel obter nome do Host." });
        row("name does not resolve", 0, L(), L { "POSTO01", "" },
            L { "Windows Sockets não esta respondendo. não é possivel obter nome do Host" });
    }
    void looksUpNameAndAddress()
    {
        QFETCH(int, nameError);
        QFETCH(QStringList, addresses);
        QFETCH(QStringList, results);
        QFETCH(QStringList, boxes);
        FakeHost& host = m_station->host;
        if (nameError != 0)
            host.name = { QString(), nameError };
        host.addresses.clear();
        for (const QString& text : addresses)
            host.addresses += QHostAddress(text);
        QCOMPARE(QStringList({ NomeComputadorLocal(host, m_station->boxes), EnderecoIPLocal(host, m_station->boxes) }),
            results);
        QList<Box> expected;
        for (const QString& text : boxes)
            expected.append({ text, MessageStyle::Plain, QStringLiteral("AutoQuorvanNolvex") });
        QCOMPARE(m_station->boxes.takeBoxes(), expected);
    }

    // An old request is replaced whole, even a read-only one.
    void writesTheRequestFileAndStoresTheMessage()
    {
        TestFiles::write(kvt("kvt_cadastro.ini"), "[Old]\r\nstale request that must go\r\n");
        QFile::setPermissions(kvt("kvt_cadastro.ini"), QFileDevice::ReadOwner);
        QVERIFY(send("Linha 1\r\nLinha 2\r\n"));
        QCOMPARE(TestFiles::read(kvt("kvt_cadastro.ini")),
            QByteArray("[Empresa]\r\nEmpresa=007\r\nNomeEmpresa=Auto Posto S\xE3o Crist\xF3v\xE3o Ltda\r\n"
                       "EmpresaGlobal=012\r\n \r\n[Programa]\r\nPrograma=MovimentoEnviaMensagemEmailRotina\r\n \r\n"
                       "[Email]\r\nAssunto=Auto Posto S\xE3o :Aviso\r\nMensagem=Linha 1\r\nLinha 2\r\n\r\n"));
        QVERIFY(!QFile::exists(kvt("kvt_cadastro.tmp")));

        clsMensagemEmail stored(*m_station->backOffice);
        QVERIFY(stored.Localiza(0, 1));
        QCOMPARE(QStringList({ QString::number(stored.Empresa), stored.NomeEmpresa, stored.NomeDestinatario,
                     stored.EmailDestinatario, stored.EmailCopia, stored.Assunto, stored.Mensagem, stored.DataHora,
                     stored.DataHoraRegistro, stored.EnderecoIP, QString::number(stored.Liberada) }),
            QStringList({ "7", Company, SupportContact::Name, SupportContact::Address, SupportContact::FirstCopy,
                "Auto Posto São :Aviso", "Linha 1\r\nLinha 2\r\n", "06/12/2026 14:05:31", "06/12/2026 14:05:31",
                "10.0.0.5", "0" }));
    }

    // A second request while the message is open appends to it; the stored change releases it, and a
    // copy goes to the second address.
    void aSecondRequestAppendsToTheOpenMessage()
    {
        QVERIFY(send("primeira"));
        m_station->clock.advance(60);
        QVERIFY(send("segunda"));
        clsMensagemEmail stored(*m_station->backOffice);
        QVERIFY(stored.Localiza(0, 1));
        QCOMPARE(stored.Mensagem, QStringLiteral("primeira\r\nsegunda"));
        QVERIFY(stored.Localiza(0, 2));
        QCOMPARE(stored.EmailCopia, SupportContact::SecondCopy);
        QCOMPARE(stored.DataHora, QStringLiteral("06/12/2026 14:06:31"));
    }

    void missingFolderShowsTheBoxAndLeavesNoFile()
    {
        QVERIFY(QDir(m_station->onC(QStringLiteral("vb5"))).removeRecursively());
        // The message record was stored before the file failed: the result is that insert's.
        QVERIFY(send("m"));
        QCOMPARE(m_station->boxes.takeBoxes(),
            QList<Box>({ { QStringLiteral("Erro ao gravar Kvt_Cadastro.ini!\nCaminho não encontrado: ")
                    + kvt("kvt_cadastro.tmp"),
                MessageStyle::Information, QStringLiteral("Erro Interno!") } }));
        QVERIFY(!QFile::exists(m_station->onC(QStringLiteral("vb5"))));
    }
};

QTEST_GUILESS_MAIN(TestNotify)
#include "tst_notify.moc"
