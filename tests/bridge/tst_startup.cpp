#include "bridge/bridge.h"
#include "support/testfiles.h"
#include "support/teststation.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

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

const Box HostLookupBox { "Windows Sockets error 11004 não é possivel obter nome do Host.", MessageStyle::Plain,
    "AutoQuorvanNolvex" };

// @ stands for the folder that cannot hold the lock.
const Box LockFailedBox {
    "Não foi possível criar o arquivo de trava @/autoquorvan.lock (a pasta não existe).\nO "
    "AutoQuorvan não será iniciado, para que nenhum abastecimento seja registrado em dobro.\nEntre "
    "em contato com o suporte técnico.",
    MessageStyle::Critical, "Erro de Configuração!"
};

// What else is true of the station a start-up row runs on.
enum class Situation { Normal, NoSettings, NoBackOffice, CopyRunning, LockFails, WindowsPaths, ClosedAtBox };

Box otherComputerBox(const QString& configured, const QString& current)
{
    return { "Configurado para executar no computador: " + configured + "\r\nComputador atual: " + current,
        MessageStyle::Critical, "Erro de Configuração!" };
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // situation: what else is true of the station. bicos, global: the settings' "Quantidade de
    // Bicos" and "EmpresaGlobal". names: the configured computer ("-": no such key) and the host's
    // name ("!": the lookup fails). nozzles, empresaGlobal: lQuantidadeBicos and gEmpresaGlobal after
    // start-up.
    void startup_data()
    {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<QByteArray>("bicos");
        QTest::addColumn<QByteArray>("global");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QList<Box>>("boxes");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("nozzles");
        QTest::addColumn<int>("empresaGlobal");
        const auto row
            = [](const char* name, Situation situation, const char* bicos, const char* global, const char* names,
                  const QList<Box>& boxes, Outcome outcome, int nozzles, int empresaGlobal) {
                  QTest::newRow(name) << situation << QByteArray(bicos) << QByteArray(global) << names << boxes
                                      << outcome << nozzles << empresaGlobal;
              };
        const char* same = "POSTO01/POSTO01";
        using enum Bridge::StartupOutcome;
        using enum Situation;
        row("all checks pass, 8 nozzles", Normal, "8", "2", same, {}, Running, 8, 2);
        row("another copy running", CopyRunning, "8", "2", same, { CopyRunningBox }, End, 0, 0);
        row("lock cannot be made", LockFails, "8", "2", same, { LockFailedBox }, End, 0, 0);
        row("back-office does not answer", NoBackOffice, "8", "2", same, { NoBackOfficeBox }, End, 8, 2);
        row("other computer", Normal, "8", "2", "caixa02/posto01", { otherComputerBox("CAIXA02", "POSTO01") }, Idle, 8,
            2);
        row("no settings file", NoSettings, "", "", "/POSTO01", { EmpresaGlobalBox, otherComputerBox("", "POSTO01") },
            Idle, 0, 0);
        row("names compared in upper case", Normal, "8", "2", "posto01/Posto01", {}, Running, 8, 2);
        row("both names empty", Normal, "8", "2", "/", {}, Running, 8, 2);
        row("key missing and host lookup failing", Normal, "8", "2", "-/!", { HostLookupBox }, Running, 8, 2);
        row("8.5 nozzles rounds to 8", Normal, "8.5", "2", same, {}, Running, 8, 2);
        row("9.5 nozzles and EmpresaGlobal 1.5 round to 10 and 2", Normal, "9.5", "1.5", same, {}, Running, 10, 2);
        row("12 bicos", Normal, "12 bicos", "2", same, {}, Running, 12, 2);
        row("40000 nozzles beyond 16 bits", Normal, "40000", "2", same, { OverflowBox }, End, 0, 0);
        row("EmpresaGlobal 0.4 passes, stores 0", Normal, "8", "0.4", same, {}, Running, 8, 0);
        row("EmpresaGlobal -3", Normal, "8", "-3", same, {}, Running, 8, -3);
        row("EmpresaGlobal 0 goes on", Normal, "8", "0", same, { EmpresaGlobalBox }, Running, 8, 0);
        row("EmpresaGlobal empty", Normal, "8", "", same, { EmpresaGlobalBox }, Running, 8, 0);
        // Paths as Windows uses them, on a computer without a drive C:.
        row("no drive C: to make current", WindowsPaths, "", "", "/",
            { EmpresaGlobalBox,
                { "Erro em tempo de execução '68':\n\nDispositivo não disponível: C:", 16, "AutoQuorvanNolvex" } },
            End, 0, 0);
        row("closed during the EmpresaGlobal box", ClosedAtBox, "8", "0", same, { EmpresaGlobalBox }, Closed, 8, 0);
    }
    void startup()
    {
        QFETCH(Situation, situation);
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
        const QString configured = names.section(u'/', 0, 0);
        if (situation != Situation::NoSettings) {
            station.writeIni("[LOCALIZACAO]\r\nLocal banco dados nolvex=C:\\wdn\\matriz\r\n"
                + (configured == u"-" ? QByteArray() : "Computador com automacao=" + configured.toLatin1() + "\r\n")
                + "[OUTRAS]\r\nQuantidade de Bicos=" + bicos + "\r\nEmpresaGlobal=" + global
                + "\r\nCodigo da Empresa=7\r\nNome da Empresa=" + name.toLatin1() + "\r\n");
        }
        if (situation == Situation::NoBackOffice)
            QVERIFY(QFile::remove(station.backOffice->settings().file));
        SingleInstance running(station.drives.root());
        if (situation == Situation::CopyRunning)
            QCOMPARE(running.acquire(), SingleInstance::Result::Acquired);
        // Windows paths are relative ones here: they stay inside the station's folder.
        const QString startedIn = QDir::currentPath();
        const auto restore = qScopeGuard([&] { QDir::setCurrent(startedIn); });
        QDir::setCurrent(station.root.path());
        const Drives drives = situation == Situation::WindowsPaths ? Drives::asWritten(station.root.path())
            : situation == Situation::LockFails                    ? Drives(station.onC(QStringLiteral("wdn")) + "/x")
                                                                   : station.drives;
        if (situation == Situation::LockFails)
            TestFiles::write(station.onC(QStringLiteral("wdn/x")), "not a folder");
        const QString host = names.section(u'/', 1);
        station.host.name = host == u"!" ? HostSystem::HostName { QString(), 11004 } : HostSystem::HostName { host, 0 };
        const QString request = station.onC(QStringLiteral("vb5/kvt/kvt_cadastro.ini"));
        QDir().mkpath(QFileInfo(request).path());
        Bridge bridge({ station.clock, station.boxes, drives, station.host, *station.backOffice });
        bool requestAtBox = false;
        station.boxes.whileOpen = [&](const Box&) {
            requestAtBox = QFile::exists(request);
            if (situation == Situation::ClosedAtBox)
                bridge.requestClose();
        };
        QSignalSpy tray(&bridge, &Bridge::trayIconRequested);

        QCOMPARE(bridge.Form_Load(), outcome);
        for (Box& box : boxes)
            box.text.replace(u'@', station.onC(QStringLiteral("wdn/x")));
        QCOMPARE(station.boxes.takeBoxes(), boxes);
        QCOMPARE(bridge.Timer1().isActive() && bridge.Timer1().interval() == 30, outcome == Outcome::Running);
        QCOMPARE(int(bridge.settings().lQuantidadeBicos), nozzles);
        QCOMPARE(int(bridge.emailRequest().gEmpresaGlobal), empresaGlobal);
        // The e-mail request is made before the box, and only when the back-office does not answer.
        QCOMPARE(requestAtBox, situation == Situation::NoBackOffice);
        const QString message = "Empresa: " + name.left(254) + "\r\nData: 06/12/2026 as 14:05:31\r\n\r\n"
            + "Conexao com banco de dados não ativa ao iniciar o AutoQuorvanNolvex.\r\n";
        QCOMPARE(bridge.lMensagem(), requestAtBox ? message : QString());
        // Neither a second copy, a start-up error nor a close before the start-up event logs or
        // shows the icon.
        if (situation == Situation::CopyRunning || situation == Situation::LockFails
            || situation == Situation::ClosedAtBox || boxes == QList<Box> { OverflowBox }) {
            QVERIFY(tray.isEmpty() && station.logFile().isEmpty() && bridge.EventLB().lines().isEmpty());
            return;
        }
        QCOMPARE(QList<QVariantList>(tray), QList<QVariantList> { { 0 } });
        QCOMPARE(bridge.EventLB().lines(), QStringList { QStringLiteral("14:05:31 - AutoQuorvan Iniciado: ") });
        if (situation == Situation::WindowsPaths)
            return;
        // When the back-office does not answer, the log keeps why.
        QCOMPARE(station.logLines(),
            situation == Situation::NoBackOffice ? QStringList { "14:05:31 - ERRO clsConexao.Ativa: Retaguarda "
                + station.backOffice->settings().file + ": arquivo não encontrado" }
                                                 : QStringList());
        const bool read = situation != Situation::NoSettings;
        QCOMPARE(int(bridge.settings().lCodigoEmpresa), read ? 7 : 0);
        QCOMPARE(bridge.settings().lNomeEmpresa, read ? name.left(254) : QString());
        QCOMPARE(bridge.dataNolvex().DatabaseName(), read ? QStringLiteral("C:\\wdn\\matriz") : QString());
    }

    // The timer goes first, so that no cycle runs on released objects.
    void unloadStopsPollingAndWritesTwoEvents()
    {
        TestStation station;
        station.addNozzle(1, 1, "1", "1234.5");
        QCOMPARE(station.start(1), Outcome::Running);
        station.bridge->cmdEncerrante_Click();
        station.bridge->Form_Unload();
        QVERIFY(!station.bridge->Timer1().isActive());
        const QStringList lines { "14:05:31 - Bico-1   Encerrante= 1,234.50",
            "14:05:31 - Objetos de Automação finalizados" };
        QCOMPARE(station.bridge->EventLB().lines().mid(1), lines);
        QCOMPARE(station.logLines(), lines + QStringList { "14:05:31 - Finalizando AutoQuorvan" });
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
