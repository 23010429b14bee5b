#include "fueling/fuelingregistration.h"

#include "common/conversions.h"
#include "common/error.h"

namespace {

QString errorSuffix(const Error& error)
{
    return error.description() + QStringLiteral(" - Err: ") + QString::number(error.number());
}

} // namespace

FuelingRegistration::FuelingRegistration(EventLog& log, FailureLog& failures, BackOfficeObjects& backOffice,
    const StationSettings& settings, const Clock& clock)
    : m_log(log)
    , m_failures(failures)
    , m_backOffice(backOffice)
    , m_settings(settings)
    , m_clock(clock)
{
}

QString FuelingRegistration::failureSource(const Fueling& fueling)
{
    // By the sale, so a second stuck sale of the same nozzle is reported as soon as it is met.
    return QStringLiteral("AutoAtualTabeAbastecimento %1 %2 %3")
        .arg(fueling.lBico)
        .arg(fueling.lData.days(), 0, 'f', 0)
        .arg(fueling.lHora.days(), 0, 'f', 8);
}

void FuelingRegistration::registerAll(Batch& batch, const QString& commitSource)
{
    clsConexao& conexao = m_backOffice.Conexao();
    conexao.database().call([&] {
        BackOfficeTransaction transaction(conexao);
        for (Fueling& fueling : batch.fuelings) {
            if (batch.lookUpNozzles) {
                try {
                    lookUpNozzle(fueling, batch.xFase);
                } catch (const Error& error) {
                    batch.lookUpError = error;
                    transaction.markFailed();
                    break;
                }
            }
            const Outcome outcome = registerFueling(transaction, fueling, batch.held);
            if (outcome == Outcome::Held)
                break;
            batch.outcomes.append(outcome);
        }
        try {
            transaction.commit();
        } catch (const Error& error) {
            batch.commitFailure = Failure { commitSource,
                { QStringLiteral(" - ERRO AutoAtualTabeAbastecimento: ") + errorSuffix(error) } };
        }
    });
}

FuelingRegistration::Outcome FuelingRegistration::registerFueling(
    BackOfficeTransaction& transaction, const Fueling& fueling, std::optional<Failure>& held)
{
    m_trap = "AutoAtualTabeAbastecimento";
    try {
        BackOfficeTransaction::Savepoint savepoint(transaction);
        const Outcome outcome = insert(fueling, held);
        if (outcome != Outcome::Held)
            savepoint.release();
        return outcome;
    } catch (const Error& error) {
        held = Failure { failureSource(fueling),
            { QStringLiteral(" - ERRO %1: ").arg(QLatin1StringView(m_trap)) + errorSuffix(error) } };
        return Outcome::Held;
    }
}

void FuelingRegistration::confirm(const Fueling& fueling, Outcome outcome)
{
    m_failures.clear(failureSource(fueling));
    if (outcome != Outcome::Inserted && outcome != Outcome::InsertedWithoutTotalizer)
        return;
    m_log.GravaEvento(m_log.line(QStringLiteral(" - Gravado no Banco Bico-") + QString::number(fueling.lBico)
        + QStringLiteral("   Total= ") + fueling.lValorTotal.format(u"##,###,##0.00")));
    if (outcome == Outcome::InsertedWithoutTotalizer)
        m_log.CriaLogCupom(m_log.line(QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: bico não cadastrado=")
            + QString::number(fueling.lBico)));
}

FuelingRegistration::Outcome FuelingRegistration::insert(const Fueling& fueling, std::optional<Failure>& held)
{
    clsAbastecimento& abastecimento = m_backOffice.Abastecimento();
    if (abastecimento.Existe(m_settings.lCodigoEmpresa, fueling.lData, fueling.lHora, fueling.lBico)) {
        if (abastecimento.Quantidade == fueling.lQuantidade && abastecimento.ValorTotal == fueling.lValorTotal)
            return Outcome::AlreadyRegistered;
        // Another sale under the key of a registered one: deleting it would lose the sale.
        held = Failure { failureSource(fueling),
            { QStringLiteral(" - ** ERRO ** Abastecimento já registrado com outros valores: Data=")
                + fueling.lData.toText() + QStringLiteral(" - Hora=") + fueling.lHora.toText()
                + QStringLiteral(" - Bico=") + QString::number(fueling.lBico) + QStringLiteral(" - Litros=")
                + fueling.lQuantidade.toText() + QStringLiteral(" (registrado ") + abastecimento.Quantidade.toText()
                + QStringLiteral(") - Valor Total=") + fueling.lValorTotal.toText() + QStringLiteral(" (registrado ")
                + abastecimento.ValorTotal.toText() + u')' } };
        return Outcome::Held;
    }

    abastecimento.CodigoEmpresa = m_settings.lCodigoEmpresa;
    abastecimento.DataAbastecimento = fueling.lData;
    abastecimento.HoraAbastecimento = fueling.lHora;
    abastecimento.Campo05 = QString();
    abastecimento.NumeroBico = fueling.lBico;
    abastecimento.CodigoProduto = fueling.lCodigoProduto;
    abastecimento.ValorUnitario = fueling.lValorUnitario;
    abastecimento.Quantidade = fueling.lQuantidade;
    abastecimento.ValorTotal = fueling.lValorTotal;
    abastecimento.Campo10 = 0;
    abastecimento.Campo11 = 0;
    abastecimento.Campo12 = 0;
    abastecimento.Campo13 = QString();
    abastecimento.Campo14 = Money();
    abastecimento.Campo15 = QString();
    abastecimento.Campo16 = QString();
    abastecimento.Campo17 = QString();
    abastecimento.Campo18 = Money();
    abastecimento.Campo19 = Money() - fueling.lQuantidade;
    abastecimento.Campo20 = QString();
    abastecimento.Campo21 = 0;
    abastecimento.Campo22 = 0;

    if (!abastecimento.Inclui()) {
        held = Failure { failureSource(fueling),
            { QStringLiteral(" - ** ERRO ** Abastecimento Não Foi Incluído: Data=") + fueling.lData.toText()
                + QStringLiteral(" - Hora=") + fueling.lHora.toText() + QStringLiteral(" - Bico=")
                + QString::number(fueling.lBico) + QStringLiteral(" - Valor Total=") + fueling.lValorTotal.toText() } };
        return Outcome::Held;
    }
    m_trap = "AutoAtualTabeEncerranteAtual";
    switch (AutoAtualTabeEncerranteAtual(fueling)) {
    case Totalizer::Moved:
        return Outcome::Inserted;
    case Totalizer::Missing:
        return Outcome::InsertedWithoutTotalizer;
    case Totalizer::NotStored:
        break;
    }
    // Without its litres in the totalizer the sale is not registered either: both wait together.
    held = Failure { failureSource(fueling),
        { QStringLiteral(" - ERRO AutoAtualTabeEncerranteAtual: Não foi possível alterar Encerrante Atual do bico=")
            + QString::number(fueling.lBico) } };
    return Outcome::Held;
}

