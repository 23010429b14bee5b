#include "retaguardatool.h"

#include "backoffice/backofficeadmin.h"
#include "backoffice/backofficedatabase.h"
#include "backoffice/backofficestatus.h"
#include "backoffice/tables.h"
#include "bridge/bridge.h"
#include "common/error.h"
#include "common/leini.h"
#include "fechamentopage.h"

#include <QHash>
#include <QSaveFile>
#include <optional>

namespace {

using namespace RetaguardaTool;

const QString Usage = QStringLiteral(
    "uso: autoquorvan-retaguarda [--banco ARQUIVO] COMANDO [ARGUMENTOS]\n"
    "Cadastro:\n"
    "  init                                       cria o esquema (no SQLite, também o arquivo)\n"
    "  atualiza                                   leva um esquema de versão anterior à atual\n"
    "  produto CODIGO PRECO [--descricao TEXTO]   sem --descricao, mantém a descrição gravada\n"
    "  estoque EMPRESA PRODUTO PRECO\n"
    "  bico EMPRESA BICO PRODUTO PRECO [--forcar] recusa produto não cadastrado, salvo com --forcar\n"
    "  encerrante EMPRESA BICO VALOR [--motivo TEXTO]\n"
    "Listagens (CSV, com o nome das colunas na primeira linha):\n"
    "  produtos                                   codigo,descricao,valor_unitario\n"
    "  estoques [--empresa N]                     empresa,produto,valor_unitario\n"
    "  bicos [--empresa N]                        empresa,bico,produto,valor_unitario\n"
    "  encerrantes [--empresa N]                  empresa,bico,encerrante_atual\n"
    "  abastecimentos [--empresa N] [--bico N]    empresa,bico,data,hora,produto,valor_unitario,quantidade,\n"
    "                                             valor_total, na ordem de registro\n"
    "  historico [--empresa N] [--bico N]         empresa,bico,data_hora,tipo,motivo,litros,antes,depois,\n"
    "                                             abastecimento_data,abastecimento_hora: cada mudança de encerrante\n"
    "  mensagens                                  as mensagens de e-mail da caixa de saída local\n"
    "  situacao                                   cada posto: empresa,computador,versao,inicio,ultimo_ciclo,\n"
    "                                             estado (parado quando o último ciclo tem mais de um minuto),\n"
    "                                             retidos (registros à espera), bicos (bico=retidos ...)\n"
    "  fechamento --data AAAA-MM-DD [--empresa N] [--html ARQUIVO]\n"
    "                                             o fechamento do dia por bico: empresa,bico,produto,descricao,\n"
    "                                             encerrante_abertura,encerrante_fechamento,litros,abastecimentos,\n"
    "                                             valor_total,diferenca (fechamento - abertura - litros); com --html,\n"
    "                                             também uma página para imprimir, com os litros por hora\n"
    "Valores: EMPRESA e BICO de 1 a 32767; CODIGO e PRODUTO de 1 a 32767; PRECO e VALOR não negativos, com\n"
    "ponto ou vírgula decimal e até 4 casas.\n"
    "O banco: o que C:\\Quorvan\\AutoQuorvanNolvex\\Retaguarda.INI indica (o arquivo SQLite Retaguarda.db ao\n"
    "lado dele, por padrão, ou um servidor PostgreSQL); --banco ARQUIVO usa outro arquivo SQLite. Fora do\n"
    "Windows, a unidade C: é a pasta $AUTOQUORVAN_DRIVES/C (padrão: ~/.local/share/AutoQuorvan/drives/C).\n"
    "As listagens só leem o banco. Saída: 0 feito; 1 o banco de dados falhou; 2 entrada inválida, nada gravado.\n"
    "  --help    esta ajuda\n"
    "  --version a versão\n");

// Bad input: the message becomes the one line on standard error.
struct BadInput {
    QString message;
};

struct Command {
    QString name;
    QStringList positional;
    QHash<QString, QString> options;
    std::optional<QString> banco;
    // The station's name from AutoQuorvan.INI, for the pages the tool writes.
    QString posto;
};

// Options that are flags, without a value.
const QStringList Flags = { QStringLiteral("forcar") };

Command parse(const QStringList& arguments)
{
    static const QStringList Options
        = { QStringLiteral("banco"), QStringLiteral("descricao"), QStringLiteral("empresa"), QStringLiteral("bico"),
              QStringLiteral("motivo"), QStringLiteral("forcar"), QStringLiteral("data"), QStringLiteral("html") };
    Command command;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        // "-5" is a value, not an option: only "--" starts an option.
        if (!argument.startsWith(u"--")) {
            command.positional.append(argument);
            continue;
        }
        QString name = argument.mid(2);
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(u'='); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (!Options.contains(name))
            throw BadInput { QStringLiteral("opção desconhecida \"%1\"").arg(argument) };
        if (Flags.contains(name)) {
            if (value)
                throw BadInput { QStringLiteral("--%1 não leva valor").arg(name) };
            value = QString();
        } else if (!value) {
            if (i + 1 >= arguments.size())
                throw BadInput { QStringLiteral("falta o valor de --%1").arg(name) };
            value = arguments[++i];
        }
        if (name == u"banco")
            command.banco = *value;
        else if (command.options.contains(name))
            throw BadInput { QStringLiteral("--%1 repetida").arg(name) };
        else
            command.options.insert(name, *value);
    }
    if (command.positional.isEmpty())
        throw BadInput { QStringLiteral("falta o comando (use --help)") };
    command.name = command.positional.takeFirst();
    return command;
}

