#pragma once

#include "backoffice/backofficedatabase.h"

#include <QString>

// A message for the station's support contact, kept in the local outbox whatever database holds
// the other records: the message the bridge sends says that database does not answer. Records
// are keyed by (key, code); the bridge only ever uses key 0.
class clsMensagemEmail {
public:
    static constexpr qint16 ChaveInclusao = 0;

    explicit clsMensagemEmail(BackOfficeDatabase& database)
        : m_database(database)
    {
    }
    // Loads the record of that key and code; true when it exists.
    bool Localiza(qint16 chave, qint32 codigo);
    // Stores the properties as a new record under key 0 with the next code of that key, which
    // Codigo then holds; Codigo as written is ignored.
    bool Inclui();
    // Overwrites the record of that key and code with the properties (its key and code stay);
    // true when there was a record to overwrite.
    bool Altera(qint16 chave, qint32 codigo);

    qint16 Empresa = 0;
    qint32 Codigo = 0;
    QString NomeEmpresa;
    QString NomeDestinatario;
    QString EmailDestinatario;
    QString EmailCopia;
    QString Assunto;
    QString Mensagem;
    QString DataHora;
    QString DataHoraRegistro;
    QString EnderecoIP;
    qint32 Situacao = 0;
    qint16 Liberada = 0;

private:
    BackOfficeDatabase& m_database;
};
