#include "app/closesignals.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>

class TestCloseSignals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachSignalIsACloseRequest_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM, the session ending") << SIGTERM;
        QTest::newRow("SIGHUP, the terminal or session gone") << SIGHUP;
        QTest::newRow("SIGINT, Ctrl+C") << SIGINT;
    }
    void eachSignalIsACloseRequest()
    {
        QFETCH(int, signalNumber);
        CloseSignals closeSignals;
        QSignalSpy requests(&closeSignals, &CloseSignals::closeRequested);
        // The handler runs inside raise(); the request reaches the program through the event loop.
        std::raise(signalNumber);
        QCOMPARE(requests.size(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().first().toInt(), signalNumber);
    }

    void destroyingItPutsBackWhatItFound()
    {
        // Another part of the program (or the shell that started it) chose to ignore SIGHUP.
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        struct sigaction before = {};
        QCOMPARE(::sigaction(SIGHUP, &ignore, &before), 0);
        {
            CloseSignals closeSignals;
        }
        struct sigaction after = {};
        QCOMPARE(::sigaction(SIGHUP, &before, &after), 0);
        QVERIFY(after.sa_handler == SIG_IGN);
        // And a new one can be made after it.
        CloseSignals again;
        QSignalSpy requests(&again, &CloseSignals::closeRequested);
        std::raise(SIGTERM);
        QCoreApplication::processEvents();
        QCOMPARE(requests.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCloseSignals)
#include "tst_closesignals.moc"
