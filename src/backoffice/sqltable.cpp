#include "backoffice/sqltable.h"

#include <stdexcept>

namespace {

QString typeName(SqlType type)
{
    switch (type) {
    case SqlType::SmallInt:
        return QStringLiteral("SMALLINT NOT NULL DEFAULT 0");
    case SqlType::Integer:
        return QStringLiteral("INTEGER NOT NULL DEFAULT 0");
    case SqlType::BigInt:
    case SqlType::Money:
        return QStringLiteral("BIGINT NOT NULL DEFAULT 0");
    case SqlType::Text:
    case SqlType::Date:
    case SqlType::Time:
    case SqlType::DateTime:
        return QStringLiteral("TEXT NOT NULL DEFAULT ''");
    }
    return QString();
}

QString placeholders(const QStringList& columns)
{
    QStringList names;
    for (const QString& column : columns)
        names << u':' + column;
    return names.join(QStringLiteral(", "));
}

QString conditions(const QStringList& columns)
{
    QStringList terms;
    for (const QString& column : columns)
        terms << column + QStringLiteral(" = :") + column;
    return terms.join(QStringLiteral(" AND "));
}

} // namespace

QStringList SqlTable::names() const
{
    QStringList result;
    if (rowId)
        result << QStringLiteral("id");
    for (const SqlColumn& column : columns)
        result << column.name;
    return result;
}

const SqlColumn& SqlTable::column(const QString& columnName) const
{
    static const SqlColumn RowIdColumn { QStringLiteral("id"), SqlType::BigInt };
    if (rowId && columnName == u"id")
        return RowIdColumn;
    for (const SqlColumn& candidate : columns) {
        if (candidate.name == columnName)
            return candidate;
    }
    throw std::logic_error("no such column");
}

QString SqlTable::create(SqlEngine engine) const
{
    QStringList parts;
    if (rowId) {
        parts << (engine == SqlEngine::Sqlite ? QStringLiteral("id INTEGER PRIMARY KEY")
                                              : QStringLiteral("id BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY"));
    }
    for (const SqlColumn& column : columns)
        parts << column.name + u' ' + typeName(column.type);
    if (!primaryKey.isEmpty())
        parts << QStringLiteral("PRIMARY KEY (%1)").arg(primaryKey.join(QStringLiteral(", ")));
    if (!unique.isEmpty())
        parts << QStringLiteral("UNIQUE (%1)").arg(unique.join(QStringLiteral(", ")));
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(name, parts.join(QStringLiteral(", ")));
}

QString SqlTable::insert(const QStringList& insertColumns, bool ignoreConflict) const
{
    QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(name, insertColumns.join(QStringLiteral(", ")), placeholders(insertColumns));
    if (ignoreConflict)
        sql += QStringLiteral(" ON CONFLICT (%1) DO NOTHING").arg(unique.join(QStringLiteral(", ")));
    return sql;
}

QString SqlTable::upsert(const QStringList& insertColumns, const QStringList& update) const
{
    QStringList assignments;
    for (const QString& column : update)
        assignments << column + QStringLiteral(" = excluded.") + column;
    return insert(insertColumns)
        + QStringLiteral(" ON CONFLICT (%1) DO UPDATE SET %2")
              .arg(primaryKey.join(QStringLiteral(", ")), assignments.join(QStringLiteral(", ")));
}

QString SqlTable::select(const QStringList& selectColumns, const QStringList& where, SqlEngine engine,
    bool lockForUpdate, const QString& orderBy) const
{
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(selectColumns.join(QStringLiteral(", ")), name);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions(where);
    if (!orderBy.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + orderBy;
    if (lockForUpdate && engine == SqlEngine::Postgres)
        sql += QStringLiteral(" FOR UPDATE");
    return sql;
}

QString SqlTable::update(const QStringList& updateColumns, const QStringList& where) const
{
    QStringList assignments;
    for (const QString& column : updateColumns)
        assignments << column + QStringLiteral(" = :") + column;
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
        .arg(name, assignments.join(QStringLiteral(", ")), conditions(where));
}
