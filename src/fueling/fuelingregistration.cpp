#include "fueling/fuelingregistration.h"

#include "common/conversions.h"
#include "common/error.h"

namespace {

QString errorSuffix(const Error& error)
{
    return error.description() + QStringLiteral(" - Err: ") + QString::number(error.number());
}

} // namespace

FuelingRegistration::FuelingRegistration(
    EventLog& log, FailureLog& failures, BackOfficeObjects& backOffice, const StationSettings& settings)
    : m_log(log)
    , m_failures(failures)
    , m_backOffice(backOffice)
    , m_settings(settings)
{
}

QString FuelingRegistration::failureSource() const
{
    return QStringLiteral("AutoAtualTabeAbastecimento %1").arg(lBico);
}

FuelingRegistration::Outcome FuelingRegistration::registerFueling()
{
    try {
        const Outcome outcome = insert();
        if (outcome != Outcome::Refused)
            m_failures.clear(failureSource());
        return outcome;
    } catch (const Error& error) {
        m_failures.report(
            failureSource(), { QStringLiteral(" - ERRO AutoAtualTabeAbastecimento: ") + errorSuffix(error) });
        return Outcome::Failed;
    }
}

FuelingRegistration::Outcome FuelingRegistration::insert()
{
    clsAbastecimento& abastecimento = m_backOffice.Abastecimento();
    if (abastecimento.Existe(m_settings.lCodigoEmpresa, lData, lHora, lBico))
        return Outcome::AlreadyRegistered;

    abastecimento.CodigoEmpresa = m_settings.lCodigoEmpresa;
    abastecimento.DataAbastecimento = lData;
    abastecimento.HoraAbastecimento = lHora;
    abastecimento.Campo05 = QString();
    abastecimento.NumeroBico = lBico;
    abastecimento.CodigoProduto = lCodigoProduto;
    abastecimento.ValorUnitario = lValorUnitario;
    abastecimento.Quantidade = lQuantidade;
    abastecimento.ValorTotal = lValorTotal;
    abastecimento.Campo10 = 0;
    abastecimento.Campo11 = 0;
    abastecimento.Campo12 = 0;
    abastecimento.Campo13 = QString();
    abastecimento.Campo14 = Money();
    abastecimento.Campo15 = QString();
    abastecimento.Campo16 = QString();
    abastecimento.Campo17 = QString();
    abastecimento.Campo18 = Money();
    abastecimento.Campo19 = Money() - lQuantidade;
    abastecimento.Campo20 = QString();
    abastecimento.Campo21 = 0;
    abastecimento.Campo22 = 0;

    if (!abastecimento.Inclui()) {
        m_failures.report(failureSource(),
            { QStringLiteral(" - ** ERRO ** Abastecimento Não Foi Incluído: Data=") + lData.toText()
                + QStringLiteral(" - Hora=") + lHora.toText() + QStringLiteral(" - Bico=") + QString::number(lBico)
                + QStringLiteral(" - Valor Total=") + lValorTotal.toText() });
        return Outcome::Refused;
    }
    m_log.GravaEvento(m_log.line(QStringLiteral(" - Gravado no Banco Bico-") + QString::number(lBico)
        + QStringLiteral("   Total= ") + lValorTotal.format(u"##,###,##0.00")));
    AutoAtualTabeEncerranteAtual();
    return Outcome::Inserted;
}

void FuelingRegistration::AutoAtualTabeEncerranteAtual()
{
    try {
        clsEncerrante& encerrante = m_backOffice.Encerrante();
        if (!encerrante.Localiza(m_settings.lCodigoEmpresa, lBico)) {
            m_log.CriaLogCupom(m_log.line(
                QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: bico não cadastrado=") + QString::number(lBico)));
            return;
        }
        encerrante.EncerranteAtual = encerrante.EncerranteAtual + lQuantidade;
        if (!encerrante.Altera(m_settings.lCodigoEmpresa, lBico))
            m_log.CriaLogCupom(m_log.line(
                QStringLiteral(
                    " - ERRO AutoAtualTabeEncerranteAtual: Não foi possível alterar Encerrante Atual do bico=")
                + QString::number(lBico)));
    } catch (const Error& error) {
        m_log.CriaLogCupom(m_log.line(QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: ") + errorSuffix(error)));
    }
}

void FuelingRegistration::AutoAtualizaAbastecimento(
    qint16 pBico, Money pValorUnitario, Money pQuantidade, Money pValorTotal)
{
    try {
        lBico = pBico;
        lValorUnitario = pValorUnitario;
        lQuantidade = pQuantidade;
        lValorTotal = pValorTotal;
        // A caller cannot give a date and time; the last pump record's would be wrong, and the
        // duplicate check could then drop this fueling.
        const QDateTime now = m_log.clock().now();
        lData = DateValue::fromDate(now.date());
        lHora = DateValue::fromTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));

        clsBico& bico = m_backOffice.Bico();
        lCodigoProduto = bico.Localiza(m_settings.lCodigoEmpresa, lBico) ? toInteger16(bico.CodigoProduto) : 0;
        if (lValorUnitario.isZero())
            completePrice();
    } catch (const Error& error) {
        m_log.CriaLogCupom(m_log.line(QStringLiteral(" ERRO AutoAtualizaAbastecimento: - ") + error.description()
            + QStringLiteral(" - lPassoDebugarErroAbast:") + QStringLiteral(" - Err: ")
            + QString::number(error.number())));
        return;
    }
    AutoAtualTabeAbastecimento();
}

void FuelingRegistration::completePrice()
{
    clsProduto& produto = m_backOffice.Produto();
    if (produto.Localiza(lCodigoProduto)) {
        clsEstoque& estoque = m_backOffice.Estoque();
        if (!estoque.Localiza(m_settings.lCodigoEmpresa, lCodigoProduto))
            m_log.CriaLogCupom(m_log.line(QStringLiteral(" AutoAtualizaAbastecimento: - Estoque não cadastrado.")));
        else if (!estoque.ValorUnitario.isZero())
            lValorUnitario = estoque.ValorUnitario;
        else
            lValorUnitario = produto.ValorUnitario;
    }
    // The total is rounded to whole cents (halves away from zero) the way the pattern writes it,
    // and read back; our own text always reads back.
    const QLocale locale;
    lValorTotal = *Money::fromText((lValorUnitario * lQuantidade).format(u"00000000.00", locale), locale);
}
