// The cost of registering one fueling as the bridge does (Existe, Inclui, then the totalizer's
// Localiza and Altera) through the back-office classes, against the same durable statements
// written by hand on a database of the same kind. The two run interleaved, one of each per round,
// so a slow moment of the disk weighs on both alike.
//
//   bench_backoffice [ROUNDS] [FOLDER]     (defaults: 2000 rounds, a temporary folder)

#include "backoffice/backofficeadmin.h"
#include "backoffice/backofficeclasses.h"

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

void check(bool ok, const char* what, const QSqlQuery& query)
{
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", what, qPrintable(query.lastError().text()));
        std::exit(1);
    }
}

// The hand-written side: one connection with the same pragmas and the same prepared statements.
class PlainSql {
public:
    explicit PlainSql(const QString& file)
    {
        m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
        m_database.setDatabaseName(file);
        m_database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!m_database.open())
            std::exit(1);
        QSqlQuery pragma(m_database);
        check(pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")), "journal_mode", pragma);
        check(pragma.exec(QStringLiteral("PRAGMA synchronous=FULL")), "synchronous", pragma);
        prepare(m_exists, "SELECT 1 FROM abastecimentos WHERE empresa = ? AND data = ? AND hora = ? AND bico = ?");
        prepare(m_insert,
            "INSERT INTO abastecimentos (empresa, bico, data, hora, campo05, produto, valor_unitario, quantidade, "
            "valor_total, campo10, campo11, campo12, campo13, campo14, campo15, campo16, campo17, campo18, campo19, "
            "campo20, campo21, campo22) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT (empresa, data, hora, bico) DO NOTHING");
        prepare(m_read, "SELECT encerrante_atual FROM encerrantes WHERE empresa = ? AND bico = ?");
        prepare(m_update, "UPDATE encerrantes SET encerrante_atual = ? WHERE empresa = ? AND bico = ?");
    }
    ~PlainSql()
    {
        for (QSqlQuery* query : { &m_exists, &m_insert, &m_read, &m_update })
            *query = QSqlQuery();
        m_database.close();
        m_database = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    }

    void registerFueling(int round, qint64 quantity)
    {
        const QString date = BackOfficeText::dateText(dayOf(round));
        const QString time = BackOfficeText::timeText(timeOf(round));
        const QVariantList key = { 1, date, time, 1 };
        for (int i = 0; i < 4; ++i)
            m_exists.bindValue(i, key[i]);
        check(m_exists.exec(), "exists", m_exists);
        const bool exists = m_exists.next();
        m_exists.finish();
        if (exists)
            std::exit(1);
        const QString empty = QStringLiteral("");
        const QVariantList values = { 1, 1, date, time, empty, 7, qint64(59990), quantity, qint64(74030), 0, 0, 0,
            empty, qint64(0), empty, empty, empty, qint64(0), -quantity, empty, 0, 0 };
        for (int i = 0; i < int(values.size()); ++i)
            m_insert.bindValue(i, values[i]);
        check(m_insert.exec(), "insert", m_insert);
        m_insert.finish();
        m_read.bindValue(0, 1);
        m_read.bindValue(1, 1);
        check(m_read.exec() && m_read.next(), "read", m_read);
        const qint64 total = m_read.value(0).toLongLong() + quantity;
        m_read.finish();
        m_update.bindValue(0, total);
        m_update.bindValue(1, 1);
        m_update.bindValue(2, 1);
        check(m_update.exec(), "update", m_update);
        m_update.finish();
    }

private:
    void prepare(QSqlQuery& query, const char* sql)
    {
        query = QSqlQuery(m_database);
        query.setForwardOnly(true);
        check(query.prepare(QString::fromLatin1(sql)), sql, query);
    }

    QSqlDatabase m_database;
    QSqlQuery m_exists;
    QSqlQuery m_insert;
    QSqlQuery m_read;
    QSqlQuery m_update;
};

BackOfficeSettings prepared(const QString& folder, const QString& name)
{
    const BackOfficeSettings settings
        = BackOfficeSettings::sqlite(folder + u'/' + name, folder + QStringLiteral("/Mensagens.db"));
    BackOfficeDatabase database(settings);
    database.create();
    BackOfficeAdmin::gravaEncerrante(database, 1, 1, Money());
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
    PlainSql plain(plainSettings.file);

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
        plain.registerFueling(round, quantity.units());
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
