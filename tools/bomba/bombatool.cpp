#include "bombatool.h"

#include "common/error.h"
#include "dbase/dbfappender.h"

#include <QThread>
#include <optional>

namespace {

using namespace BombaTool;

// The demonstration fueling: 20 litres at 5,99 a litre.
const Money DemoLitros = Money::fromUnits(200000);
const Money DemoPreco = Money::fromUnits(59900);

const QString Usage = QStringLiteral("uso: autoquorvan-bomba DIRETORIO BICO [--litros L] [--valor V] [--data AAAAMMDD] "
                                     "[--hora HH:MM:SS] [--quantidade N] [--intervalo-ms M] [--permitir-invalido] "
                                     "[--verbose]");

const QString Help = QStringLiteral(
    "Acrescenta abastecimentos à tabela BOMBAnn.DBF do bico em DIRETORIO, criando-a quando falta.\n"
    "  --litros L           litros (padrão 20,000; com só --valor, valor / 5,99)\n"
    "  --valor V            valor total (padrão 119,80; com só --litros, litros * 5,99)\n"
    "  --data AAAAMMDD      data (padrão: hoje)\n"
    "  --hora HH:MM:SS      hora de todos os registros, repetida ou não (padrão: agora, veja abaixo)\n"
    "  --quantidade N       registros a acrescentar (padrão 1; 0 só cria a tabela)\n"
    "  --intervalo-ms M     pausa entre os registros (padrão 0)\n"
    "  --permitir-invalido  aceita litros e valor zero ou negativos, para ver como a ponte trata\n"
    "                       um registro ruim\n"
    "  --verbose            mostra cada registro gravado\n"
    "Sem --hora, um registro nunca repete a data e a hora do último registro da tabela, nem de um\n"
    "já apagado pela ponte (ela guarda só um abastecimento por bico, data e hora): se o último é\n"
    "deste segundo ou de depois, o registro leva o segundo seguinte ao dele, sem esperar.\n"
    "DIRETORIO é uma pasta local ou um caminho como C:\\wdn\\matriz (unidades em AUTOQUORVAN_DRIVES).\n"
    "Aceita ponto ou vírgula como separador decimal. Saída 2: argumentos inválidos, nada gravado;\n"
    "1: falha ao gravar.\n");

struct UsageError {
    QString message;
};

struct Options {
    QString diretorio;
    int bico = 0;
    std::optional<Money> litros;
    std::optional<Money> valor;
    std::optional<QDate> data;
    std::optional<QTime> hora;
    int quantidade = 1;
    int intervaloMs = 0;
    bool permitirInvalido = false;
    bool verbose = false;
    bool help = false;
};

Money parseMoney(const QString& option, const QString& text)
{
    const std::optional<Money> value = Money::fromPointOrComma(text);
    if (!value)
        throw UsageError { QStringLiteral("número inválido em %1: '%2'").arg(option, text) };
    return *value;
}

int parseInteger(const QString& option, const QString& text, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw UsageError { QStringLiteral("número inválido em %1: '%2'").arg(option, text) };
    if (value < minimum || value > maximum)
        throw UsageError { QStringLiteral("%1 fora de %2..%3: %4").arg(option).arg(minimum).arg(maximum).arg(value) };
    return value;
}

Options parseArguments(const QStringList& arguments)
{
    Options options;
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        if (!argument.startsWith(QStringLiteral("--")) || argument == u"--") {
            positional += argument;
            continue;
        }
        if (argument == u"--verbose") {
            options.verbose = true;
            continue;
        }
        if (argument == u"--permitir-invalido") {
            options.permitirInvalido = true;
            continue;
        }
        if (argument == u"--ajuda" || argument == u"--help") {
            options.help = true;
            return options;
        }
        std::optional<QString> value;
        if (const qsizetype equals = argument.indexOf(u'='); equals > 0) {
            value = argument.mid(equals + 1);
            argument.truncate(equals);
        }
        static const QStringList withValue { QStringLiteral("--litros"), QStringLiteral("--valor"),
            QStringLiteral("--data"), QStringLiteral("--hora"), QStringLiteral("--quantidade"),
            QStringLiteral("--intervalo-ms") };
        if (!withValue.contains(argument))
            throw UsageError { QStringLiteral("opção desconhecida: %1").arg(argument) };
        if (!value) {
            if (i + 1 >= arguments.size())
                throw UsageError { QStringLiteral("falta o valor de %1").arg(argument) };
            value = arguments[++i];
        }
        if (argument == u"--litros") {
            options.litros = parseMoney(argument, *value);
        } else if (argument == u"--valor") {
            options.valor = parseMoney(argument, *value);
        } else if (argument == u"--data") {
            const QDate date = QDate::fromString(*value, QStringLiteral("yyyyMMdd"));
            if (!date.isValid())
                throw UsageError { QStringLiteral("data inválida em --data (AAAAMMDD): '%1'").arg(*value) };
            options.data = date;
        } else if (argument == u"--hora") {
            const QTime time = QTime::fromString(*value, QStringLiteral("HH:mm:ss"));
            if (!time.isValid())
                throw UsageError { QStringLiteral("hora inválida em --hora (HH:MM:SS): '%1'").arg(*value) };
            options.hora = time;
        } else if (argument == u"--quantidade") {
            options.quantidade = parseInteger(argument, *value, 0, 1000000);
        } else {
            options.intervaloMs = parseInteger(argument, *value, 0, 3600000);
        }
    }
    if (positional.size() != 2)
        throw UsageError { Usage };
    options.diretorio = positional[0];
    options.bico = parseInteger(QStringLiteral("BICO"), positional[1], 1, 9999);
    return options;
}

