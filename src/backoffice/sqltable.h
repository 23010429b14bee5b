#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The two SQL engines the back-office runs on: SQLite in a file beside the bridge, PostgreSQL on a
// station's server or a chain's central database.
enum class SqlEngine { Sqlite, Postgres };

// What a column holds. Money is a whole count of ten-thousandths, so it comes back exact on both
// engines; dates and times are ISO text that any SQL client reads and that sorts as it reads.
enum class SqlType { SmallInt, Integer, BigInt, Money, Text, Date, Time, DateTime };

struct SqlColumn {
    QString name;
    SqlType type;
};

// One table, defined once: its schema, its statements and its listings are all made from here, for
// either engine. Statements bind values by the columns' names.
struct SqlTable {
    QString name;
    QList<SqlColumn> columns;
    QStringList primaryKey;
    // A generated row id, first of the columns: it keeps the order of registration.
    bool rowId = false;
    QStringList unique;

    // Every column's name, the row id's included when there is one.
    QStringList names() const;
    const SqlColumn& column(const QString& name) const;

    QString create(SqlEngine engine) const;
    // INSERT of the named columns; DO NOTHING on a conflict of the unique key when asked.
    QString insert(const QStringList& columns, bool ignoreConflict = false) const;
    // INSERT, or UPDATE of the update columns when the primary key exists.
    QString upsert(const QStringList& columns, const QStringList& update) const;
    // SELECT of the columns where each of the key columns equals its value; lockForUpdate keeps the
    // rows from changing under the transaction on a server (SQLite locks the whole file anyway).
    QString select(const QStringList& columns, const QStringList& where, SqlEngine engine = SqlEngine::Sqlite,
        bool lockForUpdate = false, const QString& orderBy = QString()) const;
    QString update(const QStringList& columns, const QStringList& where) const;
};
