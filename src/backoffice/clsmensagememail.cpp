#include "backoffice/clsmensagememail.h"

#include "backoffice/sqlconnection.h"
#include "backoffice/tables.h"

namespace {

const QString ChaveColumn = QStringLiteral("chave");
const QString CodigoColumn = QStringLiteral("codigo");

// The properties after the key and the code, in the table's order.
SqlValues properties(const clsMensagemEmail& message)
{
    return { { QStringLiteral("empresa"), message.Empresa },
        { QStringLiteral("nome_empresa"), SqlValue::of(message.NomeEmpresa) },
        { QStringLiteral("nome_destinatario"), SqlValue::of(message.NomeDestinatario) },
        { QStringLiteral("email_destinatario"), SqlValue::of(message.EmailDestinatario) },
        { QStringLiteral("email_copia"), SqlValue::of(message.EmailCopia) },
        { QStringLiteral("assunto"), SqlValue::of(message.Assunto) },
        { QStringLiteral("mensagem"), SqlValue::of(message.Mensagem) },
        { QStringLiteral("data_hora"), SqlValue::of(message.DataHora) },
        { QStringLiteral("data_hora_registro"), SqlValue::of(message.DataHoraRegistro) },
        { QStringLiteral("endereco_ip"), SqlValue::of(message.EnderecoIP) },
        { QStringLiteral("situacao"), message.Situacao }, { QStringLiteral("liberada"), message.Liberada } };
}

QStringList propertyColumns()
{
    return Tables::mensagens().names().mid(2);
}

} // namespace

bool clsMensagemEmail::Localiza(qint16 chave, qint32 codigo)
{
    return m_database.call([&] {
        constexpr auto Operation = "clsMensagemEmail.Localiza";
        static const QString Select
            = Tables::mensagens().select(Tables::mensagens().names().mid(1), { ChaveColumn, CodigoColumn });
        const auto row = m_database.outbox(Operation).first(
            Select, { { ChaveColumn, chave }, { CodigoColumn, codigo } }, Operation);
        const SqlRow values = row.value_or(SqlRow(13));
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
    });
}

bool clsMensagemEmail::Inclui()
{
    return m_database.call([&] {
        constexpr auto Operation = "clsMensagemEmail.Inclui";
        static const QString Next = QStringLiteral("SELECT COALESCE(MAX(codigo), 0) + 1 FROM %1 WHERE chave = :chave")
                                        .arg(Tables::mensagens().name);
        static const QString Insert = Tables::mensagens().insert(Tables::mensagens().names());
        SqlConnection& connection = m_database.outbox(Operation);
        // The next code and the insert in one write transaction, so two programs adding a message
        // at the same moment cannot take the same code.
        SqlTransaction transaction(connection, Operation);
        const qint32 codigo = connection.first(Next, { { ChaveColumn, ChaveInclusao } }, Operation)->at(0).toInt();
        connection.write(Insert,
            SqlValues { { ChaveColumn, ChaveInclusao }, { CodigoColumn, codigo } } + properties(*this), Operation);
        transaction.commit();
        Codigo = codigo;
        return true;
    });
}

bool clsMensagemEmail::Altera(qint16 chave, qint32 codigo)
{
    return m_database.call([&] {
        constexpr auto Operation = "clsMensagemEmail.Altera";
        static const QString Update = Tables::mensagens().update(propertyColumns(), { ChaveColumn, CodigoColumn });
        return m_database.outbox(Operation).write(Update,
                   properties(*this) + SqlValues { { ChaveColumn, chave }, { CodigoColumn, codigo } }, Operation)
            > 0;
    });
}
