#include "bridge/bridge.h"
#include "common/conversions.h"
#include "common/error.h"
#include "common/leini.h"
#include "notify/mdl_socket_ip.h"

#include <QDir>

namespace {

const QString IniFile = QStringLiteral("AutoQuorvan.INI");

// The box a start-up error ends with: its number and description, as the station's staff know
// them from the old runtime's boxes.
QString errorText(int number, const QString& description)
{
    return QStringLiteral("Erro em tempo de execução '%1':\n\n%2").arg(number).arg(description);
}

} // namespace

Bridge::StartupOutcome Bridge::Form_Load()
{
    try {
        return runStartup();
    } catch (const Error& error) {
        m_ports.messageBox.show(errorText(error.number(), error.description()), MessageStyle::Critical);
    } catch (const std::exception& error) {
        m_ports.messageBox.show(
            errorText(ErrorNumber::Internal, QString::fromLocal8Bit(error.what())), MessageStyle::Critical);
    }
    return StartupOutcome::End;
}

QString Bridge::readSetting(const QString& section, const QString& key) const
{
    return RotinasGerais::LeIni(section, key, m_ports.drives.toLocal(lDiretorioSistema + IniFile));
}

QString Bridge::startupMessage(const QDateTime& moment) const
{
    return QStringLiteral("Empresa: ") + m_settings.lNomeEmpresa + QStringLiteral("\r\n") + QStringLiteral("Data: ")
        + moment.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" as ")
        + moment.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("\r\n\r\n")
        + QStringLiteral("Conexao com banco de dados não ativa ao iniciar o AutoQuorvanNolvex.\r\n");
}

Bridge::StartupOutcome Bridge::runStartup()
{
    m_caption = DesignedCaption + QStringLiteral(" V-") + gVersao;
    Q_EMIT captionChanged(m_caption);

    switch (m_instance.acquire()) {
    case SingleInstance::Result::Acquired:
        break;
    case SingleInstance::Result::Running:
        m_ports.messageBox.show(QStringLiteral("Atenção! Este Programa já encontra-se aberto!"),
            MessageStyle::Exclamation, QStringLiteral("AutoQuorvanNolvex está aberto!"));
        return StartupOutcome::End;
    case SingleInstance::Result::Failed:
        m_ports.messageBox.show(QStringLiteral("Não foi possível criar o arquivo de trava %1.\n"
                                               "O AutoQuorvan não será iniciado, para que nenhum abastecimento seja "
                                               "registrado em dobro.\nEntre em contato com o suporte técnico.")
                                    .arg(m_instance.failure()),
            MessageStyle::Critical, QStringLiteral("Erro de Configuração!"));
        return StartupOutcome::End;
    }

    m_polling.lContadorTimer = 0;
    m_eventLog.lGravaLogArquivo = true;
    lDiretorioSistema = SystemFolder;

    m_dataNolvex.setDatabaseName(
        readSetting(QStringLiteral("LOCALIZACAO"), QStringLiteral("Local banco dados nolvex")));
    m_settings.lQuantidadeBicos
        = roundToInteger16(leadingNumber(readSetting(QStringLiteral("OUTRAS"), QStringLiteral("Quantidade de Bicos"))));
    m_settings.lCodigoEmpresa
        = roundToInteger16(leadingNumber(readSetting(QStringLiteral("OUTRAS"), QStringLiteral("Codigo da Empresa"))));
    m_settings.lNomeEmpresa = readSetting(QStringLiteral("OUTRAS"), QStringLiteral("Nome da Empresa"));

    if (leadingNumber(readSetting(QStringLiteral("OUTRAS"), QStringLiteral("EmpresaGlobal"))) == 0) {
        m_ports.messageBox.show(QStringLiteral("O Arquivo AutoQuorvan.INI, deve ter o campo EmpresaGlobal!\r\n"
                                               "Entre em contato com o suporte técnico."),
            MessageStyle::Critical, QStringLiteral("Erro de Configuração!"));
        m_email.gEmpresaGlobal = 0;
    } else {
        m_email.gEmpresaGlobal
            = roundToInteger16(leadingNumber(readSetting(QStringLiteral("OUTRAS"), QStringLiteral("EmpresaGlobal"))));
    }
    // Closed during the settings box: nothing has been logged or shown yet, so nothing is undone.
    if (m_closeRequested)
        return StartupOutcome::Closed;

    m_eventLog.GravaEvento(m_eventLog.line(QStringLiteral(" - AutoQuorvan Iniciado: ")));
    Q_EMIT trayIconRequested(0);

    clsConexao& conexao = m_backOffice.Conexao();
    const QDateTime checkedAt = m_ports.clock.now();
    if (!conexao.Ativa()) {
        // The box says only that the database does not answer; the log keeps why, for support.
        m_eventLog.CriaLogCupom(
            m_eventLog.line(QStringLiteral(" - ERRO clsConexao.Ativa: ") + m_ports.backOffice.failure()));
        m_lMensagem = startupMessage(checkedAt);
        m_email.EnviaMensagemEmail(QString::number(m_settings.lCodigoEmpresa), m_settings.lNomeEmpresa,
            QStringLiteral("AutoQuorvan QX!"), m_lMensagem, 0, m_email.gCodigoMensagemAberta);
        m_ports.messageBox.show(
            QStringLiteral("A automação não irá funcionar por falta de comunicação com o banco de dados!\n"
                           "Entre em contato com o suporte técnico."),
            MessageStyle::Critical, QStringLiteral("Erro de Comunicação!"));
        return StartupOutcome::End;
    }

    const QString configured = readSetting(QStringLiteral("LOCALIZACAO"), QStringLiteral("Computador com automacao"));
    const QString current = mdl_socket_ip::NomeComputadorLocal(m_ports.host, m_ports.messageBox);
    const bool otherComputer = configured.toUpper() != current.toUpper();
    if (otherComputer) {
        const QString again = mdl_socket_ip::NomeComputadorLocal(m_ports.host, m_ports.messageBox);
        m_ports.messageBox.show(QStringLiteral("Configurado para executar no computador: ") + configured.toUpper()
                + QStringLiteral("\r\nComputador atual: ") + again.toUpper(),
            MessageStyle::Critical, QStringLiteral("Erro de Configuração!"));
    }
    // Closed during a box after the start-up event: closed as any running bridge is, so the log
    // shows the end of the run whose start it shows, and polling never starts.
    if (m_closeRequested) {
        Q_EMIT trayIconRequested(2);
        Form_Unload();
        return StartupOutcome::Closed;
    }
    if (otherComputer)
        return StartupOutcome::Idle;
    // Only a relative pump database directory in the settings depends on this; a drive that is
    // not there stops start-up like any other error of its steps.
    if (!QDir::setCurrent(m_ports.drives.driveFolder(u'C')))
        throw Error(ErrorNumber::DeviceUnavailable, QStringLiteral("Dispositivo não disponível: C:"));
    m_status.started(m_settings.lCodigoEmpresa, current, gVersao);
    m_polling.start();
    return StartupOutcome::Running;
}