FuelingRegistration::Totalizer FuelingRegistration::AutoAtualTabeEncerranteAtual(const Fueling& fueling)
{
    // Inside the registration's transaction, which holds the write lock: a totalizer set by the
    // administration tool meanwhile is either wholly before this increment or wholly after it.
    clsEncerrante& encerrante = m_backOffice.Encerrante();
    if (!encerrante.Localiza(m_settings.lCodigoEmpresa, fueling.lBico))
        return Totalizer::Missing;
    encerrante.EncerranteAtual = encerrante.EncerranteAtual + fueling.lQuantidade;
    encerrante.Momento = QDateTime(fueling.lData.date(), fueling.lHora.time());
    encerrante.DataAbastecimento = fueling.lData;
    encerrante.HoraAbastecimento = fueling.lHora;
    return encerrante.Altera(m_settings.lCodigoEmpresa, fueling.lBico) ? Totalizer::Moved : Totalizer::NotStored;
}

bool FuelingRegistration::AutoAtualTabeAbastecimento(const Fueling& fueling)
{
    Batch batch;
    batch.fuelings = { fueling };
    batch.lookUpNozzles = false;
    registerAll(batch, failureSource(fueling));
    for (const auto& failure : { batch.held, batch.commitFailure }) {
        if (failure)
            report(*failure);
    }
    if (batch.commitFailure || batch.outcomes.isEmpty())
        return false;
    confirm(fueling, batch.outcomes.first());
    return batch.outcomes.first() != Outcome::AlreadyRegistered;
}

void FuelingRegistration::lookUpNozzle(Fueling& fueling, qint16& xFase)
{
    xFase = 15;
    fueling.lCodigoProduto = 0;
    fueling.lValorUnitario = Money();
    clsBico& bico = m_backOffice.Bico();
    if (!bico.Localiza(m_settings.lCodigoEmpresa, fueling.lBico))
        return;
    xFase = 16;
    fueling.lCodigoProduto = toInteger16(bico.CodigoProduto);
    xFase = 17;
    fueling.lValorUnitario = bico.ValorUnitario;
}

void FuelingRegistration::AutoAtualizaAbastecimento(
    qint16 pBico, Money pValorUnitario, Money pQuantidade, Money pValorTotal)
{
    Fueling fueling;
    try {
        fueling.lBico = pBico;
        // A caller cannot give a date and time; the last pump record's would be wrong, and the
        // duplicate check could then drop this fueling.
        const QDateTime now = m_clock.now();
        fueling.lData = DateValue::fromDate(now.date());
        fueling.lHora = DateValue::fromTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
        qint16 step = 0;
        lookUpNozzle(fueling, step);
        fueling.lValorUnitario = pValorUnitario;
        fueling.lQuantidade = pQuantidade;
        fueling.lValorTotal = pValorTotal;
        if (fueling.lValorUnitario.isZero())
            completePrice(fueling);
    } catch (const Error& error) {
        m_log.CriaLogCupom(m_log.line(QStringLiteral(" ERRO AutoAtualizaAbastecimento: - ") + error.description()
            + QStringLiteral(" - lPassoDebugarErroAbast:") + QStringLiteral(" - Err: ")
            + QString::number(error.number())));
        return;
    }
    AutoAtualTabeAbastecimento(fueling);
}

void FuelingRegistration::completePrice(Fueling& fueling)
{
    clsProduto& produto = m_backOffice.Produto();
    if (produto.Localiza(fueling.lCodigoProduto)) {
        clsEstoque& estoque = m_backOffice.Estoque();
        if (!estoque.Localiza(m_settings.lCodigoEmpresa, fueling.lCodigoProduto))
            m_log.CriaLogCupom(m_log.line(QStringLiteral(" AutoAtualizaAbastecimento: - Estoque não cadastrado.")));
        else if (!estoque.ValorUnitario.isZero())
            fueling.lValorUnitario = estoque.ValorUnitario;
        else
            fueling.lValorUnitario = produto.ValorUnitario;
    }
    // The total is rounded to whole cents (halves away from zero) the way the pattern writes it,
    // and read back; our own text always reads back.
    const QLocale locale;
    fueling.lValorTotal
        = *Money::fromText((fueling.lValorUnitario * fueling.lQuantidade).format(u"00000000.00", locale), locale);
}
