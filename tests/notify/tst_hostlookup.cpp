#include "notify/mdl_socket_ip.h"
#include "support/fakehost.h"
#include "support/recordingmessagebox.h"

#include <QTest>

using namespace mdl_socket_ip;

class TestHostLookup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void looksUpNameAndAddress_data()
    {
        QTest::addColumn<int>("nameError");
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<bool>("address"); // EnderecoIPLocal rather than NomeComputadorLocal
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("box");
        const QStringList single { "10.0.0.5" };
        QTest::newRow("name") << 0 << single << false << "POSTO01"
                              << "";
        QTest::newRow("address") << 0 << single << true << "10.0.0.5"
                                 << "";
        QTest::newRow("zero bytes are pieces") << 0 << QStringList { "192.0.0.1" } << true << "192.0.0.1"
                                               << "";
        QTest::newRow("first ipv4 after an ipv6")
            << 0 << QStringList { "fe80::1", "172.16.4.20", "10.0.0.9" } << true << "172.16.4.20"
            << "";
        QTest::newRow("name refused") << 36 << single << false << ""
                                      << "Windows Sockets error 36 não é possivel obter nome do Host.";
        QTest::newRow("name refused, address asked")
            << 36 << single << true << ""
            << "Ocorre um erro de Socket : 36 , não é possivel obter nome do Host.";
        QTest::newRow("name does not resolve")
            << 0 << QStringList() << true << ""
            << "Windows Sockets não esta respondendo. não é possivel obter nome do Host";
    }
    void looksUpNameAndAddress()
    {
        QFETCH(int, nameError);
        QFETCH(QStringList, addresses);
        QFETCH(bool, address);
        QFETCH(QString, result);
        QFETCH(QString, box);
        FakeHost host;
        if (nameError != 0)
            host.name = { QString(), nameError };
        host.addresses.clear();
        for (const QString& text : addresses)
            host.addresses += QHostAddress(text);
        RecordingMessageBox boxes;
        QCOMPARE(address ? EnderecoIPLocal(host, boxes) : NomeComputadorLocal(host, boxes), result);
        QList<RecordingMessageBox::Box> expected;
        if (!box.isEmpty())
            expected.append({ box, MessageStyle::Plain, QStringLiteral("AutoQuorvanNolvex") });
        QCOMPARE(boxes.takeBoxes(), expected);
    }

    void splitsBytes()
    {
        QCOMPARE(ByteBaixo(0x0101), quint8(1));
        QCOMPARE(ByteAlto(0x0201), quint8(2));
        QCOMPARE(ByteBaixo(-1), quint8(255));
    }
};

QTEST_GUILESS_MAIN(TestHostLookup)
#include "tst_hostlookup.moc"
