#pragma once

#include "backoffice/sqltable.h"
#include "common/datevalue.h"
#include "common/money.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <map>
#include <optional>

// Values bound to a statement by column name.
using SqlValues = QList<std::pair<QString, QVariant>>;
using SqlRow = QList<QVariant>;

// One named Qt SQL connection with its prepared statements, on one engine. The bridge runs the
// same few statements every cycle, so each is prepared once and kept; every failure becomes the
// back-office error naming the operation, saying what went wrong and carrying the driver's text.
// Like every Qt SQL connection it is used only on the thread that made it.
class SqlConnection {
public:
    SqlConnection(SqlEngine engine, const QString& driver);
    ~SqlConnection();
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    SqlEngine engine() const { return m_engine; }
    // The Qt connection to set up before open().
    QSqlDatabase& database() { return m_database; }
    // Opens the connection; false with lastError() when the driver refuses.
    bool open();
    // Drops the prepared statements and closes the connection.
    void close();
    // True between a successful open and close.
    bool isOpen() const { return m_database.isOpen(); }
    // A transaction refers to the connection: it must not be replaced, even when lost.
    bool inTransaction() const { return m_transactions > 0; }
    // What went wrong at the last failed open, in the same words as every other failure.
    QString lastError() const;

    // Runs a statement and returns its first row; finished at once, so a look-up never holds a
    // read snapshot that would hide the other programs' writes.
    std::optional<SqlRow> first(const QString& sql, const SqlValues& values, const char* operation);
    // Every row of a statement (listings).
    QList<SqlRow> rows(const QString& sql, const SqlValues& values, const char* operation);
    // Runs a write and returns the number of rows it changed.
    int write(const QString& sql, const SqlValues& values, const char* operation);
    // Runs a statement once, unprepared: schema changes and transaction control.
    void run(const QString& sql, const char* operation);

    // The back-office error for a failed operation.
    [[noreturn]] static void fail(const char* operation, const QString& message);
    [[noreturn]] static void fail(const char* operation, const QSqlError& error);
    // What the driver's error means, as an operator reads it, followed by the driver's own text.
    static QString describe(const QSqlError& error);

private:
    QSqlQuery& prepared(const QString& sql, const SqlValues& values, const char* operation);

    SqlEngine m_engine;
    QString m_name;
    QSqlDatabase m_database;
    // Node-based, so a statement handed out stays where it is while others are prepared.
    std::map<QString, QSqlQuery> m_statements;
    int m_transactions = 0;
    friend class SqlTransaction;
};

// A write transaction that is rolled back unless committed. SQLite's IMMEDIATE takes the write
// lock before the first read, so nothing read inside can change before the write that depends on
// it; on a server the rows read for a change are locked by the statement that reads them.
class SqlTransaction {
public:
    SqlTransaction(SqlConnection& connection, const char* operation);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    void commit();

private:
    SqlConnection& m_connection;
    const char* m_operation;
    bool m_open = true;
};

// How values cross into the database and back.
namespace SqlValue {
// Money as its count of ten-thousandths.
QVariant of(Money value);
// Qt SQL binds a null QString as NULL, and an untouched text property is a null QString.
QVariant of(const QString& value);
QVariant of(qint16 value);
QVariant of(qint32 value);
// A fueling's date and time: the date part of the one, the time part of the other, as ISO text.
QVariant date(DateValue date);
QVariant time(DateValue time);
// Money read back from its count of ten-thousandths; anything else was written by another program
// and is an error, not a zero that would overwrite a totalizer.
Money money(const QVariant& value);
// A column's value as the listings show it: money with a point and four decimals.
QString text(const QVariant& value, SqlType type);
} // namespace SqlValue
