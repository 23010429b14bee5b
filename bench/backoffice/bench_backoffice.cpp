// The cost of registering one fueling as the bridge does (Existe, Inclui, then the totalizer's
// Localiza and Altera) through the back-office classes, against the same durable statements
// written by hand on a database of the same kind. The two run interleaved, one of each per round,
// so a slow moment of the disk weighs on both alike.
//
//   bench_backoffice [ROUNDS] [FOLDER]     (defaults: 2000 rounds, a temporary folder)

#include "backoffice/backofficeadmin.h"
#include "backoffice/backofficeclasses.h"
#include "common/plainsql.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Summary {
    double median;
    double p90;
    double mean;
};

Summary summarise(std::vector<qint64> nanoseconds)
{
    std::sort(nanoseconds.begin(), nanoseconds.end());
    double total = 0;
    for (qint64 value : nanoseconds)
        total += double(value);
    const auto at = [&](double fraction) {
        return double(nanoseconds[size_t(fraction * double(nanoseconds.size() - 1))]) / 1000.0;
    };
    return { at(0.5), at(0.9), total / double(nanoseconds.size()) / 1000.0 };
}

DateValue dayOf(int round)
{
    return DateValue::fromDate(QDate(2026, 1, 1).addDays(round / 86400));
}

DateValue timeOf(int round)
{
    return DateValue::fromTime(QTime(0, 0).addSecs(round % 86400));
}

BackOfficeSettings prepared(const QString& folder, const QString& name)
{
    const BackOfficeSettings settings
        = BackOfficeSettings::sqlite(folder + u'/' + name, folder + QStringLiteral("/Mensagens.db"));
    BackOfficeDatabase database(settings);
    database.create();
    BackOfficeAdmin::gravaEncerrante(database, 1, 1, Money(), QString(), QDateTime::currentDateTime());
    return settings;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int rounds = arguments.size() > 1 ? arguments[1].toInt() : 2000;
    QTemporaryDir temporary;
    const QString folder = arguments.size() > 2 ? arguments[2] : temporary.path();
    if (rounds < 1 || !QDir(folder).exists()) {
        std::fprintf(stderr, "usage: bench_backoffice [ROUNDS] [FOLDER]\n");
        return 2;
    }

    const BackOfficeSettings classesSettings = prepared(folder, QStringLiteral("classes.db"));
    const BackOfficeSettings plainSettings = prepared(folder, QStringLiteral("plain.db"));
    BackOfficeDatabase database(classesSettings);
    clsAbastecimento fueling(database);
    clsEncerrante encerrante(database);
    bench::PlainSql plain(plainSettings.file);

    const Money quantity = Money::fromUnits(12340);
    std::vector<qint64> classesTimes;
    std::vector<qint64> plainTimes;
    classesTimes.reserve(size_t(rounds));
    plainTimes.reserve(size_t(rounds));
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        timer.start();
        if (fueling.Existe(1, dayOf(round), timeOf(round), 1))
            return 1;
        fueling.CodigoEmpresa = 1;
        fueling.DataAbastecimento = dayOf(round);
        fueling.HoraAbastecimento = timeOf(round);
        fueling.NumeroBico = 1;
        fueling.CodigoProduto = 7;
        fueling.ValorUnitario = Money::fromUnits(59990);
        fueling.Quantidade = quantity;
        fueling.ValorTotal = Money::fromUnits(74030);
        fueling.Campo19 = Money() - quantity;
        if (!fueling.Inclui() || !encerrante.Localiza(1, 1))
            return 1;
        encerrante.EncerranteAtual = encerrante.EncerranteAtual + quantity;
        if (!encerrante.Altera(1, 1))
            return 1;
        classesTimes.push_back(timer.nsecsElapsed());

        timer.start();
        plain.registerFueling(1, dayOf(round).date().toString(u"yyyy-MM-dd"),
            timeOf(round).time().toString(u"HH:mm:ss"), quantity.units());
        plainTimes.push_back(timer.nsecsElapsed());
    }

    const Summary classes = summarise(classesTimes);
    const Summary hand = summarise(plainTimes);
    std::printf("rounds %d, folder %s, WAL + synchronous=FULL\n", rounds, qPrintable(folder));
    std::printf("%-44s median %9.1f us   p90 %9.1f us   mean %9.1f us\n", "classes (Existe+Inclui+Localiza+Altera)",
        classes.median, classes.p90, classes.mean);
    std::printf("%-44s median %9.1f us   p90 %9.1f us   mean %9.1f us\n", "plain SQL (same four statements)",
        hand.median, hand.p90, hand.mean);
    std::printf("ratio of medians (classes / plain)           %.3f\n", classes.median / hand.median);
    return 0;
}
