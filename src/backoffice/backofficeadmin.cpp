#include "backoffice/backofficeadmin.h"

#include "backoffice/backofficeclasses.h"
#include "backoffice/sqlconnection.h"
#include "backoffice/tables.h"

#include <QDate>

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

BackOfficeAdmin::Table BackOfficeAdmin::fechamento(
    BackOfficeDatabase& database, QDate data, std::optional<qint16> empresa)
{
    constexpr auto Operation = "fechamento";
    // Each nozzle's value at a moment is today's value less every change after it: one statement,
    // so on either engine it reads one consistent state.
    const QString changesFrom = QStringLiteral(
        "CAST(COALESCE((SELECT SUM(h.depois - h.antes) FROM encerrantes_historico h WHERE h.empresa = e.empresa "
        "AND h.bico = e.bico AND h.data_hora %1 :%2), 0) AS BIGINT)");
    const QString fuelings
        = QStringLiteral("CAST(COALESCE((SELECT %1 FROM abastecimentos a WHERE a.empresa = e.empresa AND "
                         "a.bico = e.bico AND a.data = :dia), 0) AS BIGINT)");
    const QString sql
        = QStringLiteral(
            "SELECT e.empresa, e.bico, COALESCE(b.produto, 0), COALESCE(p.descricao, ''), e.encerrante_atual - %1, "
            "e.encerrante_atual - %2, %3, %4, %5 FROM encerrantes e LEFT JOIN bicos b ON b.empresa = e.empresa AND "
            "b.bico = e.bico LEFT JOIN produtos p ON p.codigo = b.produto%6 ORDER BY e.empresa, e.bico")
              .arg(changesFrom.arg(QStringLiteral(">="), QStringLiteral("abertura")),
                  changesFrom.arg(QStringLiteral(">"), QStringLiteral("fechamento")),
                  fuelings.arg(QStringLiteral("SUM(a.quantidade)")), fuelings.arg(QStringLiteral("COUNT(*)")),
                  fuelings.arg(QStringLiteral("SUM(a.valor_total)")),
                  empresa ? QStringLiteral(" WHERE e.empresa = :empresa") : QString());
    SqlValues values { { QStringLiteral("abertura"), data.toString(u"yyyy-MM-dd 00:00:00") },
        { QStringLiteral("fechamento"), data.toString(u"yyyy-MM-dd 23:59:59") },
        { QStringLiteral("dia"), data.toString(u"yyyy-MM-dd") } };
    if (empresa)
        values.append({ QStringLiteral("empresa"), *empresa });
    Table table { { QStringLiteral("empresa"), QStringLiteral("bico"), QStringLiteral("produto"),
                      QStringLiteral("descricao"), QStringLiteral("encerrante_abertura"),
                      QStringLiteral("encerrante_fechamento"), QStringLiteral("litros"),
                      QStringLiteral("abastecimentos"), QStringLiteral("valor_total"), QStringLiteral("diferenca") },
        {} };
    const QList<SqlRow> rows = database.call([&] { return database.records(Operation).rows(sql, values, Operation); });
    for (const SqlRow& row : rows) {
        const Money abertura = SqlValue::money(row[4]);
        const Money fechamento = SqlValue::money(row[5]);
        const Money litros = SqlValue::money(row[6]);
        table.rows << QStringList { row[0].toString(), row[1].toString(), row[2].toString(), row[3].toString(),
            abertura.toPlainText(), fechamento.toPlainText(), litros.toPlainText(), row[7].toString(),
            SqlValue::money(row[8]).toPlainText(), (fechamento - abertura - litros).toPlainText() };
    }
    return table;
}

BackOfficeAdmin::Table BackOfficeAdmin::litrosPorHora(
    BackOfficeDatabase& database, QDate data, std::optional<qint16> empresa)
{
    constexpr auto Operation = "litros por hora";
    const QString sql = QStringLiteral(
        "SELECT SUBSTR(a.hora, 1, 2), a.produto, COALESCE(p.descricao, ''), CAST(SUM(a.quantidade) AS BIGINT) FROM "
        "abastecimentos a "
        "LEFT JOIN produtos p ON p.codigo = a.produto WHERE a.data = :dia%1 GROUP BY SUBSTR(a.hora, 1, 2), a.produto, "
        "p.descricao ORDER BY 1, 2")
                            .arg(empresa ? QStringLiteral(" AND a.empresa = :empresa") : QString());
    SqlValues values { { QStringLiteral("dia"), data.toString(u"yyyy-MM-dd") } };
    if (empresa)
        values.append({ QStringLiteral("empresa"), *empresa });
    Table table {
        { QStringLiteral("hora"), QStringLiteral("produto"), QStringLiteral("descricao"), QStringLiteral("litros") }, {}
    };
    const QList<SqlRow> rows = database.call([&] { return database.records(Operation).rows(sql, values, Operation); });
    for (const SqlRow& row : rows)
        table.rows << QStringList { QString::number(row[0].toInt()), row[1].toString(), row[2].toString(),
            SqlValue::money(row[3]).toPlainText() };
    return table;
}
