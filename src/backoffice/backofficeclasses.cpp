#include "backoffice/backofficeclasses.h"

#include "backoffice/sqlconnection.h"
#include "backoffice/tables.h"

namespace {

// Column names the statements below share.
namespace Column {
const QString Empresa = QStringLiteral("empresa");
const QString Bico = QStringLiteral("bico");
const QString Produto = QStringLiteral("produto");
const QString Codigo = QStringLiteral("codigo");
const QString ValorUnitario = QStringLiteral("valor_unitario");
const QString EncerranteAtual = QStringLiteral("encerrante_atual");
} // namespace Column

QString moment(const QDateTime& value)
{
    return (value.isValid() ? value : QDateTime::currentDateTime()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The row of the totalizer's history for a change from antes to depois.
void recordChange(SqlConnection& connection, const SqlValues& change, const char* operation)
{
    static const QString Insert = Tables::historico().insert(Tables::historico().names().mid(1));
    connection.write(Insert, change, operation);
}

} // namespace

bool clsBico::Localiza(qint16 empresa, qint16 bico)
{
    return m_database.call([&] {
        static const QString Select
            = Tables::bicos().select({ Column::Produto, Column::ValorUnitario }, { Column::Empresa, Column::Bico });
        const auto row
            = m_database.records("clsBico.Localiza")
                  .first(Select, { { Column::Empresa, empresa }, { Column::Bico, bico } }, "clsBico.Localiza");
        CodigoProduto = row ? row->at(0).toInt() : 0;
        ValorUnitario = row ? SqlValue::money(row->at(1)) : Money();
        return row.has_value();
    });
}

void clsBico::Grava(qint16 empresa, qint16 bico)
{
    m_database.call([&] {
        static const QString Upsert
            = Tables::bicos().upsert(Tables::bicos().names(), { Column::Produto, Column::ValorUnitario });
        m_database.records("clsBico.Grava")
            .write(Upsert,
                { { Column::Empresa, empresa }, { Column::Bico, bico }, { Column::Produto, CodigoProduto },
                    { Column::ValorUnitario, SqlValue::of(ValorUnitario) } },
                "clsBico.Grava");
    });
}

bool clsProduto::Localiza(qint32 codigoProduto)
{
    return m_database.call([&] {
        static const QString Select
            = Tables::produtos().select({ QStringLiteral("descricao"), Column::ValorUnitario }, { Column::Codigo });
        const auto row = m_database.records("clsProduto.Localiza")
                             .first(Select, { { Column::Codigo, codigoProduto } }, "clsProduto.Localiza");
        Descricao = row ? row->at(0).toString() : QString();
        ValorUnitario = row ? SqlValue::money(row->at(1)) : Money();
        return row.has_value();
    });
}

void clsProduto::Grava(qint32 codigoProduto)
{
    m_database.call([&] {
        static const QString Upsert = Tables::produtos().upsert(
            Tables::produtos().names(), { QStringLiteral("descricao"), Column::ValorUnitario });
        m_database.records("clsProduto.Grava")
            .write(Upsert,
                { { Column::Codigo, codigoProduto }, { QStringLiteral("descricao"), SqlValue::of(Descricao) },
                    { Column::ValorUnitario, SqlValue::of(ValorUnitario) } },
                "clsProduto.Grava");
    });
}

bool clsEstoque::Localiza(qint16 empresa, qint32 codigoProduto)
{
    return m_database.call([&] {
        static const QString Select
            = Tables::estoques().select({ Column::ValorUnitario }, { Column::Empresa, Column::Produto });
        const auto row = m_database.records("clsEstoque.Localiza")
                             .first(Select, { { Column::Empresa, empresa }, { Column::Produto, codigoProduto } },
                                 "clsEstoque.Localiza");
        ValorUnitario = row ? SqlValue::money(row->at(0)) : Money();
        return row.has_value();
    });
}

void clsEstoque::Grava(qint16 empresa, qint32 codigoProduto)
{
    m_database.call([&] {
        static const QString Upsert = Tables::estoques().upsert(Tables::estoques().names(), { Column::ValorUnitario });
        m_database.records("clsEstoque.Grava")
            .write(Upsert,
                { { Column::Empresa, empresa }, { Column::Produto, codigoProduto },
                    { Column::ValorUnitario, SqlValue::of(ValorUnitario) } },
                "clsEstoque.Grava");
    });
}

bool clsEncerrante::Localiza(qint16 empresa, qint16 bico)
{
    return m_database.call([&] {
        SqlConnection& connection = m_database.records("clsEncerrante.Localiza");
        static const QString Select[]
            = { Tables::encerrantes().select({ Column::EncerranteAtual }, { Column::Empresa, Column::Bico }),
                  Tables::encerrantes().select(
                      { Column::EncerranteAtual }, { Column::Empresa, Column::Bico }, SqlEngine::Postgres, true) };
        const auto row = connection.first(Select[connection.engine() == SqlEngine::Postgres],
            { { Column::Empresa, empresa }, { Column::Bico, bico } }, "clsEncerrante.Localiza");
        EncerranteAtual = row ? SqlValue::money(row->at(0)) : Money();
        m_loaded = EncerranteAtual;
        return row.has_value();
    });
}

bool clsEncerrante::Altera(qint16 empresa, qint16 bico)
{
    return m_database.call([&] {
        constexpr auto Operation = "clsEncerrante.Altera";
        static const QString Update
            = Tables::encerrantes().update({ Column::EncerranteAtual }, { Column::Empresa, Column::Bico });
        SqlConnection& connection = m_database.records(Operation);
        if (connection.write(Update,
                { { Column::Empresa, empresa }, { Column::Bico, bico },
                    { Column::EncerranteAtual, SqlValue::of(EncerranteAtual) } },
                Operation)
            == 0)
            return false;
        recordChange(connection,
            { { Column::Empresa, empresa }, { Column::Bico, bico }, { QStringLiteral("data_hora"), moment(Momento) },
                { QStringLiteral("tipo"), QStringLiteral("abastecimento") }, { QStringLiteral("motivo"), QString("") },
                { QStringLiteral("litros"), SqlValue::of(EncerranteAtual - m_loaded) },
                { QStringLiteral("antes"), SqlValue::of(m_loaded) },
                { QStringLiteral("depois"), SqlValue::of(EncerranteAtual) },
                { QStringLiteral("abastecimento_data"), SqlValue::date(DataAbastecimento) },
                { QStringLiteral("abastecimento_hora"), SqlValue::time(HoraAbastecimento) } },
            Operation);
        m_loaded = EncerranteAtual;
        return true;
    });
}

void clsEncerrante::Grava(qint16 empresa, qint16 bico)
{
    m_database.call([&] {
        constexpr auto Operation = "clsEncerrante.Grava";
        static const QString Upsert
            = Tables::encerrantes().upsert(Tables::encerrantes().names(), { Column::EncerranteAtual });
        SqlConnection& connection = m_database.records(Operation);
        // The value before and the new one in one transaction with their history row.
        SqlTransaction transaction(connection, Operation);
        const Money atual = EncerranteAtual;
        Localiza(empresa, bico);
        EncerranteAtual = atual;
        connection.write(Upsert,
            { { Column::Empresa, empresa }, { Column::Bico, bico }, { Column::EncerranteAtual, SqlValue::of(atual) } },
            Operation);
        recordChange(connection,
            { { Column::Empresa, empresa }, { Column::Bico, bico }, { QStringLiteral("data_hora"), moment(Momento) },
                { QStringLiteral("tipo"), QStringLiteral("manual") },
                { QStringLiteral("motivo"), SqlValue::of(Motivo) }, { QStringLiteral("litros"), SqlValue::of(Money()) },
                { QStringLiteral("antes"), SqlValue::of(m_loaded) }, { QStringLiteral("depois"), SqlValue::of(atual) },
                { QStringLiteral("abastecimento_data"), QString("") },
                { QStringLiteral("abastecimento_hora"), QString("") } },
            Operation);
        transaction.commit();
        m_loaded = atual;
    });
}

bool clsAbastecimento::Existe(qint16 empresa, DateValue data, DateValue hora, qint16 bico)
{
    return m_database.call([&] {
        static const QString Select
            = Tables::abastecimentos().select({ QStringLiteral("quantidade"), QStringLiteral("valor_total") },
                { Column::Empresa, QStringLiteral("data"), QStringLiteral("hora"), Column::Bico });
        const auto row = m_database.records("clsAbastecimento.Existe")
                             .first(Select,
                                 { { Column::Empresa, empresa }, { QStringLiteral("data"), SqlValue::date(data) },
                                     { QStringLiteral("hora"), SqlValue::time(hora) }, { Column::Bico, bico } },
                                 "clsAbastecimento.Existe");
        if (row) {
            Quantidade = SqlValue::money(row->at(0));
            ValorTotal = SqlValue::money(row->at(1));
        }
        return row.has_value();
    });
}

bool clsAbastecimento::Inclui()
{
    return m_database.call([&] {
        // A fueling read twice from the pump table must not be sold twice: the unique key refuses
        // the second row, and DO NOTHING turns that into "no row changed" instead of an error.
        static const QString Insert = Tables::abastecimentos().insert(Tables::abastecimentos().names().mid(1), true);
        const SqlValues values { { Column::Empresa, CodigoEmpresa }, { Column::Bico, NumeroBico },
            { QStringLiteral("data"), SqlValue::date(DataAbastecimento) },
            { QStringLiteral("hora"), SqlValue::time(HoraAbastecimento) },
            { QStringLiteral("campo05"), SqlValue::of(Campo05) }, { Column::Produto, CodigoProduto },
            { Column::ValorUnitario, SqlValue::of(ValorUnitario) },
            { QStringLiteral("quantidade"), SqlValue::of(Quantidade) },
            { QStringLiteral("valor_total"), SqlValue::of(ValorTotal) }, { QStringLiteral("campo10"), Campo10 },
            { QStringLiteral("campo11"), Campo11 }, { QStringLiteral("campo12"), Campo12 },
            { QStringLiteral("campo13"), SqlValue::of(Campo13) }, { QStringLiteral("campo14"), SqlValue::of(Campo14) },
            { QStringLiteral("campo15"), SqlValue::of(Campo15) }, { QStringLiteral("campo16"), SqlValue::of(Campo16) },
            { QStringLiteral("campo17"), SqlValue::of(Campo17) }, { QStringLiteral("campo18"), SqlValue::of(Campo18) },
            { QStringLiteral("campo19"), SqlValue::of(Campo19) }, { QStringLiteral("campo20"), SqlValue::of(Campo20) },
            { QStringLiteral("campo21"), Campo21 }, { QStringLiteral("campo22"), Campo22 } };
        return m_database.records("clsAbastecimento.Inclui").write(Insert, values, "clsAbastecimento.Inclui") == 1;
    });
}
