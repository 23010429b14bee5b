#include "backoffice/sqlconnection.h"

#include "common/error.h"

#include <QAtomicInt>
#include <QHash>
#include <QSqlRecord>

namespace {

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("autoquorvan-backoffice-%1").arg(counter.fetchAndAddRelaxed(1));
}

// SQLite's primary result codes; Qt's driver reports the extended ones, whose low byte they are.
QString describeSqlite(int code)
{
    switch (code & 0xFF) {
    case 5:
    case 6:
        return QStringLiteral("o banco de dados está bloqueado por outro programa");
    case 8:
        return QStringLiteral("o banco de dados está somente leitura");
    case 10:
        return QStringLiteral("erro de leitura ou gravação no disco");
    case 11:
        return QStringLiteral("o arquivo do banco de dados está corrompido");
    case 13:
        return QStringLiteral("o disco está cheio");
    case 14:
        return QStringLiteral("não foi possível abrir o arquivo do banco de dados");
    case 19:
        return QStringLiteral("o banco de dados recusou os valores");
    case 26:
        return QStringLiteral("o arquivo não é um banco de dados");
    default:
        return QString();
    }
}

// PostgreSQL's error classes (the first two characters of SQLSTATE) and the codes worth a word.
QString describePostgres(const QString& state)
{
    static const QHash<QString, QString> Codes {
        { QStringLiteral("3D000"), QStringLiteral("o banco de dados não existe no servidor") },
        { QStringLiteral("42P01"), QStringLiteral("a tabela não existe no banco de dados") },
        { QStringLiteral("55P03"), QStringLiteral("o banco de dados está bloqueado por outro programa") },
        { QStringLiteral("57014"), QStringLiteral("o servidor demorou demais para responder") },
        { QStringLiteral("25006"), QStringLiteral("o banco de dados está somente leitura") },
        { QStringLiteral("P0001"), QStringLiteral("o banco de dados recusou os valores") },
    };
    static const QHash<QString, QString> Classes {
        { QStringLiteral("08"), QStringLiteral("a conexão com o servidor do banco de dados falhou") },
        { QStringLiteral("23"), QStringLiteral("o banco de dados recusou os valores") },
        { QStringLiteral("28"), QStringLiteral("o servidor recusou o usuário ou a senha") },
        { QStringLiteral("40"), QStringLiteral("o servidor desfez a transação por um conflito") },
        { QStringLiteral("42"), QStringLiteral("o banco de dados não tem o que o programa procura") },
        { QStringLiteral("53"), QStringLiteral("o servidor está sem recursos (disco ou memória)") },
        { QStringLiteral("57"), QStringLiteral("o servidor está parando ou foi reiniciado") },
    };
    // The server always gives a state; an error without one is the client's: the connection is gone.
    if (state.isEmpty())
        return QStringLiteral("a conexão com o servidor do banco de dados falhou");
    if (const auto code = Codes.constFind(state); code != Codes.cend())
        return *code;
    return Classes.value(state.left(2));
}

} // namespace

SqlConnection::SqlConnection(SqlEngine engine, const QString& driver)
    : m_engine(engine)
    , m_name(uniqueConnectionName())
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

bool SqlConnection::open()
{
    close();
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
    return describe(m_database.lastError());
}

QSqlQuery& SqlConnection::prepared(const QString& sql, const SqlValues& values, const char* operation)
{
    auto found = m_statements.find(sql);
    if (found == m_statements.end()) {
        QSqlQuery query(m_database);
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            fail(operation, query.lastError());
        found = m_statements.emplace(sql, std::move(query)).first;
    }
    QSqlQuery& query = found->second;
    for (const auto& [name, value] : values)
        query.bindValue(u':' + name, value);
    return query;
}

