#include "backoffice/sqlconnection.h"

#include "common/error.h"

#include <QAtomicInt>
#include <QHash>
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
        fail(operation, query.lastError());
    return m_statements.emplace(sql, std::move(query)).first->second;
}

std::optional<QList<QVariant>> SqlConnection::first(QSqlQuery& query, const char* operation)
{
    if (!query.exec())
        fail(operation, query.lastError());
    std::optional<QList<QVariant>> row;
    if (query.next()) {
        QList<QVariant> values;
        const int count = query.record().count();
        values.reserve(count);
        for (int i = 0; i < count; ++i)
            values.append(query.value(i));
        row = std::move(values);
    } else if (query.lastError().isValid()) {
        const QSqlError error = query.lastError();
        query.finish();
        fail(operation, error);
    }
    query.finish();
    return row;
}

int SqlConnection::write(QSqlQuery& query, const char* operation)
{
    if (!query.exec())
        fail(operation, query.lastError());
    const int changed = query.numRowsAffected();
    query.finish();
    return changed;
}

QSqlQuery SqlConnection::run(const QString& sql, const char* operation)
{
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        fail(operation, query.lastError());
    return query;
}

void SqlConnection::fail(const char* operation, const QString& message)
{
    throw Error(ErrorNumber::BackOffice, QStringLiteral("%1: %2").arg(QLatin1StringView(operation), message));
}

void SqlConnection::fail(const char* operation, const QSqlError& error)
{
    fail(operation, describe(error) + QStringLiteral(": ") + error.text());
}

QString SqlConnection::describe(const QSqlError& error)
{
    // SQLite's primary result codes; Qt's driver reports the extended ones, whose low byte it is.
    static const QHash<int, QString> Sqlite {
        { 5, QStringLiteral("o banco de dados está bloqueado por outro programa") },
        { 6, QStringLiteral("o banco de dados está bloqueado por outro programa") },
        { 8, QStringLiteral("o banco de dados está somente leitura") },
        { 10, QStringLiteral("erro de leitura ou gravação no disco") },
        { 11, QStringLiteral("o arquivo do banco de dados está corrompido") },
        { 13, QStringLiteral("o disco está cheio") },
        { 14, QStringLiteral("não foi possível abrir o arquivo do banco de dados") },
        { 19, QStringLiteral("o banco de dados recusou os valores") },
        { 26, QStringLiteral("o arquivo não é um banco de dados") },
    };
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    return Sqlite.value(numeric ? code & 0xFF : -1, QStringLiteral("o banco de dados recusou a operação"));
}

SqlTransaction::SqlTransaction(SqlConnection& connection, const char* operation)
    : m_connection(connection)
    , m_operation(operation)
{
    m_connection.write(m_connection.statement(QStringLiteral("BEGIN IMMEDIATE"), operation), operation);
}

SqlTransaction::~SqlTransaction()
{
    if (m_open && !rollback())
        m_connection.close();
}

void SqlTransaction::commit()
{
    m_connection.write(m_connection.statement(QStringLiteral("COMMIT"), m_operation), m_operation);
    m_open = false;
}

bool SqlTransaction::rollback()
{
    m_open = false;
    QSqlQuery query(m_connection.database());
    return query.exec(QStringLiteral("ROLLBACK"));
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
