// The cost of registering one fueling as the bridge does (one transaction on the back-office's
// thread: the nozzle's product, the duplicate check, the insert, the totalizer's locked read, its
// update and its history row) against the same statements issued by hand through the same driver
// on a database of the same kind. The two run interleaved, one of each per round, so a slow moment
// of the disk or the server weighs on both alike.
//
//   bench_backoffice [ROUNDS]               SQLite files in a temporary folder
//   bench_backoffice --postgresql [ROUNDS]  new databases on the server that AUTOQUORVAN_TEST_PG_HOST,
//                                           _PORT and _USER name (scripts/postgresql.sh env DIR)

#include "common/plainsql.h"
#include "fueling/fuelingregistration.h"
#include "support/teststation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

QDate dayOf(int round)
{
    return QDate(2026, 1, 1).addDays(round / 86400);
}

QTime timeOf(int round)
{
    return QTime(0, 0).addSecs(round % 86400);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    if (arguments.removeAll(QStringLiteral("--postgresql")) > 0)
        qputenv("AUTOQUORVAN_TEST_ENGINE", "postgresql");
    const int rounds = arguments.isEmpty() ? 2000 : arguments.first().toInt();
    if (rounds < 1) {
        std::fprintf(stderr, "usage: bench_backoffice [--postgresql] [ROUNDS]\n");
        return 2;
    }

    TestStation classes;
    TestStation plainStation;
    for (TestStation* station : { &classes, &plainStation })
        station->addNozzle(1, 1, "5.999", "0");
    EventLog log(classes.drives, classes.clock, classes.boxes);
    FailureLog failures(log, classes.clock);
    BackOfficeObjects objects(*classes.backOffice);
    const StationSettings settings { 1, 1, QString() };
    FuelingRegistration registration(log, failures, objects, settings, classes.clock);
    plainStation.backOffice->close();
    bench::PlainSql plain(plainStation.backOffice->settings());

    const Money quantity = Money::fromUnits(12340);
    std::vector<qint64> classesTimes;
    std::vector<qint64> plainTimes;
    QElapsedTimer timer;
    QElapsedTimer wall;
    qint64 classesTotal = 0;
    qint64 plainTotal = 0;
    for (int round = 0; round < rounds; ++round) {
        FuelingRegistration::Batch batch;
        batch.fuelings = { { 1, DateValue::fromDate(dayOf(round)), DateValue::fromTime(timeOf(round)), 0, Money(),
            quantity, Money::fromUnits(74030) } };
        timer.start();
        registration.registerAll(batch, QStringLiteral("bench"));
        classesTimes.push_back(timer.nsecsElapsed());
        if (batch.outcomes != QList { FuelingRegistration::Outcome::Inserted }) {
            std::fprintf(stderr, "the registration did not insert\n");
            return 1;
        }
        timer.start();
        plain.registerFueling(
            1, dayOf(round).toString(u"yyyy-MM-dd"), timeOf(round).toString(u"HH:mm:ss"), quantity.units());
        plainTimes.push_back(timer.nsecsElapsed());
    }
    for (qint64 value : classesTimes)
        classesTotal += value;
    for (qint64 value : plainTimes)
        plainTotal += value;

    const Summary ours = summarise(classesTimes);
    const Summary hand = summarise(plainTimes);
    std::printf("rounds %d on %s, one transaction per fueling, durable commits\n", rounds,
        TestStation::onPostgres() ? "PostgreSQL" : "SQLite (WAL, synchronous=FULL)");
    std::printf("%-40s median %8.1f us  p90 %8.1f us  mean %8.1f us  %7.0f fuelings/s\n", "bridge's registration",
        ours.median, ours.p90, ours.mean, 1e9 * rounds / double(classesTotal));
    std::printf("%-40s median %8.1f us  p90 %8.1f us  mean %8.1f us  %7.0f fuelings/s\n", "same statements by hand",
        hand.median, hand.p90, hand.mean, 1e9 * rounds / double(plainTotal));
    std::printf("ratio of medians (bridge / by hand)      %.3f\n", ours.median / hand.median);
    return 0;
}
