#include "bridge/bridge.h"
#include "support/teststation.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <cstdio>

using Box = RecordingMessageBox::Box;
using Outcome = Bridge::StartupOutcome;

namespace {

const Box CopyRunningBox { "Atenção! Este Programa já encontra-se aberto!", MessageStyle::Exclamation,
    "AutoQuorvanNolvex está aberto!" };
const Box EmpresaGlobalBox {
    "O Arquivo AutoQuorvan.INI, deve ter o campo EmpresaGlobal!\r\nEntre em contato com o suporte técnico.",
    MessageStyle::Critical, "Erro de Configuração!"
};
const Box NoBackOfficeBox { "A automação não irá funcionar por falta de comunicação com o banco de dados!\nEntre em "
                            "contato com o suporte técnico.",
    MessageStyle::Critical, "Erro de Comunicação!" };
const Box OverflowBox { "Erro em tempo de execução '6':\n\nEstouro", MessageStyle::Critical, "AutoQuorvanNolvex" };

Box otherComputerBox(const QString& configured, const QString& current)
{
    return { "Configurado para executar no computador: " + configured + "\r\nComputador atual: " + current,
        MessageStyle::Critical, "Erro de Configuração!" };
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Three rows say in their name what else is true of the station. bicos, global: the settings'
    // "Quantidade de Bicos" and "EmpresaGlobal". names: the configured computer and the host's
    // name. nozzles, empresaGlobal: lQuantidadeBicos and gEmpresaGlobal after start-up.
    void startup_data()
    {
        QTest::addColumn<QByteArray>("bicos");
        QTest::addColumn<QByteArray>("global");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QList<Box>>("boxes");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("nozzles");
        QTest::addColumn<int>("empresaGlobal");
        const auto row = [](const char* name, const char* bicos, const char* global, const char* names,
                             const QList<Box>& boxes, Outcome outcome, int nozzles, int empresaGlobal) {
            QTest::newRow(name) << QByteArray(bicos) << QByteArray(global) << names << boxes << outcome << nozzles
                                << empresaGlobal;
        };
        const char* same = "POSTO01/POSTO01";
        using enum Bridge::StartupOutcome;
        row("all checks pass, 8 nozzles", "8", "2", same, {}, Running, 8, 2);
        row("another copy running", "8", "2", same, { CopyRunningBox }, End, 0, 0);
        row("back-office does not answer", "8", "2", same, { NoBackOfficeBox }, End, 8, 2);
        row("other computer", "8", "2", "caixa02/posto01", { otherComputerBox("CAIXA02", "POSTO01") }, Idle, 8, 2);
        row("no settings file", "", "", "/POSTO01", { EmpresaGlobalBox, otherComputerBox("", "POSTO01") }, Idle, 0, 0);
        row("names compared in upper case", "8", "2", "posto01/Posto01", {}, Running, 8, 2);
        row("both names empty", "8", "2", "/", {}, Running, 8, 2);
        row("8.5 nozzles rounds to 8", "8.5", "2", same, {}, Running, 8, 2);
        row("9.5 nozzles and EmpresaGlobal 1.5 round to 10 and 2", "9.5", "1.5", same, {}, Running, 10, 2);
        row("12 bicos", "12 bicos", "2", same, {}, Running, 12, 2);
        row("abc nozzles", "abc", "2", same, {}, Running, 0, 2);
        row("40000 nozzles beyond 16 bits", "40000", "2", same, { OverflowBox }, End, 0, 0);
        row("EmpresaGlobal 0.4 passes, stores 0", "8", "0.4", same, {}, Running, 8, 0);
        row("EmpresaGlobal -3", "8", "-3", same, {}, Running, 8, -3);
        row("EmpresaGlobal 0 goes on", "8", "0", same, { EmpresaGlobalBox }, Running, 8, 0);
        row("EmpresaGlobal empty", "8", "", same, { EmpresaGlobalBox }, Running, 8, 0);
    }
    void startup()
    {
        const QByteArray tag = QTest::currentDataTag();
        QFETCH(QByteArray, bicos);
        QFETCH(QByteArray, global);
        QFETCH(QString, names);
        QFETCH(QList<Box>, boxes);
        QFETCH(Outcome, outcome);
        QFETCH(int, nozzles);
        QFETCH(int, empresaGlobal);
        TestStation station;
        // A value longer than the settings reader takes.
        const QString name = "Posto " + QString(294, u'x');
        if (tag != "no settings file") {
            station.writeIni("[LOCALIZACAO]\r\nLocal banco dados nolvex=C:\\wdn\\matriz\r\nComputador com automacao="
                + names.section(u'/', 0, 0).toLatin1() + "\r\n[OUTRAS]\r\nQuantidade de Bicos=" + bicos
                + "\r\nEmpresaGlobal=" + global + "\r\nCodigo da Empresa=7\r\nNome da Empresa=" + name.toLatin1()
                + "\r\n");
        }
        if (tag == "back-office does not answer")
            QVERIFY(QFile::remove(station.backOffice->settings().file));
        SingleInstance running(station.drives.root());
        if (tag == "another copy running")
            QVERIFY(running.acquire());
        station.host.name.name = names.section(u'/', 1);
        const QString request = station.onC(QStringLiteral("vb5/kvt/kvt_cadastro.ini"));
        QDir().mkpath(QFileInfo(request).path());
        bool requestAtBox = false;
        station.boxes.whileOpen = [&](const Box&) { requestAtBox = QFile::exists(request); };
        Bridge bridge(station.ports());
        QSignalSpy tray(&bridge, &Bridge::trayIconRequested);

        QCOMPARE(bridge.Form_Load(), outcome);
        QCOMPARE(station.boxes.takeBoxes(), boxes);
        QCOMPARE(bridge.Timer1().isActive() && bridge.Timer1().interval() == 30, outcome == Outcome::Running);
        QCOMPARE(int(bridge.settings().lQuantidadeBicos), nozzles);
        QCOMPARE(int(bridge.emailRequest().gEmpresaGlobal), empresaGlobal);
        // The e-mail request is made before the box, and only when the back-office does not answer.
        QCOMPARE(requestAtBox, tag == "back-office does not answer");
        const QString message = "Empresa: " + name.left(254) + "\r\nData: 06/12/2026 as 14:05:31\r\n\r\n"
            + "Conexao com banco de dados não ativa ao iniciar o AutoQuorvanNolvex.\r\n";
        QCOMPARE(bridge.lMensagem(), requestAtBox ? message : QString());
        // Neither a second copy nor a start-up error logs or shows the icon.
        if (tag == "another copy running" || boxes == QList<Box> { OverflowBox }) {
            QVERIFY(tray.isEmpty() && station.logFile().isEmpty() && bridge.EventLB().lines().isEmpty());
            return;
        }
        QCOMPARE(QList<QVariantList>(tray), QList<QVariantList> { { 0 } });
        QCOMPARE(bridge.EventLB().lines(), QStringList { QStringLiteral("14:05:31 - AutoQuorvan Iniciado: ") });
        QCOMPARE(station.logFile(), QByteArray("14:05:31 - AutoQuorvan Iniciado: \r\n"));
        const bool read = tag != "no settings file";
        QCOMPARE(int(bridge.settings().lCodigoEmpresa), read ? 7 : 0);
        QCOMPARE(bridge.settings().lNomeEmpresa, read ? name.left(254) : QString());
        QCOMPARE(bridge.dataNolvex().DatabaseName(), read ? QStringLiteral("C:\\wdn\\matriz") : QString());
    }

    // The timer goes first, so that no cycle runs on released objects.
    void unloadStopsPollingAndWritesTwoEvents()
    {
        TestStation station;
        station.writeIni(TestStation::iniFor(1));
        station.addNozzle(1, 1, "1", "1234.5");
        Bridge bridge(station.ports());
        QCOMPARE(bridge.Form_Load(), Outcome::Running);
        bridge.cmdEncerrante_Click();
        bridge.Form_Unload();
        QVERIFY(!bridge.Timer1().isActive());
        const QStringList lines { "14:05:31 - Bico-1   Encerrante= 1,234.50",
            "14:05:31 - Objetos de Automação finalizados" };
        QCOMPARE(bridge.EventLB().lines().mid(1), lines);
        QCOMPARE(station.logLines(), lines + QStringList { "14:05:31 - Finalizando AutoQuorvan" });
    }

    void secondProcessRefusedAndDeadCopyTakenOver()
    {
        QTemporaryDir folder;
        const auto start = [&](QProcess& process) {
            process.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--lock"), folder.path() });
            return process.waitForReadyRead(10000) ? process.readLine().trimmed() : QByteArray("no answer");
        };
        QProcess first, second, third;
        QCOMPARE(start(first), QByteArray("locked"));
        QCOMPARE(start(second), QByteArray("refused"));
        QVERIFY(second.waitForFinished(10000));
        // A copy that dies without cleaning up leaves its lock file behind.
        first.kill();
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("autoquorvan.lock"))));
        QCOMPARE(start(third), QByteArray("locked"));
        third.kill();
        third.waitForFinished(10000);
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    // The program reduced to its single-instance lock, so that copies run as real processes: it
    // prints "locked" and holds the lock until killed, or prints "refused" and ends.
    if (argc == 3 && qstrcmp(argv[1], "--lock") == 0) {
        SingleInstance instance(QString::fromLocal8Bit(argv[2]));
        const bool locked = instance.acquire();
        std::puts(locked ? "locked" : "refused");
        std::fflush(stdout);
        while (locked)
            QThread::sleep(1);
        return 1;
    }
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
