// What a station feels of the real program: its CPU while it waits over 16 empty pump tables, and
// the time from a fueling appended to its pump table to its record deleted by the bridge, which
// happens right after the fueling's commit, with each of 16 nozzles receiving a fueling about
// every second.
//
//   bench_latency [IDLE_SECONDS] [LOAD_SECONDS]   (defaults: 60 and 60)

#include "common/plainloop.h"
#include "dbase/dbfappender.h"
#include "support/teststation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Nozzles = 16;

// The nanoseconds the process's threads have run, as the scheduler counts them: clock ticks are
// too coarse for a process that runs a few milliseconds a second.
long long cpuNanoseconds(qint64 pid)
{
    long long total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (schedstat.open(QIODevice::ReadOnly))
            total += schedstat.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

struct Pending {
    QByteArray path;
    qint64 offset;
    QElapsedTimer appended;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int idleSeconds = arguments.size() > 1 ? arguments[1].toInt() : 60;
    const int loadSeconds = arguments.size() > 2 ? arguments[2].toInt() : 60;

    TestStation station;
    station.writeIni(TestStation::iniFor(Nozzles, QSysInfo::machineHostName().toLatin1()));
    for (qint16 bico = 1; bico <= Nozzles; ++bico) {
        station.addNozzle(bico, 1, "5.99", "0");
        DbfAppender(station.pumpFolder() + u'/' + PumpTable::name(bico)).create(QDate::currentDate());
    }
    station.backOffice->close();
    QProcess bridge;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("AUTOQUORVAN_DRIVES"), station.root.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.warning=false"));
    bridge.setProcessEnvironment(environment);
    bridge.start(QStringLiteral(AUTOQUORVAN_BRIDGE), {});
    if (!bridge.waitForStarted())
        return 1;
    QThread::sleep(2);

    // Meanwhile the least any program could do in its place, in this process: every 30 ms, open,
    // read the header of and close each table.
    const QByteArrayList paths = bench::tablePaths(station, Nozzles);
    const long long idleStart = cpuNanoseconds(bridge.processId());
    timespec plainStart {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &plainStart);
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < idleSeconds * 1000LL) {
        bench::plainLoop(paths);
        QThread::msleep(30);
    }
    const long long idleNanoseconds = cpuNanoseconds(bridge.processId()) - idleStart;
    timespec plainEnd {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &plainEnd);
    const double bridgePercent = 100.0 * double(idleNanoseconds) / 1e9 / idleSeconds;
    const double plainPercent = 100.0
        * (double(plainEnd.tv_sec - plainStart.tv_sec) + double(plainEnd.tv_nsec - plainStart.tv_nsec) / 1e9)
        / idleSeconds;
    std::printf("idle %d s over %d empty tables: %.3f %% of a core (%.1f ms)\n", idleSeconds, Nozzles, bridgePercent,
        double(idleNanoseconds) / 1e6);
    std::printf("  plain loop meanwhile (open, pread 32 bytes, close each table; sleep 30 ms): %.3f %% of a core, "
                "bridge %.2f x\n",
        plainPercent, bridgePercent / plainPercent);

    // Each nozzle's next fueling about a second after its last, at a random moment.
    QRandomGenerator random(20261207);
    std::vector<qint64> next(Nozzles);
    for (qint64& at : next)
        at = random.bounded(1000);
    std::vector<Pending> pending;
    std::vector<double> latencies;
    QElapsedTimer clock;
    clock.start();
    int seconds = 0;
    while (clock.elapsed() < loadSeconds * 1000 || !pending.empty()) {
        for (int bico = 1; bico <= Nozzles; ++bico) {
            if (clock.elapsed() < loadSeconds * 1000 && clock.elapsed() >= next[bico - 1]) {
                next[bico - 1] += 500 + random.bounded(1000);
                const QString path = station.pumpFolder() + u'/' + PumpTable::name(bico);
                const QDateTime now = QDateTime::currentDateTime().addSecs(++seconds);
                DbfAppender(path).append(
                    { now.date(), now.time(), Money::fromUnits(200000), Money::fromUnits(1198000) }, now.date());
                QFile file(path);
                file.open(QIODevice::ReadOnly);
                const Dbf::Header header = Dbf::parseFixedHeader(file.read(Dbf::FixedHeaderSize), path);
                Pending fueling { QFile::encodeName(path), header.recordOffset(header.recordCount - 1), {} };
                fueling.appended.start();
                pending.push_back(std::move(fueling));
            }
        }
        for (auto it = pending.begin(); it != pending.end();) {
            char flag = 0;
            const int descriptor = ::open(it->path.constData(), O_RDONLY);
            const bool read = descriptor >= 0 && ::pread(descriptor, &flag, 1, it->offset) == 1;
            if (descriptor >= 0)
                ::close(descriptor);
            if (read && flag == '*') {
                latencies.push_back(double(it->appended.nsecsElapsed()) / 1e6);
                it = pending.erase(it);
            } else {
                ++it;
            }
        }
        if (clock.elapsed() > (loadSeconds + 30) * 1000) {
            std::fprintf(stderr, "%zu fuelings never registered\n", pending.size());
            return 1;
        }
        QThread::usleep(500);
    }
    bridge.terminate();
    bridge.waitForFinished();

    if (latencies.empty())
        return 0;
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double fraction) { return latencies[size_t(fraction * double(latencies.size() - 1))]; };
    std::printf("append -> registered, %zu fuelings over %d s on %d nozzles: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
        latencies.size(), loadSeconds, Nozzles, at(0.5), at(0.99), latencies.back());
    return 0;
}
