#include "totalizer/totalizerreading.h"

#include "common/error.h"

TotalizerReading::TotalizerReading(
    EventLog& log, BackOfficeObjects& backOffice, MessageBox& messageBox, const StationSettings& settings)
    : m_log(log)
    , m_backOffice(backOffice)
    , m_messageBox(messageBox)
    , m_settings(settings)
{
}

bool TotalizerReading::LeituraEncerrantes()
{
    // An int counter: a 16-bit one would wrap and never end when the count is 32767.
    const int quantidade = m_settings.lQuantidadeBicos;
    bool lido = false;
    for (int bico = 1; bico <= quantidade; ++bico) {
        lido = true;
        clsEncerrante& encerrante = m_backOffice.Encerrante();
        if (!encerrante.Localiza(m_settings.lCodigoEmpresa, qint16(bico)))
            m_messageBox.show(MissingText, MessageStyle::Critical, MissingTitle);
        // Written even when the look-up failed: the operator has seen the box, and the line keeps
        // one entry per nozzle in the log, with whatever the object holds.
        const Money encerranteAtual = encerrante.EncerranteAtual;
        m_log.GravaEvento(m_log.line(QStringLiteral(" - Bico-") + QString::number(bico)
            + QStringLiteral("   Encerrante= ") + encerranteAtual.format(u"##,###,##0.00")));
    }
    return lido;
}

void TotalizerReading::cmdEncerrante_Click()
{
    // A button must never end the program; the log file is where the station's support staff
    // look for the failures of the automation.
    try {
        LeituraEncerrantes();
    } catch (const Error& error) {
        m_log.CriaLogCupom(m_log.line(QStringLiteral(" - ERRO cmdEncerrante_Click: ") + error.description()
            + QStringLiteral(" - Err: ") + QString::number(error.number())));
    } catch (...) {
        m_log.CriaLogCupom(m_log.line(QStringLiteral(" - ERRO cmdEncerrante_Click: Erro Desconhecido!")));
    }
}
