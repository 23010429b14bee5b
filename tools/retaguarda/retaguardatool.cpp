#include "retaguardatool.h"

#include "backoffice/backofficeadmin.h"
#include "backoffice/backofficedatabase.h"
#include "common/error.h"

#include <QHash>
#include <functional>
#include <optional>

namespace {

using namespace RetaguardaTool;

const QString Usage = QStringLiteral("uso: autoquorvan-retaguarda [--banco ARQUIVO] COMANDO\n"
                                     "  init                                   cria o banco de dados e o esquema\n"
                                     "  produto CODIGO PRECO [--descricao TEXTO]\n"
                                     "  estoque EMPRESA PRODUTO PRECO\n"
                                     "  bico EMPRESA BICO PRODUTO PRECO\n"
                                     "  encerrante EMPRESA BICO VALOR\n"
                                     "  abastecimentos [--empresa N] [--bico N]  CSV na ordem de registro\n"
                                     "  encerrantes [--empresa N]              CSV\n"
                                     "  mensagens                              CSV das mensagens de e-mail\n"
                                     "Valores com . ou , decimal. --banco usa outro arquivo SQLite.\n");

// Bad input: the message becomes the one line on standard error.
struct BadInput {
    QString message;
};

struct Command {
    QString name;
    QStringList positional;
    QHash<QString, QString> options;
    std::optional<QString> banco;
};

Command parse(const QStringList& arguments)
{
    static const QStringList Options
        = { QStringLiteral("banco"), QStringLiteral("descricao"), QStringLiteral("empresa"), QStringLiteral("bico") };
    Command command;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        // "-5" is a negative value, not an option: only "--" starts an option.
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
        if (!value) {
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

qint16 number16(const QString& text, const QString& what)
{
    bool ok = false;
    const short value = text.toShort(&ok);
    if (!ok)
        throw BadInput { QStringLiteral("%1 \"%2\" não é um número de -32768 a 32767").arg(what, text) };
    return value;
}

qint32 number32(const QString& text, const QString& what)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw BadInput { QStringLiteral("%1 \"%2\" não é um número inteiro de 32 bits").arg(what, text) };
    return value;
}

// Stations type prices both ways.
Money money(const QString& text, const QString& what)
{
    if (const auto value = Money::fromPointOrComma(text))
        return *value;
    throw BadInput { QStringLiteral("%1 \"%2\" não é um valor").arg(what, text) };
}

std::optional<qint16> option16(const Command& command, const QString& name)
{
    const auto found = command.options.constFind(name);
    if (found == command.options.cend())
        return std::nullopt;
    return number16(found.value(), QStringLiteral("--") + name);
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

// Opens the database for a command; a missing or foreign database is bad input, since the
// operator named the wrong file or has not run init.
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

int execute(const Command& command, BackOfficeDatabase& database, QByteArray& out)
{
    const QString& name = command.name;
    const QStringList& args = command.positional;
    if (name == u"init") {
        expect(command, {}, {});
        const bool created = database.create();
        out += (created ? QStringLiteral("Banco criado: %1\n") : QStringLiteral("Banco já preparado: %1\n"))
                   .arg(database.settings().file)
                   .toUtf8();
    } else if (name == u"produto") {
        expect(command, { QStringLiteral("CODIGO"), QStringLiteral("PRECO") }, { QStringLiteral("descricao") });
        const qint32 codigo = number32(args[0], QStringLiteral("CODIGO"));
        const Money preco = money(args[1], QStringLiteral("PRECO"));
        openExisting(database);
        BackOfficeAdmin::gravaProduto(database, codigo, preco, command.options.value(QStringLiteral("descricao")));
    } else if (name == u"estoque") {
        expect(command, { QStringLiteral("EMPRESA"), QStringLiteral("PRODUTO"), QStringLiteral("PRECO") }, {});
        const qint16 empresa = number16(args[0], QStringLiteral("EMPRESA"));
        const qint32 produto = number32(args[1], QStringLiteral("PRODUTO"));
        const Money preco = money(args[2], QStringLiteral("PRECO"));
        openExisting(database);
        BackOfficeAdmin::gravaEstoque(database, empresa, produto, preco);
    } else if (name == u"bico") {
        expect(command,
            { QStringLiteral("EMPRESA"), QStringLiteral("BICO"), QStringLiteral("PRODUTO"), QStringLiteral("PRECO") },
            {});
        const qint16 empresa = number16(args[0], QStringLiteral("EMPRESA"));
        const qint16 bico = number16(args[1], QStringLiteral("BICO"));
        const qint32 produto = number32(args[2], QStringLiteral("PRODUTO"));
        const Money preco = money(args[3], QStringLiteral("PRECO"));
        openExisting(database);
        BackOfficeAdmin::gravaBico(database, empresa, bico, produto, preco);
    } else if (name == u"encerrante") {
        expect(command, { QStringLiteral("EMPRESA"), QStringLiteral("BICO"), QStringLiteral("VALOR") }, {});
        const qint16 empresa = number16(args[0], QStringLiteral("EMPRESA"));
        const qint16 bico = number16(args[1], QStringLiteral("BICO"));
        const Money valor = money(args[2], QStringLiteral("VALOR"));
        openExisting(database);
        BackOfficeAdmin::gravaEncerrante(database, empresa, bico, valor);
    } else if (name == u"abastecimentos") {
        expect(command, {}, { QStringLiteral("empresa"), QStringLiteral("bico") });
        const auto empresa = option16(command, QStringLiteral("empresa"));
        const auto bico = option16(command, QStringLiteral("bico"));
        openExisting(database);
        out += csv(BackOfficeAdmin::abastecimentos(database, empresa, bico));
    } else if (name == u"encerrantes") {
        expect(command, {}, { QStringLiteral("empresa") });
        const auto empresa = option16(command, QStringLiteral("empresa"));
        openExisting(database);
        out += csv(BackOfficeAdmin::encerrantes(database, empresa));
    } else if (name == u"mensagens") {
        expect(command, {}, {});
        out += csv(BackOfficeAdmin::mensagens(database));
    } else {
        throw BadInput { QStringLiteral("comando desconhecido \"%1\" (use --help)").arg(name) };
    }
    return ExitOk;
}

} // namespace

int RetaguardaTool::run(const QStringList& arguments, const Drives& drives, QByteArray& out, QByteArray& err)
{
    const QString program = QStringLiteral("autoquorvan-retaguarda: ");
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        out += Usage.toUtf8();
        return ExitOk;
    }
    std::optional<BackOfficeDatabase> database;
    try {
        const Command command = parse(arguments);
        BackOfficeSettings settings = BackOfficeSettings::fromIni(drives);
        if (command.banco) {
            if (command.banco->isEmpty())
                throw BadInput { QStringLiteral("--banco sem arquivo") };
            settings.driver.clear();
            settings.file = drives.toLocal(*command.banco);
        }
        database.emplace(settings);
        return execute(command, *database, out);
    } catch (const BadInput& bad) {
        err += (program + bad.message + u'\n').toUtf8();
        return ExitBadInput;
    } catch (const Error& error) {
        // init refusing another program's file is bad input too: nothing was written.
        const auto status = database ? database->status() : BackOfficeDatabase::Status::Closed;
        const bool refused = status == BackOfficeDatabase::Status::NotOurs
            || status == BackOfficeDatabase::Status::Unsupported || status == BackOfficeDatabase::Status::Missing;
        err += (program + error.description() + u'\n').toUtf8();
        return refused ? ExitBadInput : ExitFailure;
    }
}