void expect(const Command& command, const QStringList& names, const QStringList& allowedOptions)
{
    if (command.positional.size() < names.size())
        throw BadInput { QStringLiteral("%1: falta %2").arg(command.name, names[command.positional.size()]) };
    if (command.positional.size() > names.size())
        throw BadInput {
            QStringLiteral("%1: argumento a mais \"%2\"").arg(command.name, command.positional[names.size()])
        };
    for (auto option = command.options.cbegin(); option != command.options.cend(); ++option) {
        if (!allowedOptions.contains(option.key()))
            throw BadInput { QStringLiteral("%1 não aceita --%2").arg(command.name, option.key()) };
    }
}

// Companies, nozzles and product codes all start at 1 and fit the bridge's 16-bit fields: a nozzle
// pointing at a product code it cannot hold would keep every sale of that nozzle waiting.
qint16 code(const QString& text, const QString& what)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > 32767)
        throw BadInput { QStringLiteral("%1 \"%2\" não é um número de 1 a 32767").arg(what, text) };
    return qint16(value);
}

// Prices and totalizers are typed both ways; more decimals than are stored would be rounded away
// without a word, so they are refused.
Money amount(const QString& text, const QString& what)
{
    const qsizetype separator = std::max(text.lastIndexOf(u'.'), text.lastIndexOf(u','));
    const auto value = Money::fromPointOrComma(text);
    if (!value)
        throw BadInput { QStringLiteral("%1 \"%2\" não é um valor").arg(what, text) };
    if (separator >= 0 && text.size() - separator - 1 > 4)
        throw BadInput { QStringLiteral("%1 \"%2\" tem mais de 4 casas decimais").arg(what, text) };
    if (*value < Money())
        throw BadInput { QStringLiteral("%1 \"%2\" é negativo").arg(what, text) };
    return *value;
}

BackOfficeAdmin::Filter filter(const Command& command, const QStringList& options)
{
    BackOfficeAdmin::Filter result;
    for (const QString& name : options) {
        if (command.options.contains(name))
            result.append({ name, int(code(command.options.value(name), QStringLiteral("--") + name)) });
    }
    return result;
}

QByteArray csvField(const QString& value)
{
    QByteArray bytes = value.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace('"', "\"\"") + '"';
    return bytes;
}

// RFC 4180: CR LF after each record, a field holding a separator, a quote or a line break quoted.
QByteArray csv(const BackOfficeAdmin::Table& table)
{
    QByteArray text;
    const auto line = [&text](const QStringList& fields) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                text += ',';
            text += csvField(fields[i]);
        }
        text += "\r\n";
    };
    line(table.header);
    for (const QStringList& row : table.rows)
        line(row);
    return text;
}

