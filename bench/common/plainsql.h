#pragma once

// The durable statements of one fueling registration written by hand on a connection of the same
// kind and settings as the back-office's: the yardstick the benchmarks hold the bridge's own path
// against. One transaction per fueling: the nozzle's product, the duplicate check, the insert, the
// totalizer's locked read, its update and its history row.

#include "backoffice/backofficesettings.h"

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

class PlainSql {
public:
    explicit PlainSql(const BackOfficeSettings& settings)
        : m_postgres(settings.kind() == BackOfficeSettings::Kind::Postgres)
    {
        m_database = QSqlDatabase::addDatabase(m_postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), Name);
        if (m_postgres) {
            m_database.setHostName(settings.servidor);
            m_database.setPort(settings.port());
            m_database.setDatabaseName(settings.banco);
            m_database.setUserName(settings.usuario);
            m_database.setPassword(settings.senha);
        } else {
            m_database.setDatabaseName(settings.file);
            m_database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        }
        if (!m_database.open()) {
            std::fprintf(stderr, "plain: %s\n", qPrintable(m_database.lastError().text()));
            std::exit(1);
        }
        if (!m_postgres) {
            QSqlQuery pragma(m_database);
            check(pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")), "journal_mode", pragma);
            check(pragma.exec(QStringLiteral("PRAGMA synchronous=FULL")), "synchronous", pragma);
        }
        prepare(m_nozzle, "SELECT produto, valor_unitario FROM bicos WHERE empresa = ? AND bico = ?");
        prepare(m_exists,
            "SELECT quantidade, valor_total FROM abastecimentos WHERE empresa = ? AND data = ? AND hora = ? AND bico = "
            "?");
        prepare(m_insert,
            "INSERT INTO abastecimentos (empresa, bico, data, hora, campo05, produto, valor_unitario, quantidade, "
            "valor_total, campo10, campo11, campo12, campo13, campo14, campo15, campo16, campo17, campo18, campo19, "
            "campo20, campo21, campo22) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
            "ON CONFLICT (empresa, data, hora, bico) DO NOTHING");
        prepare(m_read,
            m_postgres ? "SELECT encerrante_atual FROM encerrantes WHERE empresa = ? AND bico = ? FOR UPDATE"
                       : "SELECT encerrante_atual FROM encerrantes WHERE empresa = ? AND bico = ?");
        prepare(m_update, "UPDATE encerrantes SET encerrante_atual = ? WHERE empresa = ? AND bico = ?");
        prepare(m_history,
            "INSERT INTO encerrantes_historico (empresa, bico, data_hora, tipo, motivo, litros, antes, depois, "
            "abastecimento_data, abastecimento_hora) VALUES (?, ?, ?, 'abastecimento', '', ?, ?, ?, ?, ?)");
    }
    ~PlainSql()
    {
        for (QSqlQuery* query : { &m_nozzle, &m_exists, &m_insert, &m_read, &m_update, &m_history })
            *query = QSqlQuery();
        m_database.close();
        m_database = QSqlDatabase();
        QSqlDatabase::removeDatabase(Name);
    }

    void registerFueling(int bico, const QString& date, const QString& time, qint64 quantity)
    {
        QSqlQuery control(m_database);
        check(control.exec(m_postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")), "begin", control);
        run(m_nozzle, { 1, bico });
        check(m_nozzle.next(), "nozzle", m_nozzle);
        m_nozzle.finish();
        run(m_exists, { 1, date, time, bico });
        if (m_exists.next())
            std::exit(1);
        m_exists.finish();
        const QString empty = QStringLiteral("");
        run(m_insert,
            { 1, bico, date, time, empty, 1, qint64(59990), quantity, qint64(74030), 0, 0, 0, empty, qint64(0), empty,
                empty, empty, qint64(0), -quantity, empty, 0, 0 });
        run(m_read, { 1, bico });
        check(m_read.next(), "read", m_read);
        const qint64 before = m_read.value(0).toLongLong();
        m_read.finish();
        run(m_update, { before + quantity, 1, bico });
        run(m_history, { 1, bico, date + u' ' + time, quantity, before, before + quantity, date, time });
        check(control.exec(QStringLiteral("COMMIT")), "commit", control);
    }

private:
    static inline const QString Name = QStringLiteral("plain");

    void prepare(QSqlQuery& query, const char* sql)
    {
        query = QSqlQuery(m_database);
        query.setForwardOnly(true);
        check(query.prepare(QString::fromLatin1(sql)), sql, query);
    }
    static void run(QSqlQuery& query, const QVariantList& values)
    {
        for (int i = 0; i < int(values.size()); ++i)
            query.bindValue(i, values[i]);
        check(query.exec(), "statement", query);
    }

    bool m_postgres;
    QSqlDatabase m_database;
    QSqlQuery m_nozzle;
    QSqlQuery m_exists;
    QSqlQuery m_insert;
    QSqlQuery m_read;
    QSqlQuery m_update;
    QSqlQuery m_history;
};

} // namespace bench