// The value as a new pump table holds it, so the check below sees what the bridge will read:
// 0,0004 litres is stored as 0,000.
Money asStored(Money value, const char16_t* fieldName)
{
    int decimals = 0;
    for (const Dbf::Field& field : PumpTable::fields()) {
        if (field.name.compare(QStringView(fieldName), Qt::CaseInsensitive) == 0)
            decimals = field.decimals;
    }
    const QString pattern = QStringLiteral("0.") + QString(decimals, u'0');
    return *Money::fromPointOrComma(value.format(pattern, QLocale::c()));
}

// Given one of the two, the other follows at the demonstration price, so the fueling stays
// plausible. A fueling of nothing or less is a bad record, written only on purpose.
void completeQuantities(Options& options)
{
    if (!options.litros && !options.valor) {
        options.litros = DemoLitros;
        options.valor = DemoLitros * DemoPreco;
    } else if (!options.valor) {
        options.valor = *options.litros * DemoPreco;
    } else if (!options.litros) {
        options.litros = Money::fromDouble(options.valor->toDouble() / DemoPreco.toDouble());
    }
    options.litros = asStored(*options.litros, PumpTable::Litros);
    options.valor = asStored(*options.valor, PumpTable::Valor);
    if (options.permitirInvalido)
        return;
    for (const auto& [name, value] :
        { std::pair(QStringLiteral("litros"), *options.litros), std::pair(QStringLiteral("valor"), *options.valor) }) {
        if (value <= Money())
            throw UsageError { QStringLiteral("%1 %2 não é maior que zero (--permitir-invalido grava assim mesmo)")
                                   .arg(name, value.toText(QLocale::c())) };
    }
}

// Without a given time a record takes the clock's second, or the second after the last record
// when that one is this second or later: the bridge keeps one fueling per nozzle, date and time,
// and a script that calls the writer in a loop must not lose any. Taken, not waited for, so a
// thousand records do not take a thousand seconds.
QDateTime nextMoment(const Options& options, const QDateTime& now, const std::optional<QDateTime>& last)
{
    const QTime second(now.time().hour(), now.time().minute(), now.time().second());
    QDateTime moment(options.data.value_or(now.date()), second, Qt::UTC);
    if (!last || moment > *last || (options.data && last->date() != *options.data))
        return moment;
    moment = last->addSecs(1);
    if (options.data && moment.date() != *options.data)
        throw UsageError { QStringLiteral(
            "não há segundo livre em --data %1 depois do último registro (%2); use --hora")
                               .arg(options.data->toString(u"yyyyMMdd"), last->time().toString(u"HH:mm:ss")) };
    return moment;
}

} // namespace

int BombaTool::run(
    const QStringList& arguments, const Drives& drives, const Clock& clock, QTextStream& out, QTextStream& err)
{
    const QString program = QStringLiteral("autoquorvan-bomba: ");
    Options options;
    try {
        options = parseArguments(arguments);
        if (options.help) {
            out << Usage << '\n' << Help;
            return ExitOk;
        }
        completeQuantities(options);
    } catch (const UsageError& error) {
        err << program << error.message << Qt::endl;
        return ExitBadInput;
    } catch (const Error& error) {
        err << program << error.description() << Qt::endl;
        return ExitBadInput;
    }

    QString directory = options.diretorio;
    if (!directory.endsWith(u'/') && !directory.endsWith(u'\\'))
        directory += u'/';
    DbfAppender appender(drives.toLocal(directory + PumpTable::name(options.bico)));

    PumpRecord record { options.data.value_or(clock.now().date()), options.hora.value_or(clock.now().time()),
        *options.litros, *options.valor };
    std::optional<QDateTime> last;
    try {
        // Every record carries the same quantities, so one check before the first write keeps a
        // value that does not fit from leaving anything behind.
        appender.encode(record);
        last = appender.lastMoment();
        // The first record's moment is checked before anything is written, too.
        if (!options.hora && options.quantidade > 0)
            nextMoment(options, clock.now(), last);
    } catch (const UsageError& error) {
        err << program << error.message << Qt::endl;
        return ExitBadInput;
    } catch (const Error& error) {
        err << program << error.description() << Qt::endl;
        return error.number() == ErrorNumber::Overflow ? ExitBadInput : ExitFailure;
    }

    try {
        appender.create(clock.now().date());
        for (int i = 0; i < options.quantidade; ++i) {
            if (i > 0 && options.intervaloMs > 0)
                QThread::msleep(ulong(options.intervaloMs));
            if (options.hora) {
                record.data = options.data.value_or(clock.now().date());
                record.hora = *options.hora;
            } else {
                last = nextMoment(options, clock.now(), last);
                record.data = last->date();
                record.hora = last->time();
            }
            appender.append(record, clock.now().date());
            if (options.verbose)
                out << PumpTable::name(options.bico) << ' ' << record.data.toString(u"yyyyMMdd") << ' '
                    << record.hora.toString(u"HH:mm:ss") << ' ' << record.litros.toPlainText() << ' '
                    << record.valor.toPlainText() << Qt::endl;
        }
    } catch (const UsageError& error) {
        // Only a later record can run out of seconds, after the first ones were written.
        err << program << error.message << Qt::endl;
        return ExitFailure;
    } catch (const Error& error) {
        err << program << error.description() << Qt::endl;
        return ExitFailure;
    }
    return ExitOk;
}
