#include "fueling/pumptablereader.h"

#include "common/error.h"
#include "dbase/pumptable.h"

namespace {

// Litres or a total below zero would move the totalizer back: no sale looks like that.
Money notNegative(Money value, const char16_t* field)
{
    if (value < Money())
        throw Error(ErrorNumber::InvalidValue,
            QStringLiteral("Valor inválido: %1=%2").arg(QStringView(field), value.toText(QLocale::c())));
    return value;
}

} // namespace

PumpTableReader::PumpTableReader(DataControl& dataNolvex, FuelingRegistration& registration, FailureLog& failures,
    const Clock& clock, StationStatus& status)
    : m_data(dataNolvex)
    , m_registration(registration)
    , m_failures(failures)
    , m_clock(clock)
    , m_status(status)
{
}

void PumpTableReader::LoopBomba()
{
    qint16 xFase = 0;
    QList<qint64> bookmarks;
    FuelingRegistration::Batch batch;
    std::optional<Failure> readFailure;
    try {
        m_data.setRecordSource(lNomeArquivo);
        m_data.Refresh();
        // The cycle's common case, kept short: nothing waits in the table.
        if (m_data.Eof()) {
            m_failures.clear(lNomeArquivo);
            m_status.nozzle(lBicoAtual, 0, QString(), QString());
            return;
        }
        while (!m_data.Eof()) {
            batch.fuelings.append(readRecord(xFase));
            bookmarks.append(m_data.bookmark());
            m_data.MoveNext();
        }
    } catch (const Error& error) {
        readFailure = failure(error, xFase);
    }
    if (!batch.fuelings.isEmpty())
        m_registration.registerAll(batch, lNomeArquivo);

    QList<Failure> failures;
    qsizetype deleted = 0;
    if (batch.commitFailure) {
        failures.append(*batch.commitFailure);
    } else {
        for (qsizetype i = 0; i < batch.outcomes.size(); ++i)
            m_registration.confirm(batch.fuelings[i], batch.outcomes[i]);
        try {
            for (; deleted < batch.outcomes.size(); ++deleted) {
                m_data.setBookmark(bookmarks[deleted]);
                m_data.Delete();
            }
        } catch (const Error& error) {
            failures.append(failure(error, 18));
        }
    }
    // The first record not registered is what holds the table; those behind it wait their turn.
    if (batch.lookUpError) {
        m_data.setBookmark(bookmarks[batch.outcomes.size()]);
        failures.append(failure(*batch.lookUpError, batch.xFase));
    } else if (batch.held) {
        failures.append(*batch.held);
    } else if (readFailure) {
        failures.append(*readFailure);
    }
    if (failures.isEmpty())
        m_failures.clear(lNomeArquivo);
    for (const Failure& held : std::as_const(failures))
        m_registration.report(held);

    const qint64 waiting = m_data.liveCount() - deleted;
    QStringList reason;
    if (!failures.isEmpty()) {
        for (const QString& message : std::as_const(failures.last().messages))
            reason << message.mid(message.startsWith(QStringLiteral(" - ")) ? 3 : 0).trimmed();
    }
    m_status.nozzle(lBicoAtual, int(waiting), waiting > 0 ? recordMoment(bookmarks.value(deleted, deleted)) : QString(),
        reason.join(u' '));
}

QString PumpTableReader::recordMoment(qint64 bookmark)
{
    m_data.setBookmark(bookmark);
    QStringList parts;
    for (const char16_t* field : { PumpTable::Data, PumpTable::Hora }) {
        try {
            const FieldValue value = m_data.Fields(field);
            parts << (value.type() == 'D' && value.text().size() == 8
                    ? QDate::fromString(value.text(), u"yyyyMMdd").toString(u"yyyy-MM-dd")
                    : value.text());
        } catch (const Error&) {
        }
    }
    return parts.join(u' ').trimmed();
}

Fueling PumpTableReader::readRecord(qint16& xFase)
{
    Fueling fueling;
    xFase = 10;
    const std::optional<DateValue> data = m_data.Fields(PumpTable::Data).toDate();
    xFase = 11;
    fueling.lHora = m_data.Fields(PumpTable::Hora).toDateTime();
    fueling.lData = data ? *data : FuelingDate::forBlank(fueling.lHora, m_clock.now());
    xFase = 12;
    fueling.lBico = lBicoAtual;
    xFase = 13;
    fueling.lQuantidade = notNegative(m_data.Fields(PumpTable::Litros).toMoney(), PumpTable::Litros);
    xFase = 14;
    fueling.lValorTotal = notNegative(m_data.Fields(PumpTable::Valor).toMoney(), PumpTable::Valor);
    return fueling;
}

PumpTableReader::Failure PumpTableReader::failure(const Error& error, qint16 xFase) const
{
    Failure failure;
    // A record's failure is its own: once it is repaired, the next stuck record of the table is
    // reported at once instead of being taken for the same failure.
    failure.source = xFase >= 10 && xFase < 18 ? lNomeArquivo + u' ' + m_data.recordKey() : lNomeArquivo;
    QStringList& lines = failure.messages;
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
    return failure;
}
