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

// Deletes without forcing. Windows refuses to delete a read-only file unless forced; here only the
// folder's permissions count, and not even those for root, so the owner's write bit stands in for
// the read-only flag. A requester that protects a file keeps it.
void deleteNotForced(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        throw Error(ErrorNumber::FileNotFound, QStringLiteral("Arquivo não encontrado: %1").arg(path));
    if (!file.permissions().testFlag(QFileDevice::WriteOwner))
        throw Error(ErrorNumber::PermissionDenied, QStringLiteral("Permissão negada: %1").arg(path));
    if (!file.remove())
        throw Error(
            ErrorNumber::PermissionDenied, QStringLiteral("Permissão negada: %1 (%2)").arg(path, file.errorString()));
}

void deleteIfExists(const QString& path)
{
    if (fileExists(path))
        deleteNotForced(path);
}

// The line a request holds after its optional header.
QString commandLine(const QStringList& lines, const QString& path)
{
    const qsizetype index = !lines.isEmpty() && lines.first() == RequestExchange::Cabecalho ? 1 : 0;
    if (index >= lines.size())
        throw Error(ErrorNumber::InputPastEnd, QStringLiteral("Entrada além do fim do arquivo: %1").arg(path));
    return lines.at(index);
}

QStringList resposta(bool lLeituraOK)
{
    return { QStringLiteral("[RETORNO AUTOMACAO]"), RequestExchange::ComandoLeitura,
        lLeituraOK ? QStringLiteral("Retorno=OK") : QStringLiteral("Retorno=ERRO"), QStringLiteral("Parametro=??") };
}

} // namespace

RequestExchange::RequestExchange(TotalizerReading& reading, EventLog& log, const Drives& drives)
    : m_reading(reading)
    , m_log(log)
    , m_drives(drives)
{
}

void RequestExchange::VerificaSolicitacaoExtra()
{
    try {
        serve();
    } catch (...) {
        // What failed stays where it is; the request, still in place, is served from the start at
        // the next check.
        m_log.CriaLogCupom(m_log.line(QStringLiteral(" - ERRO VerificaSolicitacaoExtra: Erro Desconhecido!")));
    }
}

void RequestExchange::serve()
{
    // Every path is resolved again when it is used: the names of the folder's files change during
    // the call, and a file that was deleted must be created with its name as written.
    const QString request = local(Solicitacao);
    if (!fileExists(request))
        return;
    // Read whole and closed at once, so no failure further on can leave the request held open.
    // TextFile also takes a line feed alone as a line end, for requesters written elsewhere.
    const QString command = commandLine(TextFile::readLines(request), request);

    if (command != ComandoLeitura) {
        m_log.CriaLogCupom(m_log.line(QStringLiteral(" - Solicitacao Não Identificada.")));
        deleteNotForced(local(Solicitacao));
        return;
    }

    m_log.GravaEvento(m_log.line(QStringLiteral(" - Solicitacao de Leitura de Encerrante Iniciada.")));
    const bool lLeituraOK = m_reading.LeituraEncerrantes();
    // An old response goes only now, after the reading: until then a requester still finds the
    // last complete one.
    deleteIfExists(local(RespostaTemporaria));
    deleteIfExists(local(Resposta));
    TextFile::writeLines(local(RespostaTemporaria), resposta(lLeituraOK));
    deleteIfExists(local(Solicitacao));
    const QString written = local(RespostaTemporaria);
    if (fileExists(written)) {
        // QFile::rename never replaces a file, just as the move the requester relies on.
        const QString target = local(Resposta);
        QFile file(written);
        if (!file.rename(target))
            throw Error(ErrorNumber::FileAccess,
                QStringLiteral("Erro de acesso ao arquivo: %1 (%2)").arg(target, file.errorString()));
    }
    m_log.GravaEvento(m_log.line(QStringLiteral(" - Solicitacao de Leitura de Encerrante Concluída.")));
}
