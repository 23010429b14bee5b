#include "backoffice/backofficeclasses.h"

#include "backoffice/sqlconnection.h"

QString BackOfficeText::dateText(DateValue date)
{
    return date.date().toString(u"yyyy-MM-dd");
}

QString BackOfficeText::timeText(DateValue time)
{
    return time.time().toString(u"HH:mm:ss");
}

namespace {

// One prepared statement of the back-office database, run with its values. The classes differ
// only in their statements and in what they read back.
QSqlQuery& bound(SqlConnection& connection, const char* operation, const QString& sql, const QVariantList& values)
{
    QSqlQuery& query = connection.statement(sql, operation);
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    return query;
}

std::optional<QList<QVariant>> lookUp(
    BackOfficeDatabase& database, const char* operation, const QString& sql, const QVariantList& values)
{
    SqlConnection& connection = database.records(operation);
    return connection.first(bound(connection, operation, sql, values), operation);
}

int change(BackOfficeDatabase& database, const char* operation, const QString& sql, const QVariantList& values)
{
    SqlConnection& connection = database.records(operation);
    return connection.write(bound(connection, operation, sql, values), operation);
}

} // namespace

bool clsBico::Localiza(qint16 empresa, qint16 bico)
{
    const auto row = lookUp(m_database, "clsBico.Localiza",
        QStringLiteral("SELECT produto, valor_unitario FROM bicos WHERE empresa = ? AND bico = ?"),
        { int(empresa), int(bico) });
    CodigoProduto = row ? row->at(0).toInt() : 0;
    ValorUnitario = row ? SqlValue::money(row->at(1)) : Money();
    return row.has_value();
}

bool clsProduto::Localiza(qint32 codigoProduto)
{
    const auto row = lookUp(m_database, "clsProduto.Localiza",
        QStringLiteral("SELECT descricao, valor_unitario FROM produtos WHERE codigo = ?"), { codigoProduto });
    Descricao = row ? row->at(0).toString() : QString();
    ValorUnitario = row ? SqlValue::money(row->at(1)) : Money();
    return row.has_value();
}

bool clsEstoque::Localiza(qint16 empresa, qint32 codigoProduto)
{
    const auto row = lookUp(m_database, "clsEstoque.Localiza",
        QStringLiteral("SELECT valor_unitario FROM estoques WHERE empresa = ? AND produto = ?"),
        { int(empresa), codigoProduto });
    ValorUnitario = row ? SqlValue::money(row->at(0)) : Money();
    return row.has_value();
}

bool clsEncerrante::Localiza(qint16 empresa, qint16 bico)
{
    const auto row = lookUp(m_database, "clsEncerrante.Localiza",
        QStringLiteral("SELECT encerrante_atual FROM encerrantes WHERE empresa = ? AND bico = ?"),
        { int(empresa), int(bico) });
    EncerranteAtual = row ? SqlValue::money(row->at(0)) : Money();
    return row.has_value();
}

bool clsEncerrante::Altera(qint16 empresa, qint16 bico)
{
    return change(m_database, "clsEncerrante.Altera",
               QStringLiteral("UPDATE encerrantes SET encerrante_atual = ? WHERE empresa = ? AND bico = ?"),
               { SqlValue::of(EncerranteAtual), int(empresa), int(bico) })
        > 0;
}

bool clsAbastecimento::Existe(qint16 empresa, DateValue data, DateValue hora, qint16 bico)
{
    const auto row = lookUp(m_database, "clsAbastecimento.Existe",
        QStringLiteral("SELECT quantidade, valor_total FROM abastecimentos "
                       "WHERE empresa = ? AND data = ? AND hora = ? AND bico = ?"),
        { int(empresa), BackOfficeText::dateText(data), BackOfficeText::timeText(hora), int(bico) });
    if (row) {
        Quantidade = SqlValue::money(row->at(0));
        ValorTotal = SqlValue::money(row->at(1));
    }
    return row.has_value();
}

bool clsAbastecimento::Inclui()
{
    // A fueling read twice from the pump table must not be sold twice: the unique key refuses
    // the second row, and DO NOTHING turns that into "no row changed" instead of an error.
    return change(m_database, "clsAbastecimento.Inclui",
               QStringLiteral(
                   "INSERT INTO abastecimentos (empresa, bico, data, hora, campo05, produto, valor_unitario, "
                   "quantidade, valor_total, campo10, campo11, campo12, campo13, campo14, campo15, campo16, "
                   "campo17, campo18, campo19, campo20, campo21, campo22) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                   "ON CONFLICT (empresa, data, hora, bico) DO NOTHING"),
               { int(CodigoEmpresa), int(NumeroBico), BackOfficeText::dateText(DataAbastecimento),
                   BackOfficeText::timeText(HoraAbastecimento), SqlValue::of(Campo05), int(CodigoProduto),
                   SqlValue::of(ValorUnitario), SqlValue::of(Quantidade), SqlValue::of(ValorTotal), Campo10, Campo11,
                   Campo12, SqlValue::of(Campo13), SqlValue::of(Campo14), SqlValue::of(Campo15), SqlValue::of(Campo16),
                   SqlValue::of(Campo17), SqlValue::of(Campo18), SqlValue::of(Campo19), SqlValue::of(Campo20), Campo21,
                   Campo22 })
        == 1;
}