std::optional<SqlRow> SqlConnection::first(const QString& sql, const SqlValues& values, const char* operation)
{
    QSqlQuery& query = prepared(sql, values, operation);
    if (!query.exec())
        fail(operation, query.lastError());
    std::optional<SqlRow> row;
    if (query.next()) {
        SqlRow found;
        const int count = query.record().count();
        found.reserve(count);
        for (int i = 0; i < count; ++i)
            found.append(query.value(i));
        row = std::move(found);
    } else if (query.lastError().isValid()) {
        const QSqlError error = query.lastError();
        query.finish();
        fail(operation, error);
    }
    query.finish();
    return row;
}

QList<SqlRow> SqlConnection::rows(const QString& sql, const SqlValues& values, const char* operation)
{
    QSqlQuery& query = prepared(sql, values, operation);
    if (!query.exec())
        fail(operation, query.lastError());
    QList<SqlRow> result;
    const int count = query.record().count();
    while (query.next()) {
        SqlRow row;
        row.reserve(count);
        for (int i = 0; i < count; ++i)
            row.append(query.value(i));
        result.append(std::move(row));
    }
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid())
        fail(operation, error);
    return result;
}

int SqlConnection::write(const QString& sql, const SqlValues& values, const char* operation)
{
    QSqlQuery& query = prepared(sql, values, operation);
    if (!query.exec())
        fail(operation, query.lastError());
    const int changed = query.numRowsAffected();
    query.finish();
    return changed;
}

void SqlConnection::run(const QString& sql, const char* operation)
{
    QSqlQuery query(m_database);
    if (!query.exec(sql))
        fail(operation, query.lastError());
}

void SqlConnection::fail(const char* operation, const QString& message)
{
    throw Error(ErrorNumber::BackOffice, QStringLiteral("%1: %2").arg(QLatin1StringView(operation), message));
}

void SqlConnection::fail(const char* operation, const QSqlError& error)
{
    fail(operation, describe(error));
}

QString SqlConnection::describe(const QSqlError& error)
{
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    QString sentence = numeric ? describeSqlite(code) : describePostgres(error.nativeErrorCode());
    if (sentence.isEmpty())
        sentence = QStringLiteral("o banco de dados recusou a operação");
    // One line: the text goes into the log, whose lines are the events.
    const QString text = error.text().simplified();
    return text.isEmpty() ? sentence : sentence + QStringLiteral(": ") + text;
}

SqlTransaction::SqlTransaction(SqlConnection& connection, const char* operation)
    : m_connection(connection)
    , m_operation(operation)
{
    m_connection.run(
        connection.engine() == SqlEngine::Sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"),
        operation);
    ++m_connection.m_transactions;
}

SqlTransaction::~SqlTransaction()
{
    --m_connection.m_transactions;
    if (!m_open)
        return;
    try {
        m_connection.run(QStringLiteral("ROLLBACK"), m_operation);
    } catch (const Error&) {
        // A connection that cannot even roll back is not trusted with the next transaction.
        m_connection.close();
    }
}

void SqlTransaction::commit()
{
    m_connection.run(QStringLiteral("COMMIT"), m_operation);
    m_open = false;
}

QVariant SqlValue::of(Money value)
{
    return QVariant::fromValue<qint64>(value.units());
}

QVariant SqlValue::of(const QString& value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

QVariant SqlValue::of(qint16 value)
{
    return QVariant(int(value));
}

QVariant SqlValue::of(qint32 value)
{
    return QVariant(int(value));
}

QVariant SqlValue::date(DateValue date)
{
    return date.date().toString(u"yyyy-MM-dd");
}

QVariant SqlValue::time(DateValue time)
{
    return time.time().toString(u"HH:mm:ss");
}

Money SqlValue::money(const QVariant& value)
{
    bool ok = false;
    const qlonglong units = value.toLongLong(&ok);
    if (value.isNull() || !ok || value.toString() != QString::number(units))
        SqlConnection::fail(
            "SqlValue.money", QStringLiteral("valor monetário inválido no banco: '%1'").arg(value.toString()));
    return Money::fromUnits(units);
}

QString SqlValue::text(const QVariant& value, SqlType type)
{
    return type == SqlType::Money ? money(value).toPlainText() : value.toString();
}
