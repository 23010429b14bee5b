// autoquorvan-bomba: appends fuelings to a nozzle's pump table the way the pump automation does, so
// the bridge can be tried and measured without pumps.

#include "common/clock.h"
#include "common/drives.h"
#include "common/error.h"
#include "dbase/dbfappender.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <QThread>
#include <optional>

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// The demonstration fueling: 20 litres at 5,99 a litre.
const Money DemoLitros = Money::fromUnits(200000);
const Money DemoPreco = Money::fromUnits(59900);

const char Usage[] = "uso: autoquorvan-bomba DIRETORIO BICO [--litros L] [--valor V] [--data AAAAMMDD] "
                     "[--hora HH:MM:SS] [--quantidade N] [--intervalo-ms M] [--verbose]";

const char Help[]
    = "Acrescenta abastecimentos à tabela BOMBAnn.DBF do bico em DIRETORIO, criando-a quando falta.\n"
      "  --litros L        litros (padrão 20,000; com só --valor, valor / 5,99)\n"
      "  --valor V         valor total (padrão 119,80; com só --litros, litros * 5,99)\n"
      "  --data AAAAMMDD   data (padrão: hoje)\n"
      "  --hora HH:MM:SS   hora (padrão: agora, um segundo a mais por registro)\n"
      "  --quantidade N    registros a acrescentar (padrão 1; 0 só cria a tabela)\n"
      "  --intervalo-ms M  pausa entre os registros (padrão 0)\n"
      "  --verbose         mostra cada registro gravado\n"
      "Aceita ponto ou vírgula como separador decimal. Saída 2: argumentos inválidos; 1: falha ao gravar.\n";

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
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        if (!argument.startsWith(QStringLiteral("--")) || argument == u"--") {
            positional += argument;
            continue;
        }
        if (argument == u"--verbose") {
            options.verbose = true;
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
        throw UsageError { QString::fromLatin1(Usage) };
    options.diretorio = positional[0];
    options.bico = parseInteger(QStringLiteral("BICO"), positional[1], 1, 9999);
    return options;
}

// Given one of the two, the other follows at the demonstration price, so the fueling stays
// plausible; rounding to the field's decimals happens when the record is written.
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
}

int run(const QStringList& arguments)
{
    QTextStream err(stderr);
    QTextStream out(stdout);
    Options options;
    try {
        options = parseArguments(arguments);
        if (options.help) {
            out << Usage << '\n' << QString::fromUtf8(Help);
            return 0;
        }
        completeQuantities(options);
    } catch (const UsageError& error) {
        err << "autoquorvan-bomba: " << error.message << Qt::endl;
        return ExitUsage;
    } catch (const Error& error) {
        err << "autoquorvan-bomba: " << error.description() << Qt::endl;
        return ExitUsage;
    }

    const SystemClock clock;
    const Drives drives = Drives::fromEnvironment();
    QString directory = options.diretorio;
    if (!directory.endsWith(u'/') && !directory.endsWith(u'\\'))
        directory += u'/';
    DbfAppender appender(drives.toLocal(directory + PumpTable::name(options.bico)));

    PumpRecord record { options.data.value_or(clock.now().date()), options.hora.value_or(clock.now().time()),
        *options.litros, *options.valor };
    try {
        // Every record carries the same quantities, so one check before the first write keeps a
        // value that does not fit from leaving anything behind.
        appender.encode(record);
    } catch (const Error& error) {
        err << "autoquorvan-bomba: " << error.description() << Qt::endl;
        return error.number() == ErrorNumber::Overflow ? ExitUsage : ExitFailure;
    }

    try {
        appender.create(clock.now().date());
        QDateTime previous;
        for (int i = 0; i < options.quantidade; ++i) {
            if (i > 0 && options.intervaloMs > 0)
                QThread::msleep(ulong(options.intervaloMs));
            // Without a given time every record gets a second of its own: the bridge takes two
            // fuelings of one nozzle in the same second for one.
            QDateTime moment = clock.now();
            if (previous.isValid() && moment < previous.addSecs(1))
                moment = previous.addSecs(1);
            previous = moment;
            record.data = options.data.value_or(moment.date());
            record.hora = options.hora.value_or(moment.time());
            appender.append(record, clock.now().date());
            if (options.verbose)
                out << PumpTable::name(options.bico) << ' ' << record.data.toString(u"yyyyMMdd") << ' '
                    << record.hora.toString(u"HH:mm:ss") << ' ' << record.litros.toPlainText() << ' '
                    << record.valor.toPlainText() << Qt::endl;
        }
    } catch (const Error& error) {
        err << "autoquorvan-bomba: " << error.description() << Qt::endl;
        return ExitFailure;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return run(QCoreApplication::arguments());
}
