// The costs of the polling cycle, each against the least any program could do for the same work,
// measured in one run so the ratios hold on a noisy machine:
//  1. an idle cycle over 16 empty pump tables, against a plain loop that opens, reads the 32-byte
//     header of and closes the same 16 files (open, pread, close), both paced 30 ms apart as the
//     timer paces the cycle, since a table at rest is looked at only every so many milliseconds;
//  2. the same idle cycle over 16 tables holding 200,000 deleted records each, and the program's
//     memory then;
//  3. emptying a backlog of 10,000 fuelings over 8 nozzles, against plain SQL issuing the same
//     durable statements, one transaction per fueling, on a database of the same kind;
//  4. the resident memory over a million idle cycles without the pause between them;
//  5. the station's status (its file and its back-office row), written on every change and every
//     thirty seconds otherwise: one writing, and its share of the idle cycles it is spread over.
//
//   bench_fueling [IDLE_ROUNDS] [BACKLOG] [LONG_CYCLES]   (defaults: 1000, 10000, 1000000)

#include "backoffice/backofficeadmin.h"
#include "bridge/stationstatus.h"
#include "common/plainloop.h"
#include "common/plainsql.h"
#include "dbase/dbfappender.h"
#include "support/rawdbf.h"
#include "support/teststation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int IdleNozzles = 16;

double median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return double(values[values.size() / 2]);
}

// The mean of all but the slowest hundredth, where the machine took the processor away: a cycle
// that looks at its tables only now and then is as costly as its cycles on average.
double mean(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    values.resize(values.size() - values.size() / 100);
    double sum = 0;
    for (const qint64 value : values)
        sum += double(value);
    return sum / double(values.size());
}

// Resident memory in KiB.
long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

std::unique_ptr<Bridge> startedBridge(TestStation& station, int nozzles)
{
    station.writeIni(TestStation::iniFor(nozzles));
    for (qint16 bico = 1; bico <= nozzles; ++bico)
        station.addNozzle(bico, 1, "5.99", "0");
    auto bridge = std::make_unique<Bridge>(station.ports());
    if (bridge->Form_Load() != Bridge::StartupOutcome::Running) {
        std::fprintf(stderr, "the bridge did not start\n");
        std::exit(1);
    }
    bridge->polling().stop();
    return bridge;
}

// The CPU time of the whole process, the back-office's thread included, in nanoseconds.
qint64 processCpuNs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The status is written when a nozzle starts or stops holding records, and otherwise once per
// heartbeat: its cost per idle cycle is one writing spread over the cycles of a heartbeat.
void statusWrites(int writes, double idleCycleUs)
{
    TestStation station;
    auto bridge = startedBridge(station, IdleNozzles);
    StationStatus status(station.drives, station.clock, *station.backOffice);
    status.started(1, QStringLiteral("POSTO01"), QStringLiteral("bench"));
    status.write();
    // One timing of a writing: wall and CPU, in nanoseconds.
    const auto timed = [&](std::vector<qint64>& wall, std::vector<qint64>& cpu) {
        QElapsedTimer timer;
        const qint64 cpuStart = processCpuNs();
        timer.start();
        status.write();
        wall.push_back(timer.nsecsElapsed());
        cpu.push_back(processCpuNs() - cpuStart);
    };
    std::vector<qint64> changeWall, changeCpu, beatWall, beatCpu;
    for (int i = 0; i < writes; ++i) {
        // A held record appears, then is gone: each is a change, written whole.
        status.nozzle(1, (i + 1) % 2, QStringLiteral("2026-12-06 10:00:00"), QString());
        timed(changeWall, changeCpu);
        timed(beatWall, beatCpu);
    }
    const double cyclesPerHeartbeat
        = double(StationStatus::HeartbeatMs) / (PollingCycle::PauseMs + idleCycleUs / 1000.0);
    const double beatUs = median(beatWall) / 1000.0;
    const double beatCpuUs = median(beatCpu) / 1000.0;
    std::printf("status file and back-office row (%d writings of each kind, medians)\n", writes);
    std::printf("  after a change (whole)                    %8.1f us   (%.1f us of CPU)\n",
        median(changeWall) / 1000.0, median(changeCpu) / 1000.0);
    std::printf("  heartbeat (last cycle's time)             %8.1f us   (%.1f us of CPU)\n", beatUs, beatCpuUs);
    std::printf("  a heartbeat spread over the %.0f cycles of its period at the 30 ms pace: %.2f us per cycle, %.1f %% "
                "of the idle cycle (%.1f %% in CPU)\n",
        cyclesPerHeartbeat, beatUs / cyclesPerHeartbeat, 100.0 * beatUs / cyclesPerHeartbeat / idleCycleUs,
        100.0 * beatCpuUs / cyclesPerHeartbeat / idleCycleUs);
}

