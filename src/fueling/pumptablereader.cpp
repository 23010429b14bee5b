#include "fueling/pumptablereader.h"

#include "common/conversions.h"
#include "common/error.h"

PumpTableReader::PumpTableReader(DataControl& dataNolvex, FuelingRegistration& registration,
    BackOfficeObjects& backOffice, FailureLog& failures, const Clock& clock, const StationSettings& settings)
    : m_data(dataNolvex)
    , m_registration(registration)
    , m_backOffice(backOffice)
    , m_failures(failures)
    , m_clock(clock)
    , m_settings(settings)
{
}

void PumpTableReader::LoopBomba()
{
    qint16 xFase = 0;
    try {
        readTable(xFase);
        m_failures.clear(lNomeArquivo);
    } catch (const Error& error) {
        m_failures.report(lNomeArquivo, failureLines(error, xFase));
    }
}

void PumpTableReader::readTable(qint16& xFase)
{
    m_data.setRecordSource(lNomeArquivo);
    m_data.Refresh();
    if (m_data.Eof())
        return;
    m_data.MoveFirst();
    while (!m_data.Eof()) {
        readRecord(xFase);
        xFase = 18;
        const FuelingRegistration::Outcome outcome = m_registration.registerFueling();
        // A fueling the back-office did not store stays in the table, and so do the ones behind
        // it, so that they are registered in order once the back-office takes them.
        if (outcome == FuelingRegistration::Outcome::Refused || outcome == FuelingRegistration::Outcome::Failed)
            return;
        m_data.Delete();
        m_data.MoveNext();
    }
}

void PumpTableReader::readRecord(qint16& xFase)
{
    FuelingRegistration& fueling = m_registration;
    xFase = 10;
    const auto data = m_data.Fields(PumpTable::Data).toDate();
    fueling.lData = data ? DateValue::fromDate(data->date()) : DateValue::fromDate(m_clock.now().date());
    xFase = 11;
    fueling.lHora = m_data.Fields(PumpTable::Hora).toDateTime();
    xFase = 12;
    fueling.lBico = lBicoAtual;
    xFase = 13;
    fueling.lQuantidade = m_data.Fields(PumpTable::Litros).toMoney();
    xFase = 14;
    fueling.lValorTotal = m_data.Fields(PumpTable::Valor).toMoney();
    xFase = 15;
    fueling.lCodigoProduto = 0;
    fueling.lValorUnitario = Money();
    clsBico& bico = m_backOffice.Bico();
    if (bico.Localiza(m_settings.lCodigoEmpresa, lBicoAtual)) {
        xFase = 16;
        fueling.lCodigoProduto = toInteger16(bico.CodigoProduto);
        xFase = 17;
        fueling.lValorUnitario = bico.ValorUnitario;
    }
}

QStringList PumpTableReader::failureLines(const Error& error, qint16 xFase) const
{
    QStringList lines;
    if (xFase == 0) {
        lines << QStringLiteral(" - ERRO LoopBomba: dataNolvex.DatabaseName=") + m_data.DatabaseName()
              << QStringLiteral(" - ERRO LoopBomba: dataNolvex.RecordSource=") + m_data.RecordSource();
    }
    switch (error.number()) {
    case ErrorNumber::NoCurrentRecord:
        break;
    case ErrorNumber::InvalidUseOfNull:
        lines << QStringLiteral(" - ERRO LoopBomba: ERRO: ") + error.description()
              << QStringLiteral(" - ERRO LoopBomba: lNomeArquivo: ") + lNomeArquivo + QStringLiteral(" xFase=")
                + QString::number(xFase);
        break;
    default:
        lines << QStringLiteral(" - ERRO LoopBomba: Erro Desconhecido! ") + lNomeArquivo + QStringLiteral(" xFase=")
                + QString::number(xFase)
              << QStringLiteral(" - ERRO: ") + QString::number(error.number()) + QStringLiteral(" - ")
                + error.description();
    }
    return lines;
}
