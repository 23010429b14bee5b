#include "totalizer/requestexchange.h"

#include "common/error.h"
#include "common/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

// Only a file counts: a folder named like the request is no request, and one in the response's
// place is left alone, so the rename fails and says so.
bool fileExists(const QString& path)
{
    return QFileInfo(path).isFile();
}

QStringList resposta(bool lLeituraOK)
{
    return { QStringLiteral("[RETORNO AUTOMACAO]"), RequestExchange::ComandoLeitura,
        lLeituraOK ? QStringLiteral("Retorno=OK") : QStringLiteral("Retorno=ERRO"), QStringLiteral("Parametro=??") };
}

} // namespace

QString RequestExchange::commandLine(const QStringList& lines, const QString& path)
{
    const qsizetype index = !lines.isEmpty() && lines.first() == Cabecalho ? 1 : 0;
    if (index >= lines.size())
        throw Error(ErrorNumber::InputPastEnd, QStringLiteral("Entrada além do fim do arquivo: %1").arg(path));
    return lines.at(index);
}

RequestExchange::RequestExchange(TotalizerReading& reading, EventLog& log, FailureLog& failures, const Drives& drives)
    : m_reading(reading)
    , m_log(log)
    , m_failures(failures)
    , m_drives(drives)
{
}

void RequestExchange::VerificaSolicitacaoExtra()
{
    static const QString Source = QStringLiteral("VerificaSolicitacaoExtra");
    try {
        serve();
        m_failures.clear(Source);
    } catch (...) {
        // What failed stays where it is; the request, still in place, is served from the start at
        // the next check, every tenth cycle: its line goes once to each hour's file.
        m_failures.report(Source, { QStringLiteral(" - ERRO VerificaSolicitacaoExtra: Erro Desconhecido!") });
    }
}

bool RequestExchange::folderUnchanged()
{
    if (m_folder.isEmpty())
        m_folder = QFile::encodeName(local(Solicitacao.section(u'\\', 0, -2)));
    FileSnapshot now;
    if (!FileSnapshot::take(m_folder, now)) {
        m_folder.clear();
        m_idle.reset();
        return false;
    }
    if (m_idle && *m_idle == now)
        return true;
    m_idle.reset();
    m_looked = now;
    return false;
}

void RequestExchange::checkRemovable(const QString& path) const
{
    const QFileInfo info(path);
    if (info.isFile() && !info.isSymLink() && !info.permissions().testFlag(QFileDevice::WriteOwner))
        throw Error(ErrorNumber::PermissionDenied, QStringLiteral("Permissão negada: %1").arg(path));
}

void RequestExchange::serve()
{
    // Every path is resolved again when it is used: the names of the folder's files change during
    // the call, and a file that was deleted must be created with its name as written.
    if (folderUnchanged())
        return;
    const QString request = local(Solicitacao);
    if (!fileExists(request)) {
        if (m_looked.quiet)
            m_idle = m_looked;
        return;
    }
    // Read whole and closed at once, so no failure further on can leave the request held open.
    // TextFile also takes a line feed alone as a line end, for requesters written elsewhere.
    const QString command = commandLine(TextFile::readLines(request, MaxRequestBytes), request);
    // A request that could not be answered would be read again every tenth cycle, each time with
    // its lines in the list and the log: what would fail the answer is found before anything is
    // written.
    checkRemovable(request);

    if (command != ComandoLeitura) {
        m_log.CriaLogCupom(m_log.line(QStringLiteral(" - Solicitacao Não Identificada.")));
        TextFile::remove(local(Solicitacao), TextFile::Removal::NotForced);
        return;
    }

    checkRemovable(local(RespostaTemporaria));
    checkRemovable(local(Resposta));

    m_log.GravaEvento(m_log.line(QStringLiteral(" - Solicitacao de Leitura de Encerrante Iniciada.")));
    const bool lLeituraOK = m_reading.LeituraEncerrantes();
    // An old response goes only now, after the reading: until then a requester still finds the
    // last complete one.
    TextFile::remove(local(RespostaTemporaria), TextFile::Removal::NotForced);
    TextFile::remove(local(Resposta), TextFile::Removal::NotForced);
    TextFile::writeLines(local(RespostaTemporaria), resposta(lLeituraOK));
    TextFile::remove(local(Solicitacao), TextFile::Removal::NotForced);
    if (fileExists(local(RespostaTemporaria)))
        TextFile::move(local(RespostaTemporaria), local(Resposta));
    m_log.GravaEvento(m_log.line(QStringLiteral(" - Solicitacao de Leitura de Encerrante Concluída.")));
}