double idleCycles(int rounds)
{
    TestStation empty;
    TestStation history;
    auto emptyBridge = startedBridge(empty, IdleNozzles);
    auto historyBridge = startedBridge(history, IdleNozzles);
    // 200,000 deleted records of a year of fuelings, the pump automation never packing its tables.
    const QByteArray gone = RawDbf::record("20260101", "10:00:00", "20.000", "119.80", '*');
    QByteArrayList deleted;
    for (int i = 0; i < 200000; ++i)
        deleted << gone;
    const QByteArray longTable = RawDbf::table(deleted);
    deleted.clear();
    for (int bico = 1; bico <= IdleNozzles; ++bico) {
        DbfAppender(empty.pumpFolder() + u'/' + PumpTable::name(bico)).create(QDate::currentDate());
        QFile file(history.pumpFolder() + u'/' + PumpTable::name(bico));
        if (!file.open(QIODevice::WriteOnly) || file.write(longTable) != longTable.size())
            std::exit(1);
    }
    const QByteArrayList paths = bench::tablePaths(empty, IdleNozzles);
    // Tables at rest, as they are between fuelings; the first cycle over the long ones learns where
    // their deleted records end.
    QThread::msleep(1500);
    historyBridge->polling().ConverteAutomacao();
    emptyBridge->polling().ConverteAutomacao();

    std::vector<qint64> emptyCycle;
    std::vector<qint64> historyCycle;
    std::vector<qint64> plain;
    QElapsedTimer timer;
    // Interleaved, so a slow moment of the machine weighs on all alike.
    for (int round = 0; round < rounds; ++round) {
        QThread::msleep(PollingCycle::PauseMs);
        timer.start();
        emptyBridge->polling().ConverteAutomacao();
        emptyCycle.push_back(timer.nsecsElapsed());
        timer.start();
        historyBridge->polling().ConverteAutomacao();
        historyCycle.push_back(timer.nsecsElapsed());
        timer.start();
        bench::plainLoop(paths);
        plain.push_back(timer.nsecsElapsed());
    }
    const double emptyUs = mean(emptyCycle) / 1000.0;
    const double historyUs = mean(historyCycle) / 1000.0;
    const double plainUs = mean(plain) / 1000.0;
    std::printf("idle cycle over %d tables (%d rounds, means of the fastest 99 %%)\n", IdleNozzles, rounds);
    std::printf("  plain loop: open, pread 32 bytes, close   %8.1f us\n", plainUs);
    std::printf(
        "  bridge, empty tables                      %8.1f us   %.2f x the plain loop\n", emptyUs, emptyUs / plainUs);
    std::printf("  bridge, 200,000 deleted records each      %8.1f us   %.2f x the empty tables\n", historyUs,
        historyUs / emptyUs);

    // Memory: the same bridge over its empty tables, then over the long ones.
    historyBridge.reset();
    for (int i = 0; i < 200; ++i)
        emptyBridge->polling().ConverteAutomacao();
    const long withEmpty = residentKiB();
    for (int bico = 1; bico <= IdleNozzles; ++bico) {
        QFile file(empty.pumpFolder() + u'/' + PumpTable::name(bico));
        if (!file.open(QIODevice::WriteOnly) || file.write(longTable) != longTable.size())
            std::exit(1);
    }
    for (int i = 0; i < 200; ++i)
        emptyBridge->polling().ConverteAutomacao();
    const long withLong = residentKiB();
    std::printf("  resident memory, same bridge: empty tables %ld KiB, long tables %ld KiB (%+ld KiB)\n", withEmpty,
        withLong, withLong - withEmpty);
    return emptyUs;
}

