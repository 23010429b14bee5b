#include "backoffice/backofficeadmin.h"
#include "shell/bridge.h"
#include "support/teststation.h"

#include <QSignalSpy>
#include <QTest>

using Box = RecordingMessageBox::Box;
using Outcome = Bridge::StartupOutcome;

namespace {

const Box EmpresaGlobalBox { QStringLiteral("O Arquivo AutoQuorvan.INI, deve ter o campo EmpresaGlobal!\r\n"
                                            "Entre em contato com o suporte técnico."),
    MessageStyle::Critical, QStringLiteral("Erro de Configuração!") };
const Box NoBackOfficeBox { QStringLiteral("A automação não irá funcionar por falta de comunicação com o banco de "
                                           "dados!\nEntre em contato com o suporte técnico."),
    MessageStyle::Critical, QStringLiteral("Erro de Comunicação!") };
const Box OverflowBox { QStringLiteral("Erro em tempo de execução '6':\n\nEstouro"), MessageStyle::Critical,
    QStringLiteral("AutoQuorvanNolvex") };

Box otherComputerBox(const QString& configured, const QString& current)
{
    return { QStringLiteral("Configurado para executar no computador: ") + configured
            + QStringLiteral("\r\nComputador atual: ") + current,
        MessageStyle::Critical, QStringLiteral("Erro de Configuração!") };
}

QByteArray ini(const QByteArray& outras, const QByteArray& computer = "POSTO01")
{
    return "[LOCALIZACAO]\r\nLocal banco dados nolvex=C:\\wdn\\matriz\r\nComputador com automacao=" + computer
        + "\r\n[OUTRAS]\r\n" + outras;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outcomes_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<bool>("backOffice");
        QTest::addColumn<QList<Box>>("boxes");
        QTest::addColumn<int>("outcome");
        const QByteArray good = "Quantidade de Bicos=4\r\nCodigo da Empresa=1\r\nEmpresaGlobal=1\r\n";
        QTest::newRow("all checks pass") << ini(good) << "POSTO01" << true << QList<Box>() << int(Outcome::Running);
        QTest::newRow("names compared in upper case")
            << ini(good, "posto01") << "Posto01" << true << QList<Box>() << int(Outcome::Running);
        QTest::newRow("both names empty") << ini(good, "") << "" << true << QList<Box>() << int(Outcome::Running);
        QTest::newRow("other computer") << ini(good, "caixa02") << "POSTO01" << true
                                        << QList<Box> { otherComputerBox("CAIXA02", "POSTO01") } << int(Outcome::Idle);
        QTest::newRow("EmpresaGlobal missing goes on") << ini("Quantidade de Bicos=4\r\n") << "POSTO01" << true
                                                       << QList<Box> { EmpresaGlobalBox } << int(Outcome::Running);
        QTest::newRow("back-office does not answer")
            << ini(good) << "POSTO01" << false << QList<Box> { NoBackOfficeBox } << int(Outcome::End);
        QTest::newRow("no settings file at all")
            << QByteArray() << "POSTO01" << true
            << QList<Box> { EmpresaGlobalBox, otherComputerBox(QString(), "POSTO01") } << int(Outcome::Idle);
        QTest::newRow("nozzle count beyond 16 bits")
            << ini("Quantidade de Bicos=40000\r\nEmpresaGlobal=1\r\n") << "POSTO01" << true
            << QList<Box> { OverflowBox } << int(Outcome::End);
    }
    void outcomes()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, hostName);
        QFETCH(bool, backOffice);
        QFETCH(QList<Box>, boxes);
        QFETCH(int, outcome);
        TestStation station;
        if (!settings.isEmpty())
            station.writeIni(settings);
        if (!backOffice)
            QVERIFY(QFile::remove(station.backOffice->settings().file));
        QDir().mkpath(station.onC(QStringLiteral("vb5/kvt")));
        station.host.name.name = hostName;
        Bridge bridge(station.ports());
        QSignalSpy tray(&bridge, &Bridge::trayIconRequested);

        QCOMPARE(int(bridge.Form_Load()), outcome);

        QCOMPARE(station.boxes.takeBoxes(), boxes);
        QCOMPARE(bridge.Timer1().isActive(), outcome == int(Outcome::Running));
        if (bridge.Timer1().isActive())
            QCOMPARE(bridge.Timer1().interval(), 30);
        QCOMPARE(bridge.caption(), QStringLiteral("Quorvan Automação V-2.08.08-a"));
        if (boxes != QList<Box> { OverflowBox }) {
            QCOMPARE(tray.size(), 1);
            QCOMPARE(tray.first().first().toInt(), 0);
            QCOMPARE(bridge.EventLB().lines(), QStringList { QStringLiteral("14:05:31 - AutoQuorvan Iniciado: ") });
            QCOMPARE(station.logFile(), QByteArray("14:05:31 - AutoQuorvan Iniciado: \r\n"));
        }
        QCOMPARE(QFile::exists(station.onC(QStringLiteral("vb5/kvt/kvt_cadastro.ini"))), !backOffice);
    }

    void readsSettingsIntoFields_data()
    {
        QTest::addColumn<QByteArray>("bicosText");
        QTest::addColumn<QByteArray>("globalText");
        QTest::addColumn<int>("bicos");
        QTest::addColumn<int>("global"); // 999: the "EmpresaGlobal" box, and 0 stored
        QTest::newRow("8 nozzles") << QByteArray("8") << QByteArray("2") << 8 << 2;
        QTest::newRow("8.5 rounds to 8") << QByteArray("8.5") << QByteArray("2") << 8 << 2;
        QTest::newRow("9.5 rounds to 10") << QByteArray("9.5") << QByteArray("2") << 10 << 2;
        QTest::newRow("12 bicos") << QByteArray("12 bicos") << QByteArray("2") << 12 << 2;
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("2") << 0 << 2;
        QTest::newRow("EmpresaGlobal 0.4 passes, stores 0") << QByteArray("1") << QByteArray("0.4") << 1 << 0;
        QTest::newRow("EmpresaGlobal -3") << QByteArray("1") << QByteArray("-3") << 1 << -3;
        QTest::newRow("EmpresaGlobal 0") << QByteArray("1") << QByteArray("0") << 1 << 999;
        QTest::newRow("EmpresaGlobal empty") << QByteArray("1") << QByteArray("") << 1 << 999;
    }
    void readsSettingsIntoFields()
    {
        QFETCH(QByteArray, bicosText);
        QFETCH(QByteArray, globalText);
        QFETCH(int, bicos);
        QFETCH(int, global);
        TestStation station;
        station.writeIni(ini("Quantidade de Bicos=" + bicosText + "\r\nEmpresaGlobal=" + globalText
            + "\r\nCodigo da Empresa=7\r\nNome da Empresa=Posto " + QByteArray(300, 'x')));
        Bridge bridge(station.ports());
        QCOMPARE(bridge.Form_Load(), Outcome::Running);
        QCOMPARE(station.boxes.takeBoxes(), global == 999 ? QList<Box> { EmpresaGlobalBox } : QList<Box>());
        QCOMPARE(int(bridge.settings().lQuantidadeBicos), bicos);
        QCOMPARE(int(bridge.settings().lCodigoEmpresa), 7);
        QCOMPARE(int(bridge.emailRequest().gEmpresaGlobal), global == 999 ? 0 : global);
        QCOMPARE(bridge.settings().lNomeEmpresa, QStringLiteral("Posto ") + QString(248, u'x'));
        QCOMPARE(bridge.dataNolvex().DatabaseName(), QStringLiteral("C:\\wdn\\matriz"));
    }

    void secondCopyIsRefusedBeforeAnythingElse()
    {
        TestStation station;
        station.writeIni(TestStation::iniFor(4));
        Bridge first(station.ports());
        QCOMPARE(first.Form_Load(), Outcome::Running);
        const QByteArray logBefore = station.logFile();

        Bridge second(station.ports());
        QSignalSpy tray(&second, &Bridge::trayIconRequested);
        QCOMPARE(second.Form_Load(), Outcome::End);
        QCOMPARE(station.boxes.takeBoxes(),
            QList<Box>({ { QStringLiteral("Atenção! Este Programa já encontra-se aberto!"), MessageStyle::Exclamation,
                QStringLiteral("AutoQuorvanNolvex está aberto!") } }));
        QCOMPARE(station.logFile(), logBefore);
        QVERIFY(second.EventLB().lines().isEmpty());
        QVERIFY(tray.isEmpty());
        QVERIFY(first.Timer1().isActive());
    }

    void unloadStopsPollingAndWritesTwoEvents()
    {
        TestStation station;
        station.writeIni(TestStation::iniFor(1));
        BackOfficeAdmin::gravaEncerrante(*station.backOffice, 1, 1, Money::fromUnits(12345000));
        Bridge bridge(station.ports());
        QCOMPARE(bridge.Form_Load(), Outcome::Running);
        bridge.cmdEncerrante_Click();
        QCOMPARE(bridge.EventLB().lines().last(), QStringLiteral("14:05:31 - Bico-1   Encerrante= 1,234.50"));
        bridge.Form_Unload();
        QVERIFY(!bridge.Timer1().isActive());
        QCOMPARE(bridge.EventLB().lines().last(), QStringLiteral("14:05:31 - Objetos de Automação finalizados"));
        QVERIFY(station.logFile().endsWith("14:05:31 - Bico-1   Encerrante= 1,234.50\r\n"
                                           "14:05:31 - Objetos de Automa\xE7\xE3o finalizados\r\n"
                                           "14:05:31 - Finalizando AutoQuorvan\r\n"));
    }

    void backOfficeDownSendsTheMessageBeforeTheBox()
    {
        TestStation station;
        station.writeIni(TestStation::iniFor(4));
        QVERIFY(QFile::remove(station.backOffice->settings().file));
        QDir().mkpath(station.onC(QStringLiteral("vb5/kvt")));
        bool requestWrittenFirst = false;
        station.boxes.whileOpen = [&](const Box&) {
            requestWrittenFirst = QFile::exists(station.onC(QStringLiteral("vb5/kvt/kvt_cadastro.ini")));
        };
        Bridge bridge(station.ports());
        QCOMPARE(bridge.Form_Load(), Outcome::End);
        QCOMPARE(station.boxes.takeBoxes(), QList<Box> { NoBackOfficeBox });
        QVERIFY(requestWrittenFirst);
        QCOMPARE(bridge.lMensagem(),
            QStringLiteral("Empresa: Auto Posto João de Barro\r\nData: 06/12/2026 as 14:05:31\r\n\r\n"
                           "Conexao com banco de dados não ativa ao iniciar o AutoQuorvanNolvex.\r\n"));
        QVERIFY(!QFile::exists(station.backOffice->settings().file));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
