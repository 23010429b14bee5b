#include "backoffice/backofficeadmin.h"

#include "backoffice/backofficeclasses.h"
#include "backoffice/sqlconnection.h"
#include "backoffice/tables.h"

namespace {

BackOfficeAdmin::Table list(SqlConnection& connection, const SqlTable& table, const BackOfficeAdmin::Filter& filter,
    const QString& orderBy, const QStringList& columns, const char* operation)
{
    QStringList where;
    SqlValues values;
    for (const auto& [column, value] : filter) {
        where << column;
        values.append({ column, value });
    }
    BackOfficeAdmin::Table result { columns, {} };
    for (const SqlRow& row :
        connection.rows(table.select(columns, where, connection.engine(), false, orderBy), values, operation)) {
        QStringList fields;
        for (qsizetype i = 0; i < row.size(); ++i)
            fields << SqlValue::text(row[i], table.column(columns[i]).type);
        result.rows << fields;
    }
    return result;
}

} // namespace

void BackOfficeAdmin::gravaProduto(
    BackOfficeDatabase& database, qint32 codigo, Money preco, const std::optional<QString>& descricao)
{
    database.call([&] {
        SqlTransaction transaction(database.records("gravar produto"), "gravar produto");
        clsProduto produto(database);
        produto.Localiza(codigo);
        produto.ValorUnitario = preco;
        if (descricao)
            produto.Descricao = *descricao;
        produto.Grava(codigo);
        transaction.commit();
    });
}

void BackOfficeAdmin::gravaEstoque(BackOfficeDatabase& database, qint16 empresa, qint32 produto, Money preco)
{
    clsEstoque estoque(database);
    estoque.ValorUnitario = preco;
    estoque.Grava(empresa, produto);
}

void BackOfficeAdmin::gravaBico(BackOfficeDatabase& database, qint16 empresa, qint16 bico, qint32 produto, Money preco)
{
    clsBico nozzle(database);
    nozzle.CodigoProduto = produto;
    nozzle.ValorUnitario = preco;
    nozzle.Grava(empresa, bico);
}

void BackOfficeAdmin::gravaEncerrante(BackOfficeDatabase& database, qint16 empresa, qint16 bico, Money valor,
    const QString& motivo, const QDateTime& momento)
{
    clsEncerrante encerrante(database);
    encerrante.EncerranteAtual = valor;
    encerrante.Motivo = motivo;
    encerrante.Momento = momento;
    encerrante.Grava(empresa, bico);
}

bool BackOfficeAdmin::produtoExiste(BackOfficeDatabase& database, qint32 codigo)
{
    return clsProduto(database).Localiza(codigo);
}

BackOfficeAdmin::Table BackOfficeAdmin::listagem(BackOfficeDatabase& database, const SqlTable& table,
    const Filter& filter, const QString& orderBy, QStringList columns)
{
    if (columns.isEmpty())
        columns = table.rowId ? table.names().mid(1) : table.names();
    return database.call([&] {
        const QByteArray operation = QStringLiteral("listar %1").arg(table.name).toUtf8();
        return list(database.records(operation.constData()), table, filter, orderBy, columns, operation.constData());
    });
}

BackOfficeAdmin::Table BackOfficeAdmin::mensagens(BackOfficeDatabase& database)
{
    constexpr auto Operation = "listar mensagens";
    const SqlTable& table = Tables::mensagens();
    return database.call([&] {
        if (SqlConnection* outbox = database.existingOutbox(Operation))
            return list(*outbox, table, {}, QStringLiteral("chave, codigo"), table.names(), Operation);
        return Table { table.names(), {} };
    });
}
