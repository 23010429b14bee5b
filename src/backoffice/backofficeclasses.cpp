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

bool clsBico::Localiza(qint16 empresa, qint16 bico)
{
    constexpr auto Operation = "clsBico.Localiza";
    SqlConnection& connection = m_database.records(Operation);
    QSqlQuery& query = connection.statement(
        QStringLiteral("SELECT produto, valor_unitario FROM bicos WHERE empresa = ? AND bico = ?"), Operation);
    query.bindValue(0, int(empresa));
    query.bindValue(1, int(bico));
    const auto row = connection.first(query, Operation);
    CodigoProduto = row ? row->at(0).toInt() : 0;
    ValorUnitario = row ? SqlValue::money(row->at(1)) : Money();
    return row.has_value();
}

bool clsProduto::Localiza(qint32 codigoProduto)
{
    constexpr auto Operation = "clsProduto.Localiza";
    SqlConnection& connection = m_database.records(Operation);
    QSqlQuery& query = connection.statement(
        QStringLiteral("SELECT descricao, valor_unitario FROM produtos WHERE codigo = ?"), Operation);
    query.bindValue(0, codigoProduto);
    const auto row = connection.first(query, Operation);
    Descricao = row ? row->at(0).toString() : QString();
    ValorUnitario = row ? SqlValue::money(row->at(1)) : Money();
    return row.has_value();
}

bool clsEstoque::Localiza(qint16 empresa, qint32 codigoProduto)
{
    constexpr auto Operation = "clsEstoque.Localiza";
    SqlConnection& connection = m_database.records(Operation);
    QSqlQuery& query = connection.statement(
        QStringLiteral("SELECT valor_unitario FROM estoques WHERE empresa = ? AND produto = ?"), Operation);
    query.bindValue(0, int(empresa));
    query.bindValue(1, codigoProduto);
    const auto row = connection.first(query, Operation);
    ValorUnitario = row ? SqlValue::money(row->at(0)) : Money();
    return row.has_value();
}

bool clsEncerrante::Localiza(qint16 empresa, qint16 bico)
{
    constexpr auto Operation = "clsEncerrante.Localiza";
    SqlConnection& connection = m_database.records(Operation);
    QSqlQuery& query = connection.statement(
        QStringLiteral("SELECT encerrante_atual FROM encerrantes WHERE empresa = ? AND bico = ?"), Operation);
    query.bindValue(0, int(empresa));
    query.bindValue(1, int(bico));
    const auto row = connection.first(query, Operation);
    EncerranteAtual = row ? SqlValue::money(row->at(0)) : Money();
    return row.has_value();
}

bool clsEncerrante::Altera(qint16 empresa, qint16 bico)
{
    constexpr auto Operation = "clsEncerrante.Altera";
    SqlConnection& connection = m_database.records(Operation);
    QSqlQuery& query = connection.statement(
        QStringLiteral("UPDATE encerrantes SET encerrante_atual = ? WHERE empresa = ? AND bico = ?"), Operation);
    query.bindValue(0, SqlValue::of(EncerranteAtual));
    query.bindValue(1, int(empresa));
    query.bindValue(2, int(bico));
    return connection.write(query, Operation) > 0;
}

bool clsAbastecimento::Existe(qint16 empresa, DateValue data, DateValue hora, qint16 bico)
{
    constexpr auto Operation = "clsAbastecimento.Existe";
    SqlConnection& connection = m_database.records(Operation);
    QSqlQuery& query = connection.statement(QStringLiteral("SELECT 1 FROM abastecimentos "
                                                           "WHERE empresa = ? AND data = ? AND hora = ? AND bico = ?"),
        Operation);
    query.bindValue(0, int(empresa));
    query.bindValue(1, BackOfficeText::dateText(data));
    query.bindValue(2, BackOfficeText::timeText(hora));
    query.bindValue(3, int(bico));
    return connection.first(query, Operation).has_value();
}

bool clsAbastecimento::Inclui()
{
    constexpr auto Operation = "clsAbastecimento.Inclui";
    SqlConnection& connection = m_database.records(Operation);
    // A fueling read twice from the pump table must not be sold twice: the unique key refuses
    // the second row, and DO NOTHING turns that into "no row changed" instead of an error.
    QSqlQuery& query = connection.statement(
        QStringLiteral("INSERT INTO abastecimentos (empresa, bico, data, hora, campo05, produto, valor_unitario, "
                       "quantidade, valor_total, campo10, campo11, campo12, campo13, campo14, campo15, campo16, "
                       "campo17, campo18, campo19, campo20, campo21, campo22) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                       "ON CONFLICT (empresa, data, hora, bico) DO NOTHING"),
        Operation);
    const QVariant values[] = { int(CodigoEmpresa), int(NumeroBico), BackOfficeText::dateText(DataAbastecimento),
        BackOfficeText::timeText(HoraAbastecimento), SqlValue::of(Campo05), int(CodigoProduto),
        SqlValue::of(ValorUnitario), SqlValue::of(Quantidade), SqlValue::of(ValorTotal), Campo10, Campo11, Campo12,
        SqlValue::of(Campo13), SqlValue::of(Campo14), SqlValue::of(Campo15), SqlValue::of(Campo16),
        SqlValue::of(Campo17), SqlValue::of(Campo18), SqlValue::of(Campo19), SqlValue::of(Campo20), Campo21, Campo22 };
    for (int i = 0; i < int(std::size(values)); ++i)
        query.bindValue(i, values[i]);
    return connection.write(query, Operation) == 1;
}
