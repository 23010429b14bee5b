#include "backoffice/tables.h"

namespace {

using enum SqlType;

SqlColumn col(const char* name, SqlType type)
{
    return { QString::fromLatin1(name), type };
}

} // namespace

const SqlTable& Tables::produtos()
{
    static const SqlTable table { QStringLiteral("produtos"),
        { col("codigo", Integer), col("descricao", Text), col("valor_unitario", Money) }, { QStringLiteral("codigo") },
        false, {} };
    return table;
}

const SqlTable& Tables::estoques()
{
    static const SqlTable table { QStringLiteral("estoques"),
        { col("empresa", SmallInt), col("produto", Integer), col("valor_unitario", Money) },
        { QStringLiteral("empresa"), QStringLiteral("produto") }, false, {} };
    return table;
}

// No foreign keys: the bridge copes with a nozzle whose product or stock item is missing.
const SqlTable& Tables::bicos()
{
    static const SqlTable table { QStringLiteral("bicos"),
        { col("empresa", SmallInt), col("bico", SmallInt), col("produto", Integer), col("valor_unitario", Money) },
        { QStringLiteral("empresa"), QStringLiteral("bico") }, false, {} };
    return table;
}

const SqlTable& Tables::encerrantes()
{
    static const SqlTable table { QStringLiteral("encerrantes"),
        { col("empresa", SmallInt), col("bico", SmallInt), col("encerrante_atual", Money) },
        { QStringLiteral("empresa"), QStringLiteral("bico") }, false, {} };
    return table;
}

const SqlTable& Tables::abastecimentos()
{
    static const SqlTable table { QStringLiteral("abastecimentos"),
        { col("empresa", SmallInt), col("bico", SmallInt), col("data", Date), col("hora", Time), col("campo05", Text),
            col("produto", SmallInt), col("valor_unitario", Money), col("quantidade", Money), col("valor_total", Money),
            col("campo10", Integer), col("campo11", Integer), col("campo12", Integer), col("campo13", Text),
            col("campo14", Money), col("campo15", Text), col("campo16", Text), col("campo17", Text),
            col("campo18", Money), col("campo19", Money), col("campo20", Text), col("campo21", Integer),
            col("campo22", Integer) },
        {}, true,
        { QStringLiteral("empresa"), QStringLiteral("data"), QStringLiteral("hora"), QStringLiteral("bico") } };
    return table;
}

// data_hora: when the change was made; for a fueling also its key (its date and time, the company
// and the nozzle being the row's).
const SqlTable& Tables::historico()
{
    static const SqlTable table { QStringLiteral("encerrantes_historico"),
        { col("empresa", SmallInt), col("bico", SmallInt), col("data_hora", DateTime), col("tipo", Text),
            col("motivo", Text), col("litros", Money), col("antes", Money), col("depois", Money),
            col("abastecimento_data", Date), col("abastecimento_hora", Time) },
        {}, true, {} };
    return table;
}

const SqlTable& Tables::situacao()
{
    static const SqlTable table { QStringLiteral("situacao"),
        { col("empresa", SmallInt), col("computador", Text), col("versao", Text), col("inicio", DateTime),
            col("ultimo_ciclo", DateTime) },
        { QStringLiteral("empresa") }, false, {} };
    return table;
}

const SqlTable& Tables::situacaoBicos()
{
    static const SqlTable table { QStringLiteral("situacao_bicos"),
        { col("empresa", SmallInt), col("bico", SmallInt), col("retidos", Integer), col("mais_antigo", DateTime),
            col("motivo", Text) },
        { QStringLiteral("empresa"), QStringLiteral("bico") }, false, {} };
    return table;
}

const SqlTable& Tables::mensagens()
{
    static const SqlTable table { QStringLiteral("mensagens_email"),
        { col("chave", SmallInt), col("codigo", Integer), col("empresa", SmallInt), col("nome_empresa", Text),
            col("nome_destinatario", Text), col("email_destinatario", Text), col("email_copia", Text),
            col("assunto", Text), col("mensagem", Text), col("data_hora", Text), col("data_hora_registro", Text),
            col("endereco_ip", Text), col("situacao", Integer), col("liberada", SmallInt) },
        { QStringLiteral("chave"), QStringLiteral("codigo") }, false, {} };
    return table;
}

QList<const SqlTable*> Tables::addedIn(int version)
{
    switch (version) {
    case 1:
        return { &produtos(), &estoques(), &bicos(), &encerrantes(), &abastecimentos() };
    case 2:
        return { &historico(), &situacao(), &situacaoBicos() };
    default:
        return {};
    }
}
