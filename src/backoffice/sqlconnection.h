#pragma once

#include "common/money.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <map>
#include <optional>

// One named Qt SQL connection with its prepared statements. The bridge runs the same few
// statements every 30 ms, so each is prepared once and kept; every failure becomes the
// back-office error naming the operation and carrying the database's own message.
class SqlConnection {
public:
    explicit SqlConnection(const QString& driver);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    // Opens the connection; false with lastError() when the driver refuses.
    bool open(const QString& databaseName, const QString& connectOptions);
    // Drops the prepared statements and closes the connection.
    void close();
    // True between a successful open and close.
    bool isOpen() const { return m_database.isOpen(); }
    // The driver's message for the last failed open.
    QString lastError() const;

    // A statement prepared on first use and kept for the life of the connection.
    QSqlQuery& statement(const QString& sql, const char* operation);
    // Runs a statement and returns its first row, finishing it at once: a look-up that stayed
    // open would hold a read snapshot and keep the bridge from seeing the other program's writes.
    std::optional<QList<QVariant>> first(QSqlQuery& query, const char* operation);
    // Runs a write and returns the number of rows it changed; committed when it returns.
    int write(QSqlQuery& query, const char* operation);
    // Runs a statement once, without keeping it.
    QSqlQuery run(const QString& sql, const char* operation);

    // The Qt connection, for statements that are run once.
    QSqlDatabase& database() { return m_database; }

    // The back-office error for a failed operation.
    [[noreturn]] static void fail(const char* operation, const QString& message);
    // The same for an error the driver reported: a sentence saying what went wrong, then the
    // driver's own text.
    [[noreturn]] static void fail(const char* operation, const QSqlError& error);
    // What the driver's error means, as an operator reads it.
    static QString describe(const QSqlError& error);

private:
    QString m_name;
    QSqlDatabase m_database;
    // Node-based, so a statement handed out stays where it is while others are prepared.
    std::map<QString, QSqlQuery> m_statements;
};

// A write transaction on a connection that is rolled back unless committed. IMMEDIATE takes
// SQLite's write lock before the first read, so nothing read inside can change before the write
// that depends on it (a totalizer read and then stored).
class SqlTransaction {
public:
    SqlTransaction(SqlConnection& connection, const char* operation);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    void commit();
    // False when the rollback itself failed and the connection must not be trusted any more.
    bool rollback();

private:
    SqlConnection& m_connection;
    const char* m_operation;
    bool m_open = true;
};

// How values cross into the database: money as its count of ten-thousandths, so it comes back
// exact, and text never as NULL.
namespace SqlValue {
// Money as its count of ten-thousandths.
QVariant of(Money value);
// Qt SQL binds a null QString as NULL, and an untouched text property is a null QString.
QVariant of(const QString& value);
// Money read back from its count of ten-thousandths.
Money money(const QVariant& value);
} // namespace SqlValue
