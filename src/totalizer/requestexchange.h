#pragma once

#include "common/drives.h"
#include "eventlog/eventlog.h"
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

    // The line of a request read from path that holds its command: the first, or the second when
    // the first is the header. Throws input past end when the request has no such line.
    static QString commandLine(const QStringList& lines, const QString& path);

    RequestExchange(TotalizerReading& reading, EventLog& log, const Drives& drives);

    // Serves the request file when there is one. Never throws: a failure is one log line, and
    // everything stays in place for the next check to serve the request again.
    void VerificaSolicitacaoExtra();

private:
    void serve();
    QString local(const QString& path) const { return m_drives.toLocal(path); }

    TotalizerReading& m_reading;
    EventLog& m_log;
    const Drives& m_drives;
};
