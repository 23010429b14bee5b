// Two costs of the polling cycle, each against the least any program could do for the same work,
// measured in one run so the ratios hold on a noisy machine:
//  1. an idle cycle over 16 empty pump tables, against a bare loop that only opens, reads the
//     header of and closes the same 16 files;
//  2. emptying a backlog of 10,000 fuelings over 8 nozzles, against plain SQL doing the same
//     durable statements on a database of the same kind.
//
//   bench_fueling [IDLE_ROUNDS] [BACKLOG]     (defaults: 2000 idle rounds, 10000 fuelings)

#include "backoffice/backofficeadmin.h"
#include "backoffice/backofficeclasses.h"
#include "common/plainsql.h"
#include "dbase/dbfappender.h"
#include "support/teststation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return double(values[values.size() / 2]);
}

std::unique_ptr<Bridge> startedBridge(TestStation& station, int nozzles)
{
    station.writeIni(TestStation::iniFor(nozzles));
    for (qint16 bico = 1; bico <= nozzles; ++bico) {
        BackOfficeAdmin::gravaBico(*station.backOffice, 1, bico, 1, Money::fromUnits(59900));
        BackOfficeAdmin::gravaEncerrante(
            *station.backOffice, 1, bico, Money(), QString(), QDateTime::currentDateTime());
    }
    auto bridge = std::make_unique<Bridge>(station.ports());
    if (bridge->Form_Load() != Bridge::StartupOutcome::Running) {
        std::fprintf(stderr, "the bridge did not start\n");
        std::exit(1);
    }
    return bridge;
}

QString tablePath(const TestStation& station, int bico)
{
    return station.pumpFolder() + u'/' + PumpTable::name(bico);
}

void idleCycle(int rounds)
{
    constexpr int Nozzles = 16;
    TestStation station;
    auto bridge = startedBridge(station, Nozzles);
    QStringList paths;
    for (int bico = 1; bico <= Nozzles; ++bico) {
        DbfAppender(tablePath(station, bico)).create(QDate::currentDate());
        paths << tablePath(station, bico);
    }

    std::vector<qint64> cycle;
    std::vector<qint64> bare;
    QElapsedTimer timer;
    char header[32];
    // Interleaved, so a slow moment of the machine weighs on both alike.
    for (int round = 0; round < rounds; ++round) {
        timer.start();
        bridge->polling().ConverteAutomacao();
        cycle.push_back(timer.nsecsElapsed());

        timer.start();
        for (const QString& path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly) || file.read(header, sizeof header) != sizeof header)
                std::exit(1);
        }
        bare.push_back(timer.nsecsElapsed());
    }
    const double cycleUs = median(cycle) / 1000.0;
    const double bareUs = median(bare) / 1000.0;
    std::printf("idle cycle over %d empty tables (%d rounds)\n", Nozzles, rounds);
    std::printf("  ConverteAutomacao               median %8.1f us\n", cycleUs);
    std::printf("  open + read header + close      median %8.1f us\n", bareUs);
    std::printf("  ratio                                   %8.2f\n", cycleUs / bareUs);
}

void backlog(int fuelings)
{
    constexpr int Nozzles = 8;
    TestStation station;
    auto bridge = startedBridge(station, Nozzles);
    const QDate day(2026, 12, 6);
    const Money litres = Money::fromUnits(201250);
    const Money total = Money::fromUnits(1205490);
    for (int i = 0; i < fuelings; ++i) {
        DbfAppender(tablePath(station, i % Nozzles + 1))
            .append({ day, QTime(0, 0).addSecs(i / Nozzles), litres, total }, day);
    }

    QElapsedTimer timer;
    timer.start();
    while (station.fuelings().size() < fuelings)
        bridge->polling().ConverteAutomacao();
    const double bridgeSeconds = double(timer.nsecsElapsed()) / 1e9;

    const BackOfficeSettings plainSettings = BackOfficeSettings::sqlite(
        station.systemFolder() + QStringLiteral("/plain.db"), station.systemFolder() + QStringLiteral("/m.db"));
    {
        BackOfficeDatabase database(plainSettings);
        database.create();
        for (qint16 bico = 1; bico <= Nozzles; ++bico)
            BackOfficeAdmin::gravaEncerrante(database, 1, bico, Money(), QString(), QDateTime::currentDateTime());
    }
    bench::PlainSql plain(plainSettings);
    timer.start();
    for (int i = 0; i < fuelings; ++i) {
        plain.registerFueling(i % Nozzles + 1, day.toString(Qt::ISODate),
            QTime(0, 0).addSecs(i / Nozzles).toString(QStringLiteral("HH:mm:ss")), litres.units());
    }
    const double plainSeconds = double(timer.nsecsElapsed()) / 1e9;

    std::printf("backlog of %d fuelings over %d nozzles\n", fuelings, Nozzles);
    std::printf("  bridge (read, register, log, totalizer, delete)  %8.0f fuelings/s\n", fuelings / bridgeSeconds);
    std::printf("  plain SQL (the same durable statements)          %8.0f fuelings/s\n", fuelings / plainSeconds);
    std::printf("  ratio (bridge time / plain time)                 %8.2f\n",
        plainSeconds > 0 ? bridgeSeconds / plainSeconds : 0);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int rounds = arguments.size() > 1 ? arguments[1].toInt() : 2000;
    const int fuelings = arguments.size() > 2 ? arguments[2].toInt() : 10000;
    if (rounds < 1 || fuelings < 1) {
        std::fprintf(stderr, "usage: bench_fueling [IDLE_ROUNDS] [BACKLOG]\n");
        return 2;
    }
    idleCycle(rounds);
    backlog(fuelings);
    return 0;
}
