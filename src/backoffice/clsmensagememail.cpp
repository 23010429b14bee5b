#include "backoffice/clsmensagememail.h"

#include "backoffice/sqlconnection.h"

namespace {

const QString Columns = QStringLiteral("empresa, nome_empresa, nome_destinatario, email_destinatario, email_copia, "
                                       "assunto, mensagem, data_hora, data_hora_registro, endereco_ip, situacao, "
                                       "liberada");

} // namespace

bool clsMensagemEmail::Localiza(qint16 chave, qint32 codigo)
{
    constexpr auto Operation = "clsMensagemEmail.Localiza";
    SqlConnection& connection = m_database.outbox(Operation);
    QSqlQuery& query = connection.statement(
        QStringLiteral("SELECT codigo, %1 FROM mensagens_email WHERE chave = ? AND codigo = ?").arg(Columns),
        Operation);
    query.bindValue(0, int(chave));
    query.bindValue(1, codigo);
    const auto row = connection.first(query, Operation);
    const QList<QVariant> values = row.value_or(QList<QVariant>(13));
    Codigo = values[0].toInt();
    Empresa = qint16(values[1].toInt());
    NomeEmpresa = values[2].toString();
    NomeDestinatario = values[3].toString();
    EmailDestinatario = values[4].toString();
    EmailCopia = values[5].toString();
    Assunto = values[6].toString();
    Mensagem = values[7].toString();
    DataHora = values[8].toString();
    DataHoraRegistro = values[9].toString();
    EnderecoIP = values[10].toString();
    Situacao = values[11].toInt();
    Liberada = qint16(values[12].toInt());
    return row.has_value();
}

bool clsMensagemEmail::Inclui()
{
    constexpr auto Operation = "clsMensagemEmail.Inclui";
    SqlConnection& connection = m_database.outbox(Operation);
    // The next code and the insert in one write transaction, so two programs adding a message at
    // the same moment cannot take the same code.
    connection.write(connection.statement(QStringLiteral("BEGIN IMMEDIATE"), Operation), Operation);
    try {
        QSqlQuery& next = connection.statement(
            QStringLiteral("SELECT COALESCE(MAX(codigo), 0) + 1 FROM mensagens_email WHERE chave = ?"), Operation);
        next.bindValue(0, int(ChaveInclusao));
        const qint32 codigo = connection.first(next, Operation)->at(0).toInt();
        QSqlQuery& insert = connection.statement(QStringLiteral("INSERT INTO mensagens_email (chave, codigo, %1) "
                                                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                                     .arg(Columns),
            Operation);
        const QVariant values[] = { int(ChaveInclusao), codigo, int(Empresa), SqlValue::of(NomeEmpresa),
            SqlValue::of(NomeDestinatario), SqlValue::of(EmailDestinatario), SqlValue::of(EmailCopia),
            SqlValue::of(Assunto), SqlValue::of(Mensagem), SqlValue::of(DataHora), SqlValue::of(DataHoraRegistro),
            SqlValue::of(EnderecoIP), Situacao, int(Liberada) };
        for (int i = 0; i < int(std::size(values)); ++i)
            insert.bindValue(i, values[i]);
        connection.write(insert, Operation);
        connection.write(connection.statement(QStringLiteral("COMMIT"), Operation), Operation);
        Codigo = codigo;
    } catch (...) {
        // The failure being reported matters more than one of the rollback.
        QSqlQuery(connection.database()).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    return true;
}

bool clsMensagemEmail::Altera(qint16 chave, qint32 codigo)
{
    constexpr auto Operation = "clsMensagemEmail.Altera";
    SqlConnection& connection = m_database.outbox(Operation);
    QSqlQuery& query = connection.statement(
        QStringLiteral("UPDATE mensagens_email SET empresa = ?, nome_empresa = ?, nome_destinatario = ?, "
                       "email_destinatario = ?, email_copia = ?, assunto = ?, mensagem = ?, data_hora = ?, "
                       "data_hora_registro = ?, endereco_ip = ?, situacao = ?, liberada = ? "
                       "WHERE chave = ? AND codigo = ?"),
        Operation);
    const QVariant values[]
        = { int(Empresa), SqlValue::of(NomeEmpresa), SqlValue::of(NomeDestinatario), SqlValue::of(EmailDestinatario),
              SqlValue::of(EmailCopia), SqlValue::of(Assunto), SqlValue::of(Mensagem), SqlValue::of(DataHora),
              SqlValue::of(DataHoraRegistro), SqlValue::of(EnderecoIP), Situacao, int(Liberada), int(chave), codigo };
    for (int i = 0; i < int(std::size(values)); ++i)
        query.bindValue(i, values[i]);
    return connection.write(query, Operation) > 0;
}