// Opens the database for a command; a missing, foreign or badly configured database is bad input,
// since the operator named the wrong one or has not run init.
void openExisting(BackOfficeDatabase& database)
{
    if (database.open())
        return;
    if (database.status() == BackOfficeDatabase::Status::Failed)
        throw Error(ErrorNumber::BackOffice, database.failure());
    QString message = database.failure();
    if (database.status() == BackOfficeDatabase::Status::Missing)
        message += QStringLiteral(" (crie-o com init)");
    throw BadInput { message };
}

using Handler = std::function<void(const Command&, BackOfficeDatabase&, QByteArray&)>;

struct Entry {
    QStringList arguments;
    QStringList options;
    bool listing;
    Handler handler;
};

void listing(const Command& command, BackOfficeDatabase& database, QByteArray& out, const SqlTable& table,
    const QStringList& filterOptions, const QString& orderBy, const QStringList& columns = {})
{
    const auto conditions = filter(command, filterOptions);
    openExisting(database);
    out += csv(BackOfficeAdmin::listagem(database, table, conditions, orderBy, columns));
}

const QHash<QString, Entry>& commands()
{
    const auto arg = [](const Command& command, int i) { return command.positional[i]; };
    static const QHash<QString, Entry> entries {
        { QStringLiteral("init"),
            { {}, {}, false,
                [](const Command&, BackOfficeDatabase& database, QByteArray& out) {
                    const bool created = database.create();
                    out += (created ? QStringLiteral("Banco criado: %1\n") : QStringLiteral("Banco já preparado: %1\n"))
                               .arg(database.settings().describe())
                               .toUtf8();
                } } },
        { QStringLiteral("atualiza"),
            { {}, {}, false,
                [](const Command&, BackOfficeDatabase& database, QByteArray& out) {
                    const int found = database.upgrade();
                    out += (found == Tables::SchemaVersion
                            ? QStringLiteral("O esquema já está na versão %1: %2\n").arg(found)
                            : QStringLiteral("Esquema atualizado da versão %1 para a %2: %3\n")
                                  .arg(found)
                                  .arg(Tables::SchemaVersion))
                               .arg(database.settings().describe())
                               .toUtf8();
                } } },
        { QStringLiteral("produto"),
            { { QStringLiteral("CODIGO"), QStringLiteral("PRECO") }, { QStringLiteral("descricao") }, false,
                [arg](const Command& command, BackOfficeDatabase& database, QByteArray&) {
                    const qint16 codigo = code(arg(command, 0), QStringLiteral("CODIGO"));
                    const Money preco = amount(arg(command, 1), QStringLiteral("PRECO"));
                    const auto descricao = command.options.contains(QStringLiteral("descricao"))
                        ? std::optional(command.options.value(QStringLiteral("descricao")))
                        : std::nullopt;
                    openExisting(database);
                    BackOfficeAdmin::gravaProduto(database, codigo, preco, descricao);
                } } },
        { QStringLiteral("estoque"),
            { { QStringLiteral("EMPRESA"), QStringLiteral("PRODUTO"), QStringLiteral("PRECO") }, {}, false,
                [arg](const Command& command, BackOfficeDatabase& database, QByteArray&) {
                    const qint16 empresa = code(arg(command, 0), QStringLiteral("EMPRESA"));
                    const qint16 produto = code(arg(command, 1), QStringLiteral("PRODUTO"));
                    const Money preco = amount(arg(command, 2), QStringLiteral("PRECO"));
                    openExisting(database);
                    BackOfficeAdmin::gravaEstoque(database, empresa, produto, preco);
                } } },
        { QStringLiteral("bico"),
            { { QStringLiteral("EMPRESA"), QStringLiteral("BICO"), QStringLiteral("PRODUTO"), QStringLiteral("PRECO") },
                { QStringLiteral("forcar") }, false,
                [arg](const Command& command, BackOfficeDatabase& database, QByteArray&) {
                    const qint16 empresa = code(arg(command, 0), QStringLiteral("EMPRESA"));
                    const qint16 bico = code(arg(command, 1), QStringLiteral("BICO"));
                    const qint16 produto = code(arg(command, 2), QStringLiteral("PRODUTO"));
                    const Money preco = amount(arg(command, 3), QStringLiteral("PRECO"));
                    openExisting(database);
                    if (!command.options.contains(QStringLiteral("forcar"))
                        && !BackOfficeAdmin::produtoExiste(database, produto))
                        throw BadInput { QStringLiteral(
                            "o produto %1 não está cadastrado (cadastre-o com produto, ou use "
                            "--forcar)")
                                             .arg(produto) };
                    BackOfficeAdmin::gravaBico(database, empresa, bico, produto, preco);
                } } },
        { QStringLiteral("encerrante"),
            { { QStringLiteral("EMPRESA"), QStringLiteral("BICO"), QStringLiteral("VALOR") },
                { QStringLiteral("motivo") }, false,
                [arg](const Command& command, BackOfficeDatabase& database, QByteArray&) {
                    const qint16 empresa = code(arg(command, 0), QStringLiteral("EMPRESA"));
                    const qint16 bico = code(arg(command, 1), QStringLiteral("BICO"));
                    const Money valor = amount(arg(command, 2), QStringLiteral("VALOR"));
                    openExisting(database);
                    BackOfficeAdmin::gravaEncerrante(database, empresa, bico, valor,
                        command.options.value(QStringLiteral("motivo")), QDateTime::currentDateTime());
                } } },
        { QStringLiteral("produtos"),
            { {}, {}, true,
                [](const Command& command, BackOfficeDatabase& database, QByteArray& out) {
                    listing(command, database, out, Tables::produtos(), {}, QStringLiteral("codigo"));
                } } },
        { QStringLiteral("estoques"),
            { {}, { QStringLiteral("empresa") }, true,
                [](const Command& command, BackOfficeDatabase& database, QByteArray& out) {
                    listing(command, database, out, Tables::estoques(), { QStringLiteral("empresa") },
                        QStringLiteral("empresa, produto"));
                } } },
        { QStringLiteral("bicos"),
            { {}, { QStringLiteral("empresa") }, true,
                [](const Command& command, BackOfficeDatabase& database, QByteArray& out) {
                    listing(command, database, out, Tables::bicos(), { QStringLiteral("empresa") },
                        QStringLiteral("empresa, bico"));
                } } },
        { QStringLiteral("encerrantes"),
            { {}, { QStringLiteral("empresa") }, true,
                [](const Command& command, BackOfficeDatabase& database, QByteArray& out) {
                    listing(command, database, out, Tables::encerrantes(), { QStringLiteral("empresa") },
                        QStringLiteral("empresa, bico"));
                } } },
        { QStringLiteral("abastecimentos"),
            { {}, { QStringLiteral("empresa"), QStringLiteral("bico") }, true,
                [](const Command& command, BackOfficeDatabase& database, QByteArray& out) {
                    listing(command, database, out, Tables::abastecimentos(),
                        { QStringLiteral("empresa"), QStringLiteral("bico") }, QStringLiteral("id"),
                        { QStringLiteral("empresa"), QStringLiteral("bico"), QStringLiteral("data"),
                            QStringLiteral("hora"), QStringLiteral("produto"), QStringLiteral("valor_unitario"),
                            QStringLiteral("quantidade"), QStringLiteral("valor_total") });
                } } },
        { QStringLiteral("historico"),
            { {}, { QStringLiteral("empresa"), QStringLiteral("bico") }, true,
                [](const Command& command, BackOfficeDatabase& database, QByteArray& out) {
                    listing(command, database, out, Tables::historico(),
                        { QStringLiteral("empresa"), QStringLiteral("bico") }, QStringLiteral("id"));
                } } },
        { QStringLiteral("fechamento"),
            { {}, { QStringLiteral("data"), QStringLiteral("empresa"), QStringLiteral("html") }, true,
                [](const Command& command, BackOfficeDatabase& database, QByteArray& out) {
                    const QDate data = QDate::fromString(command.options.value(QStringLiteral("data")), u"yyyy-MM-dd");
                    if (!data.isValid())
                        throw BadInput { QStringLiteral(
                            "fechamento: --data AAAA-MM-DD é obrigatória (\"%1\" não é uma data)")
                                             .arg(command.options.value(QStringLiteral("data"))) };
                    const auto conditions = filter(command, { QStringLiteral("empresa") });
                    const auto empresa = conditions.isEmpty()
                        ? std::nullopt
                        : std::optional(qint16(conditions.first().second.toInt()));
                    openExisting(database);
                    const BackOfficeAdmin::Table table = BackOfficeAdmin::fechamento(database, data, empresa);
                    out += csv(table);
                    if (command.options.contains(QStringLiteral("html"))) {
                        const QString path = command.options.value(QStringLiteral("html"));
                        QSaveFile page(path);
                        const QByteArray bytes = FechamentoPage::html(
                            command.posto, data, table, BackOfficeAdmin::litrosPorHora(database, data, empresa));
                        if (!page.open(QIODevice::WriteOnly) || page.write(bytes) != bytes.size() || !page.commit())
                            throw Error(ErrorNumber::FileAccess,
                                QStringLiteral("não foi possível gravar a página %1: %2")
                                    .arg(path, page.errorString()));
                    }
                } } },
        { QStringLiteral("situacao"),
            { {}, {}, true,
                [](const Command&, BackOfficeDatabase& database, QByteArray& out) {
                    openExisting(database);
                    out += csv({ { QStringLiteral("empresa"), QStringLiteral("computador"), QStringLiteral("versao"),
                                     QStringLiteral("inicio"), QStringLiteral("ultimo_ciclo"), QStringLiteral("estado"),
                                     QStringLiteral("retidos"), QStringLiteral("bicos") },
                        BackOfficeStatus::lista(database, QDateTime::currentDateTime()) });
                } } },
        { QStringLiteral("mensagens"),
            { {}, {}, true,
                [](const Command&, BackOfficeDatabase& database, QByteArray& out) {
                    out += csv(BackOfficeAdmin::mensagens(database));
                } } },
    };
    return entries;
}

} // namespace

