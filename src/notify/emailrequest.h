#pragma once

#include "common/clock.h"
#include "common/drives.h"
#include "common/messagebox.h"
#include "notify/hostsystem.h"

#include <QString>

class BackOfficeDatabase;

// Asks the back-office's e-mail sender program to mail the support contact: the message is kept
// as a message record, and a request file names the sender's routine. The bridge never starts
// the sender itself.
class EmailRequest {
public:
    static inline const QString RequestPath = QStringLiteral("C:\\vb5\\kvt\\kvt_cadastro.ini");

    EmailRequest(BackOfficeDatabase& database, const Drives& drives, const Clock& clock, MessageBox& messageBox,
        const HostSystem& host);

    // Stores the message and writes the request file; true when the file was written. A failure
    // shows the "Erro Interno!" box and gives the result of the last insert.
    bool EnviaMensagemEmail(const QString& pEmpresa, const QString& pNomeEmpresa, const QString& pAssunto,
        const QString& pMensagem, qint16 pLiberada, qint32 pCodigo);

    // Module state: an open message that the next request appends to (0: none), the key of the
    // message records (never assigned, so 0), and the global company number from the settings.
    qint32 gCodigoMensagemAberta = 0;
    qint16 gChaveMensagem = 0;
    qint16 gEmpresaGlobal = 0;

private:
    // Stores the message; result holds the last insert's answer even when a later step throws.
    void storeMessage(const QString& pEmpresa, const QString& pNomeEmpresa, const QString& subject,
        const QString& pMensagem, qint16 pLiberada, bool& result);
    void writeRequestFile(
        const QString& pEmpresa, const QString& pNomeEmpresa, const QString& subject, const QString& pMensagem) const;

    BackOfficeDatabase& m_database;
    const Drives& m_drives;
    const Clock& m_clock;
    MessageBox& m_messageBox;
    const HostSystem& m_host;
};
