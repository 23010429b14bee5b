#include "backoffice/sqlconnection.h"

#include "common/error.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlRecord>

namespace {

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("autoquorvan-backoffice-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

SqlConnection::SqlConnection(const QString& driver)
    : m_name(uniqueConnectionName())
    , m_database(QSqlDatabase::addDatabase(driver, m_name))
{
}

SqlConnection::~SqlConnection()
{
    close();
    // Qt warns and leaks the connection when a handle still refers to it at removal.
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

bool SqlConnection::open(const QString& databaseName, const QString& connectOptions)
{
    close();
    m_database.setDatabaseName(databaseName);
    m_database.setConnectOptions(connectOptions);
    return m_database.open();
}

void SqlConnection::close()
{
    m_statements.clear();
    if (m_database.isOpen())
        m_database.close();
}

QString SqlConnection::lastError() const
{
    return m_database.lastError().text();
}

QSqlQuery& SqlConnection::statement(const QString& sql, const char* operation)
{
    auto found = m_statements.find(sql);
    if (found != m_statements.end())
        return found->second;
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        fail(operation, query.lastError().text());
    return m_statements.emplace(sql, std::move(query)).first->second;
}

std::optional<QList<QVariant>> SqlConnection::first(QSqlQuery& query, const char* operation)
{
    if (!query.exec())
        fail(operation, query.lastError().text());
    std::optional<QList<QVariant>> row;
    if (query.next()) {
        QList<QVariant> values;
        const int count = query.record().count();
        values.reserve(count);
        for (int i = 0; i < count; ++i)
            values.append(query.value(i));
        row = std::move(values);
    } else if (query.lastError().isValid()) {
        const QString message = query.lastError().text();
        query.finish();
        fail(operation, message);
    }
    query.finish();
    return row;
}

int SqlConnection::write(QSqlQuery& query, const char* operation)
{
    if (!query.exec())
        fail(operation, query.lastError().text());
    const int changed = query.numRowsAffected();
    query.finish();
    return changed;
}

QSqlQuery SqlConnection::run(const QString& sql, const char* operation)
{
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        fail(operation, query.lastError().text());
    return query;
}

void SqlConnection::fail(const char* operation, const QString& message)
{
    throw Error(ErrorNumber::BackOffice, QStringLiteral("%1: %2").arg(QLatin1StringView(operation), message));
}

QVariant SqlValue::of(Money value)
{
    return QVariant::fromValue<qint64>(value.units());
}

QVariant SqlValue::of(const QString& value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

Money SqlValue::money(const QVariant& value)
{
    // A money column holding anything but a whole count was written by another program. Read as
    // zero, a totalizer would be overwritten with the litres of the next fueling.
    bool ok = false;
    const qlonglong units = value.toLongLong(&ok);
    if (value.isNull() || !ok || value.toString() != QString::number(units))
        SqlConnection::fail(
            "SqlValue.money", QStringLiteral("valor monetário inválido no banco: '%1'").arg(value.toString()));
    return Money::fromUnits(units);
}
