#include "backoffice/backofficeadmin.h"

#include "backoffice/sqlconnection.h"

#include <QSqlError>
#include <QSqlRecord>

namespace {

void upsert(BackOfficeDatabase& database, const QString& sql, const QVariantList& values, const char* operation)
{
    SqlConnection& connection = database.records(operation);
    QSqlQuery& query = connection.statement(sql, operation);
    for (int i = 0; i < int(values.size()); ++i)
        query.bindValue(i, values[i]);
    connection.write(query, operation);
}

// Runs a listing; the columns named in moneyColumns hold ten-thousandths and are written as money.
QList<QStringList> select(SqlConnection& connection, const QString& sql, const QVariantList& values,
    const QList<int>& moneyColumns, const char* operation)
{
    QSqlQuery query(connection.database());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        SqlConnection::fail(operation, query.lastError().text());
    for (int i = 0; i < int(values.size()); ++i)
        query.bindValue(i, values[i]);
    if (!query.exec())
        SqlConnection::fail(operation, query.lastError().text());
    QList<QStringList> rows;
    const int columns = query.record().count();
    while (query.next()) {
        QStringList row;
        for (int column = 0; column < columns; ++column) {
            const QVariant value = query.value(column);
            row.append(moneyColumns.contains(column) ? SqlValue::money(value).toPlainText() : value.toString());
        }
        rows.append(row);
    }
    if (query.lastError().isValid())
        SqlConnection::fail(operation, query.lastError().text());
    return rows;
}

} // namespace

void BackOfficeAdmin::gravaProduto(BackOfficeDatabase& database, qint32 codigo, Money preco, const QString& descricao)
{
    upsert(database,
        QStringLiteral("INSERT INTO produtos (codigo, descricao, valor_unitario) VALUES (?, ?, ?) "
                       "ON CONFLICT (codigo) DO UPDATE SET descricao = excluded.descricao, "
                       "valor_unitario = excluded.valor_unitario"),
        { codigo, SqlValue::of(descricao), SqlValue::of(preco) }, "gravar produto");
}

void BackOfficeAdmin::gravaEstoque(BackOfficeDatabase& database, qint16 empresa, qint32 produto, Money preco)
{
    upsert(database,
        QStringLiteral("INSERT INTO estoques (empresa, produto, valor_unitario) VALUES (?, ?, ?) "
                       "ON CONFLICT (empresa, produto) DO UPDATE SET valor_unitario = excluded.valor_unitario"),
        { int(empresa), produto, SqlValue::of(preco) }, "gravar estoque");
}

void BackOfficeAdmin::gravaBico(BackOfficeDatabase& database, qint16 empresa, qint16 bico, qint32 produto, Money preco)
{
    upsert(database,
        QStringLiteral("INSERT INTO bicos (empresa, bico, produto, valor_unitario) VALUES (?, ?, ?, ?) "
                       "ON CONFLICT (empresa, bico) DO UPDATE SET produto = excluded.produto, "
                       "valor_unitario = excluded.valor_unitario"),
        { int(empresa), int(bico), produto, SqlValue::of(preco) }, "gravar bico");
}

void BackOfficeAdmin::gravaEncerrante(BackOfficeDatabase& database, qint16 empresa, qint16 bico, Money valor)
{
    upsert(database,
        QStringLiteral("INSERT INTO encerrantes (empresa, bico, encerrante_atual) VALUES (?, ?, ?) "
                       "ON CONFLICT (empresa, bico) DO UPDATE SET encerrante_atual = excluded.encerrante_atual"),
        { int(empresa), int(bico), SqlValue::of(valor) }, "gravar encerrante");
}

BackOfficeAdmin::Table BackOfficeAdmin::abastecimentos(
    BackOfficeDatabase& database, std::optional<qint16> empresa, std::optional<qint16> bico)
{
    constexpr auto Operation = "listar abastecimentos";
    QString sql = QStringLiteral("SELECT empresa, bico, data, hora, produto, valor_unitario, quantidade, valor_total "
                                 "FROM abastecimentos WHERE 1 = 1");
    QVariantList values;
    if (empresa) {
        sql += QStringLiteral(" AND empresa = ?");
        values.append(int(*empresa));
    }
    if (bico) {
        sql += QStringLiteral(" AND bico = ?");
        values.append(int(*bico));
    }
    sql += QStringLiteral(" ORDER BY id");
    return { { QStringLiteral("empresa"), QStringLiteral("bico"), QStringLiteral("data"), QStringLiteral("hora"),
                 QStringLiteral("produto"), QStringLiteral("valor_unitario"), QStringLiteral("quantidade"),
                 QStringLiteral("valor_total") },
        select(database.records(Operation), sql, values, { 5, 6, 7 }, Operation) };
}

BackOfficeAdmin::Table BackOfficeAdmin::encerrantes(BackOfficeDatabase& database, std::optional<qint16> empresa)
{
    constexpr auto Operation = "listar encerrantes";
    QString sql = QStringLiteral("SELECT empresa, bico, encerrante_atual FROM encerrantes");
    QVariantList values;
    if (empresa) {
        sql += QStringLiteral(" WHERE empresa = ?");
        values.append(int(*empresa));
    }
    sql += QStringLiteral(" ORDER BY empresa, bico");
    return { { QStringLiteral("empresa"), QStringLiteral("bico"), QStringLiteral("encerrante_atual") },
        select(database.records(Operation), sql, values, { 2 }, Operation) };
}

BackOfficeAdmin::Table BackOfficeAdmin::mensagens(BackOfficeDatabase& database)
{
    constexpr auto Operation = "listar mensagens";
    Table table { { QStringLiteral("chave"), QStringLiteral("codigo"), QStringLiteral("empresa"),
                      QStringLiteral("nome_empresa"), QStringLiteral("nome_destinatario"),
                      QStringLiteral("email_destinatario"), QStringLiteral("email_copia"), QStringLiteral("assunto"),
                      QStringLiteral("mensagem"), QStringLiteral("data_hora"), QStringLiteral("data_hora_registro"),
                      QStringLiteral("endereco_ip"), QStringLiteral("situacao"), QStringLiteral("liberada") },
        {} };
    if (SqlConnection* outbox = database.existingOutbox(Operation)) {
        table.rows = select(*outbox,
            QStringLiteral("SELECT chave, codigo, empresa, nome_empresa, nome_destinatario, email_destinatario, "
                           "email_copia, assunto, mensagem, data_hora, data_hora_registro, endereco_ip, situacao, "
                           "liberada FROM mensagens_email ORDER BY chave, codigo"),
            {}, {}, Operation);
    }
    return table;
}