int RetaguardaTool::run(const QStringList& arguments, const Drives& drives, QByteArray& out, QByteArray& err)
{
    const QString program = QStringLiteral("autoquorvan-retaguarda: ");
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        out += Usage.toUtf8();
        return ExitOk;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        out += QStringLiteral("autoquorvan-retaguarda %1\n").arg(Bridge::gVersao).toUtf8();
        return ExitOk;
    }
    std::optional<BackOfficeDatabase> database;
    try {
        Command command = parse(arguments);
        const auto entry = commands().constFind(command.name);
        if (entry == commands().cend())
            throw BadInput { QStringLiteral("comando desconhecido \"%1\" (use --help)").arg(command.name) };
        expect(command, entry->arguments, entry->options);
        command.posto = RotinasGerais::LeIni(QStringLiteral("OUTRAS"), QStringLiteral("Nome da Empresa"),
            drives.toLocal(SystemFolder + QStringLiteral("AutoQuorvan.INI")));
        BackOfficeSettings settings = BackOfficeSettings::fromIni(drives);
        if (command.banco) {
            if (command.banco->isEmpty())
                throw BadInput { QStringLiteral("--banco sem arquivo") };
            settings.driver.clear();
            settings.file = drives.toLocal(*command.banco);
        }
        // A listing asks for no write at all, so a user who may only read the database can list.
        database.emplace(
            settings, entry->listing ? BackOfficeDatabase::Access::ReadOnly : BackOfficeDatabase::Access::ReadWrite);
        entry->handler(command, *database, out);
        return ExitOk;
    } catch (const BadInput& bad) {
        err += (program + bad.message + u'\n').toUtf8();
        return ExitBadInput;
    } catch (const Error& error) {
        // A database refused as it stands is bad input too: nothing was written.
        const auto status = database ? database->status() : BackOfficeDatabase::Status::Closed;
        const bool refused = status != BackOfficeDatabase::Status::Failed && status != BackOfficeDatabase::Status::Open
            && status != BackOfficeDatabase::Status::Closed;
        err += (program + error.description() + u'\n').toUtf8();
        return refused ? ExitBadInput : ExitFailure;
    }
}