void backlog(int fuelings)
{
    constexpr int Nozzles = 8;
    TestStation station;
    auto bridge = startedBridge(station, Nozzles);
    const QDate day(2026, 12, 6);
    for (int bico = 1; bico <= Nozzles; ++bico) {
        QByteArrayList records;
        for (int i = bico - 1; i < fuelings; i += Nozzles) {
            records << RawDbf::record(
                "20261206", qPrintable(QTime(0, 0).addSecs(i / Nozzles).toString(u"HH:mm:ss")), "20.125", "120.55");
        }
        QFile file(station.pumpFolder() + u'/' + PumpTable::name(bico));
        if (!file.open(QIODevice::WriteOnly) || file.write(RawDbf::table(records)) < 0)
            std::exit(1);
    }

    QElapsedTimer timer;
    timer.start();
    int cycles = 0;
    while (station.fuelings().size() < fuelings) {
        bridge->polling().ConverteAutomacao();
        ++cycles;
    }
    const double bridgeSeconds = double(timer.nsecsElapsed()) / 1e9;

    TestStation plainStation;
    for (qint16 bico = 1; bico <= Nozzles; ++bico)
        plainStation.addNozzle(bico, 1, "5.99", "0");
    plainStation.backOffice->close();
    bench::PlainSql plain(plainStation.backOffice->settings());
    timer.start();
    for (int i = 0; i < fuelings; ++i) {
        plain.registerFueling(i % Nozzles + 1, day.toString(Qt::ISODate),
            QTime(0, 0).addSecs(i / Nozzles).toString(QStringLiteral("HH:mm:ss")), 201250);
    }
    const double plainSeconds = double(timer.nsecsElapsed()) / 1e9;

    std::printf("backlog of %d fuelings over %d nozzles on %s (%d cycles)\n", fuelings, Nozzles,
        TestStation::onPostgres() ? "PostgreSQL" : "SQLite", cycles);
    std::printf("  bridge (read, register, log, totalizer, delete)   %8.0f fuelings/s\n", fuelings / bridgeSeconds);
    std::printf("  plain SQL, one durable transaction per fueling    %8.0f fuelings/s\n", fuelings / plainSeconds);
    std::printf("  ratio (bridge / plain)                             %8.2f\n", plainSeconds / bridgeSeconds);
}

void longRun(int cycles)
{
    TestStation station;
    auto bridge = startedBridge(station, IdleNozzles);
    for (int bico = 1; bico <= IdleNozzles; ++bico)
        DbfAppender(station.pumpFolder() + u'/' + PumpTable::name(bico)).create(QDate::currentDate());
    for (int i = 0; i < 1000; ++i)
        bridge->polling().Timer1_Timer();
    const long before = residentKiB();
    for (int i = 0; i < cycles; ++i) {
        bridge->polling().Timer1_Timer();
        bridge->polling().stop();
    }
    const long after = residentKiB();
    std::printf("%d cycles without the pause: resident memory %ld KiB before, %ld KiB after (%+ld KiB)\n", cycles,
        before, after, after - before);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int rounds = arguments.size() > 1 ? arguments[1].toInt() : 1000;
    const int fuelings = arguments.size() > 2 ? arguments[2].toInt() : 10000;
    const int cycles = arguments.size() > 3 ? arguments[3].toInt() : 1000000;
    if (rounds < 1 || fuelings < 1 || cycles < 0) {
        std::fprintf(stderr, "usage: bench_fueling [IDLE_ROUNDS] [BACKLOG] [LONG_CYCLES]\n");
        return 2;
    }
    const double idleCycleUs = idleCycles(rounds);
    statusWrites(200, idleCycleUs);
    backlog(fuelings);
    if (cycles > 0)
        longRun(cycles);
    return 0;
}
