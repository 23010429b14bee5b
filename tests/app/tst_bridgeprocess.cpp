#include "support/testfiles.h"
#include "support/teststation.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <csignal>

namespace {

// What the bridge wrote to standard error once it has written the text, or by the time it ended.
QByteArray waitForError(QProcess& bridge, const QByteArray& text)
{
    QByteArray written;
    const QDeadlineTimer deadline(30000);
    while (!written.contains(text) && !deadline.hasExpired() && bridge.state() != QProcess::NotRunning) {
        bridge.waitForReadyRead(100);
        written += bridge.readAllStandardError();
    }
    return written + bridge.readAllStandardError();
}

} // namespace

// The real program as a process: its command line, and its boxes on a computer without a screen.
class TestBridgeProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Answered without a screen (no display and no platform named, so a window could not even be
    // tried), without the lock and without touching a file. The installed package's test asks for
    // the version the same way.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("help") << QStringList { "--help" } << 0 << QByteArray("uso: autoquorvan [--help | --version]\n")
                              << QByteArray();
        QTest::newRow("unknown argument after a good one")
            << QStringList { "--version", "--ajuda" } << 2 << QByteArray()
            << QByteArray("autoquorvan: argumento desconhecido \"--ajuda\" (use --help)\n");
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QTemporaryDir folder;
        const QString drives = folder.filePath(QStringLiteral("drives"));
        QProcessEnvironment screenless = QProcessEnvironment::systemEnvironment();
        screenless.insert(QStringLiteral("AUTOQUORVAN_DRIVES"), drives);
        for (const char* name : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
            screenless.remove(QString::fromLatin1(name));
        QProcess bridge;
        bridge.setProcessEnvironment(screenless);
        bridge.start(QStringLiteral(AUTOQUORVAN_BRIDGE), arguments);
        QVERIFY(bridge.waitForFinished(30000));
        QCOMPARE(bridge.exitCode(), exitCode);
        QVERIFY2(bridge.readAllStandardOutput().startsWith(out), qPrintable(arguments.join(u' ')));
        QCOMPARE(bridge.readAllStandardError(), err);
        QVERIFY(!QFileInfo::exists(drives));
    }

    // A close request while a start-up box is open, offscreen where nobody can answer the box: the
    // box ends and so does the program. A second copy, held by its "already open" box, ends when
    // asked; the first, held by its other-computer box after its start-up event, ends with the
    // shutdown events, without ever polling.
    void closeRequestEndsAStartupBox()
    {
        TestStation station;
        station.writeIni(TestStation::iniFor(4, "OUTRO-COMPUTADOR"));
        QProcess first;
        QProcess second;
        for (QProcess* bridge : { &first, &second }) {
            bridge->setProcessEnvironment(station.environment());
            bridge->setReadChannel(QProcess::StandardError);
        }
        first.start(QStringLiteral(AUTOQUORVAN_BRIDGE));
        const QByteArray otherComputer = "autoquorvan: Erro de Configuração!\n"
                                         "  Configurado para executar no computador: OUTRO-COMPUTADOR\n"
                                         "  Computador atual: ";
        QVERIFY2(waitForError(first, otherComputer).contains(otherComputer), "first copy's box");

        second.start(QStringLiteral(AUTOQUORVAN_BRIDGE));
        const QByteArray alreadyOpen = "autoquorvan: AutoQuorvanNolvex está aberto!\n"
                                       "  Atenção! Este Programa já encontra-se aberto!\n";
        QVERIFY2(waitForError(second, alreadyOpen).contains(alreadyOpen), "second copy's box");
        ::kill(pid_t(second.processId()), SIGTERM);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 1);

        QVERIFY(first.state() == QProcess::Running);
        ::kill(pid_t(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QStringList events;
        const QDir system(station.systemFolder());
        for (const QString& log : system.entryList({ QStringLiteral("AUTOMACAO_*.LOG") }, QDir::Files, QDir::Name)) {
            const QString lines = QString::fromLatin1(TestFiles::read(system.filePath(log)));
            for (const QString& line : lines.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
                events += line.mid(8); // past the time
        }
        QCOMPARE(events,
            QStringList(
                { " - AutoQuorvan Iniciado: ", " - Objetos de Automação finalizados", " - Finalizando AutoQuorvan" }));
    }
};

QTEST_GUILESS_MAIN(TestBridgeProcess)
#include "tst_bridgeprocess.moc"
