#pragma once

#include "common/drives.h"
#include "common/filesnapshot.h"
#include "eventlog/eventlog.h"
#include "eventlog/failurelog.h"
#include "totalizer/totalizerreading.h"

// The file exchange through which another program of the station asks for a totalizer reading:
// it drops a request into C:\Automacao and finds the response there. The files are the only link,
// so their order is the whole protocol: the response appears complete, by a rename, and only once
// the request is gone.
class RequestExchange {
public:
    static inline const QString Solicitacao = QStringLiteral("C:\\Automacao\\Solicitacao.txt");
    static inline const QString RespostaTemporaria = QStringLiteral("C:\\Automacao\\Resposta.tmp");
    static inline const QString Resposta = QStringLiteral("C:\\Automacao\\Resposta.txt");

    static inline const QString Cabecalho = QStringLiteral("[PEDIDO AUTOMACAO]");
    static inline const QString ComandoLeitura = QStringLiteral("Comando=AUTOMACAO LEITURA ENCERRANTE");
    // A request is two short lines; anything much longer is refused unread.
    static constexpr qint64 MaxRequestBytes = 64 * 1024;

    // The line of a request read from path that holds its command: the first, or the second when
    // the first is the header. Throws input past end when the request has no such line.
    static QString commandLine(const QStringList& lines, const QString& path);

    RequestExchange(TotalizerReading& reading, EventLog& log, FailureLog& failures, const Drives& drives);

    // Serves the request file when there is one. Never throws: a failure is one log line, once an
    // hour while it lasts, and everything stays in place for the next check to serve the request
    // again.
    void VerificaSolicitacaoExtra();

private:
    void serve();
    // True when the exchange folder is as it was at a check that found no request, quiet then:
    // looking for a request whose name may come in any case would list the folder.
    bool folderUnchanged();
    // Throws when the file is there and may not be deleted (read-only).
    void checkRemovable(const QString& path) const;
    QString local(const QString& path) const { return m_drives.toLocal(path); }

    TotalizerReading& m_reading;
    EventLog& m_log;
    FailureLog& m_failures;
    const Drives& m_drives;
    QByteArray m_folder;
    FileSnapshot m_looked;
    std::optional<FileSnapshot> m_idle;
};
