#pragma once

// The durable statements of one fueling registration written by hand on a connection with the
// back-office's pragmas: the yardstick the benchmarks hold the bridge's own path against.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>
#include <cstdio>
#include <cstdlib>

namespace bench {

inline void check(bool ok, const char* what, const QSqlQuery& query)
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

    void registerFueling(int bico, const QString& date, const QString& time, qint64 quantity)
    {
        const QVariantList key = { 1, date, time, bico };
        for (int i = 0; i < 4; ++i)
            m_exists.bindValue(i, key[i]);
        check(m_exists.exec(), "exists", m_exists);
        const bool exists = m_exists.next();
        m_exists.finish();
        if (exists)
            std::exit(1);
        const QString empty = QStringLiteral("");
        const QVariantList values = { 1, bico, date, time, empty, 7, qint64(59990), quantity, qint64(74030), 0, 0, 0,
            empty, qint64(0), empty, empty, empty, qint64(0), -quantity, empty, 0, 0 };
        for (int i = 0; i < int(values.size()); ++i)
            m_insert.bindValue(i, values[i]);
        check(m_insert.exec(), "insert", m_insert);
        m_insert.finish();
        m_read.bindValue(0, 1);
        m_read.bindValue(1, bico);
        check(m_read.exec() && m_read.next(), "read", m_read);
        const qint64 total = m_read.value(0).toLongLong() + quantity;
        m_read.finish();
        m_update.bindValue(0, total);
        m_update.bindValue(1, 1);
        m_update.bindValue(2, bico);
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

} // namespace bench
