#include "notify/mdl_socket_ip.h"
#include "support/fakehost.h"
#include "support/recordingmessagebox.h"

#include <QTest>

using namespace mdl_socket_ip;

class TestHostLookup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void givesTheName()
    {
        FakeHost host;
        RecordingMessageBox boxes;
        QCOMPARE(NomeComputadorLocal(host, boxes), QStringLiteral("POSTO01"));
        QVERIFY(boxes.boxes().isEmpty());
    }

    void givesTheFirstIpv4Address_data()
    {
        QTest::addColumn<QStringList>("addresses");
        QTest::addColumn<QString>("expected");
        QTest::newRow("single") << QStringList { "10.0.0.5" } << "10.0.0.5";
        QTest::newRow("zero bytes are pieces") << QStringList { "192.0.0.1" } << "192.0.0.1";
        QTest::newRow("ipv6 first") << QStringList { "fe80::1", "172.16.4.20", "10.0.0.9" } << "172.16.4.20";
    }
    void givesTheFirstIpv4Address()
    {
        QFETCH(QStringList, addresses);
        QFETCH(QString, expected);
        FakeHost host;
        host.addresses.clear();
        for (const QString& address : addresses)
            host.addresses += QHostAddress(address);
        RecordingMessageBox boxes;
        QCOMPARE(EnderecoIPLocal(host, boxes), expected);
        QVERIFY(boxes.boxes().isEmpty());
    }

    void failuresShowABoxAndGiveNothing_data()
    {
        QTest::addColumn<bool>("nameFails");
        QTest::addColumn<bool>("address");
        QTest::addColumn<QString>("text");
        QTest::newRow("name refused") << true << false
                                      << QStringLiteral("Windows Sockets error 36 não é possivel obter nome do Host.");
        QTest::newRow("name refused, address asked")
            << true << true << QStringLiteral("Ocorre um erro de Socket : 36 , não é possivel obter nome do Host.");
        QTest::newRow("name does not resolve")
            << false << true
            << QStringLiteral("Windows Sockets não esta respondendo. não é possivel obter nome do Host");
    }
    void failuresShowABoxAndGiveNothing()
    {
        QFETCH(bool, nameFails);
        QFETCH(bool, address);
        QFETCH(QString, text);
        FakeHost host;
        if (nameFails)
            host.name = { QString(), 36 };
        else
            host.addresses.clear();
        RecordingMessageBox boxes;
        QCOMPARE(address ? EnderecoIPLocal(host, boxes) : NomeComputadorLocal(host, boxes), QString());
        QCOMPARE(boxes.takeBoxes(),
            QList<RecordingMessageBox::Box>({ { text, MessageStyle::Plain, QStringLiteral("AutoQuorvanNolvex") } }));
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
