#include "backoffice/backofficedatabase.h"

#include "backoffice/sqlconnection.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>

namespace {

using Status = BackOfficeDatabase::Status;

// A file may hold the back-office records or the outbox; the version table names which, so one
// pointed at the other is refused instead of half-working.
struct Schema {
    const char* name;
    QStringList tables;
};

const Schema& recordsSchema()
{
    // Money columns are whole ten-thousandths, so BIGINT; dates and times ISO text that any SQL
    // client reads and that sorts as it reads.
    static const Schema schema { "retaguarda",
        {
            QStringLiteral("CREATE TABLE produtos ("
                           "codigo INTEGER NOT NULL PRIMARY KEY,"
                           "descricao TEXT NOT NULL DEFAULT '',"
                           "valor_unitario BIGINT NOT NULL DEFAULT 0)"),
            QStringLiteral("CREATE TABLE estoques ("
                           "empresa SMALLINT NOT NULL,"
                           "produto INTEGER NOT NULL,"
                           "valor_unitario BIGINT NOT NULL DEFAULT 0,"
                           "PRIMARY KEY (empresa, produto))"),
            // No foreign keys: the bridge copes with a nozzle whose product or stock item is
            // missing, and the administration tool records them in any order.
            QStringLiteral("CREATE TABLE bicos ("
                           "empresa SMALLINT NOT NULL,"
                           "bico SMALLINT NOT NULL,"
                           "produto INTEGER NOT NULL DEFAULT 0,"
                           "valor_unitario BIGINT NOT NULL DEFAULT 0,"
                           "PRIMARY KEY (empresa, bico))"),
            QStringLiteral("CREATE TABLE encerrantes ("
                           "empresa SMALLINT NOT NULL,"
                           "bico SMALLINT NOT NULL,"
                           "encerrante_atual BIGINT NOT NULL DEFAULT 0,"
                           "PRIMARY KEY (empresa, bico))"),
            // The row id keeps the order of registration for the listings.
            QStringLiteral("CREATE TABLE abastecimentos ("
                           "id INTEGER PRIMARY KEY,"
                           "empresa SMALLINT NOT NULL,"
                           "bico SMALLINT NOT NULL,"
                           "data TEXT NOT NULL,"
                           "hora TEXT NOT NULL,"
                           "campo05 TEXT NOT NULL DEFAULT '',"
                           "produto SMALLINT NOT NULL DEFAULT 0,"
                           "valor_unitario BIGINT NOT NULL DEFAULT 0,"
                           "quantidade BIGINT NOT NULL DEFAULT 0,"
                           "valor_total BIGINT NOT NULL DEFAULT 0,"
                           "campo10 INTEGER NOT NULL DEFAULT 0,"
                           "campo11 INTEGER NOT NULL DEFAULT 0,"
                           "campo12 INTEGER NOT NULL DEFAULT 0,"
                           "campo13 TEXT NOT NULL DEFAULT '',"
                           "campo14 BIGINT NOT NULL DEFAULT 0,"
                           "campo15 TEXT NOT NULL DEFAULT '',"
                           "campo16 TEXT NOT NULL DEFAULT '',"
                           "campo17 TEXT NOT NULL DEFAULT '',"
                           "campo18 BIGINT NOT NULL DEFAULT 0,"
                           "campo19 BIGINT NOT NULL DEFAULT 0,"
                           "campo20 TEXT NOT NULL DEFAULT '',"
                           "campo21 INTEGER NOT NULL DEFAULT 0,"
                           "campo22 INTEGER NOT NULL DEFAULT 0,"
                           "UNIQUE (empresa, data, hora, bico))"),
        } };
    return schema;
}

const Schema& outboxSchema()
{
    static const Schema schema { "mensagens",
        {
            QStringLiteral("CREATE TABLE mensagens_email ("
                           "chave SMALLINT NOT NULL,"
                           "codigo INTEGER NOT NULL,"
                           "empresa SMALLINT NOT NULL DEFAULT 0,"
                           "nome_empresa TEXT NOT NULL DEFAULT '',"
                           "nome_destinatario TEXT NOT NULL DEFAULT '',"
                           "email_destinatario TEXT NOT NULL DEFAULT '',"
                           "email_copia TEXT NOT NULL DEFAULT '',"
                           "assunto TEXT NOT NULL DEFAULT '',"
                           "mensagem TEXT NOT NULL DEFAULT '',"
                           "data_hora TEXT NOT NULL DEFAULT '',"
                           "data_hora_registro TEXT NOT NULL DEFAULT '',"
                           "endereco_ip TEXT NOT NULL DEFAULT '',"
                           "situacao INTEGER NOT NULL DEFAULT 0,"
                           "liberada SMALLINT NOT NULL DEFAULT 0,"
                           "PRIMARY KEY (chave, codigo))"),
        } };
    return schema;
}

const QString SqliteDriver = QStringLiteral("QSQLITE");
// Long enough to wait out the administration tool's write while the bridge polls, short enough
// that a stuck lock shows up in the log within a few cycles.
const QString SqliteOptions = QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000");
constexpr char SqliteMagic[] = "SQLite format 3";
constexpr qint64 SqliteMagicSize = sizeof(SqliteMagic); // with its terminating zero, as stored

// SQLite takes a short or empty file for an empty database and would write into it; a file with
// content must start with SQLite's own header before we let the driver near it.
bool hasForeignContent(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false; // let the driver report why it cannot be read
    if (file.size() == 0)
        return false;
    return file.read(SqliteMagicSize) != QByteArray(SqliteMagic, SqliteMagicSize);
}

// mode=rw opens an existing file and fails on a missing one: the driver's plain open would
// create it, and a back-office that is not there must be noticed, not replaced by an empty one.
QString sqliteUri(const QString& path, bool mayCreate)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(mayCreate ? QStringLiteral("mode=rwc") : QStringLiteral("mode=rw"));
    return url.toString(QUrl::FullyEncoded);
}

enum class Content { Ours, Empty, Foreign, Newer, NotADatabase, Unreadable };

Content inspect(SqlConnection& connection, const Schema& schema, QString* message)
{
    constexpr auto NotADatabaseCode = "26"; // SQLITE_NOTADB
    QSqlQuery tables(connection.database());
    if (!tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
        *message = tables.lastError().text();
        return tables.lastError().nativeErrorCode() == QLatin1StringView(NotADatabaseCode) ? Content::NotADatabase
                                                                                           : Content::Unreadable;
    }
    QStringList names;
    while (tables.next())
        names.append(tables.value(0).toString());
    if (tables.lastError().isValid()) {
        *message = tables.lastError().text();
        return Content::Unreadable;
    }
    if (names.isEmpty())
        return Content::Empty;
    if (!names.contains(QStringLiteral("versao_esquema")))
        return Content::Foreign;
    QSqlQuery version(connection.database());
    version.prepare(QStringLiteral("SELECT versao FROM versao_esquema WHERE esquema = ?"));
    version.bindValue(0, QString::fromLatin1(schema.name));
    if (!version.exec()) {
        *message = version.lastError().text();
        return Content::Unreadable;
    }
    if (!version.next())
        return Content::Foreign;
    const int found = version.value(0).toInt();
    if (found > BackOfficeDatabase::SchemaVersion) {
        *message = QStringLiteral("versão %1 do esquema, esta versão do programa conhece até a %2")
                       .arg(found)
                       .arg(BackOfficeDatabase::SchemaVersion);
        return Content::Newer;
    }
    return found == BackOfficeDatabase::SchemaVersion ? Content::Ours : Content::Foreign;
}

// WAL lets the administration tool read while the bridge writes; FULL syncs the log on every
// commit, so a fueling reported stored survives a power cut. Per connection, so on every open.
void configure(SqlConnection& connection)
{
    QSqlQuery mode = connection.run(QStringLiteral("PRAGMA journal_mode=WAL"), "PRAGMA journal_mode");
    if (!mode.next() || mode.value(0).toString().compare(u"wal", Qt::CaseInsensitive) != 0)
        SqlConnection::fail("PRAGMA journal_mode", QStringLiteral("o banco não aceitou o modo WAL"));
    mode.finish();
    connection.run(QStringLiteral("PRAGMA synchronous=FULL"), "PRAGMA synchronous");
}

void createSchema(SqlConnection& connection, const Schema& schema)
{
    // IMMEDIATE takes the write lock before the first read, so two programs creating the same
    // outbox at once wait for each other instead of failing on a lock upgrade.
    connection.run(QStringLiteral("BEGIN IMMEDIATE"), "criar esquema");
    try {
        connection.run(QStringLiteral("CREATE TABLE IF NOT EXISTS versao_esquema ("
                                      "esquema TEXT NOT NULL PRIMARY KEY, versao INTEGER NOT NULL)"),
            "criar esquema");
        QSqlQuery tables = connection.run(
            QStringLiteral("SELECT count(*) FROM versao_esquema WHERE esquema = '%1'").arg(schema.name),
            "criar esquema");
        const bool present = tables.next() && tables.value(0).toInt() > 0;
        tables.finish();
        if (!present) {
            for (const QString& table : schema.tables)
                connection.run(table, "criar esquema");
            connection.run(QStringLiteral("INSERT INTO versao_esquema (esquema, versao) VALUES ('%1', %2)")
                               .arg(schema.name)
                               .arg(BackOfficeDatabase::SchemaVersion),
                "criar esquema");
        }
        connection.run(QStringLiteral("COMMIT"), "criar esquema");
    } catch (...) {
        QSqlQuery(connection.database()).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void removeSqliteFiles(const QString& path)
{
    for (const char* suffix : { "", "-wal", "-shm", "-journal" })
        QFile::remove(path + QLatin1StringView(suffix));
}

struct Outcome {
    Status status = Status::Open;
    QString reason;
    bool created = false;
};

// Opens a SQLite file holding the given schema; with mayCreate, a missing or empty file gets the
// schema, and a file we created is removed again when that fails, so no empty file is left.
Outcome openSqlite(SqlConnection& connection, const QString& path, const Schema& schema, bool mayCreate)
{
    const QFileInfo info(path);
    const bool existed = info.exists();
    if (!existed && !mayCreate)
        return { Status::Missing, QStringLiteral("arquivo não encontrado"), false };
    if (existed && !info.isFile())
        return { Status::NotOurs, QStringLiteral("não é um arquivo"), false };
    if (existed && hasForeignContent(path))
        return { Status::NotOurs, QStringLiteral("o arquivo não é um banco de dados SQLite"), false };
    if (!existed && !info.absoluteDir().exists())
        return { Status::Failed, QStringLiteral("a pasta %1 não existe").arg(info.absolutePath()), false };

    const auto failed = [&](Status status, const QString& reason) {
        connection.close();
        if (!existed)
            removeSqliteFiles(path);
        return Outcome { status, reason, false };
    };
    if (!connection.open(sqliteUri(path, mayCreate), SqliteOptions))
        return failed(Status::Failed, connection.lastError());
    QString message;
    const Content content = inspect(connection, schema, &message);
    switch (content) {
    case Content::Ours:
        break;
    case Content::Empty:
        if (!mayCreate)
            return failed(Status::NotOurs, QStringLiteral("o banco de dados está vazio, sem o esquema"));
        break;
    case Content::Foreign:
        return failed(Status::NotOurs, QStringLiteral("o banco de dados não tem o esquema \"%1\"").arg(schema.name));
    case Content::Newer:
        return failed(Status::NotOurs, message);
    case Content::NotADatabase:
        return failed(Status::NotOurs, message);
    case Content::Unreadable:
        return failed(Status::Failed, message);
    }
    try {
        configure(connection);
        if (content == Content::Empty)
            createSchema(connection, schema);
    } catch (const Error& error) {
        return failed(Status::Failed, error.description());
    }
    return { Status::Open, QString(), content == Content::Empty };
}

} // namespace

BackOfficeDatabase::BackOfficeDatabase(BackOfficeSettings settings)
    : m_settings(std::move(settings))
{
}

BackOfficeDatabase::~BackOfficeDatabase() = default;

bool BackOfficeDatabase::open()
{
    if (m_records && m_records->isOpen())
        return true;
    if (m_settings.kind() != BackOfficeSettings::Kind::Sqlite) {
        reportFailure(
            Status::Unsupported, QStringLiteral("o driver \"%1\" ainda não é suportado").arg(m_settings.driver));
        return false;
    }
    if (!m_records)
        m_records = std::make_unique<SqlConnection>(SqliteDriver);
    const Outcome outcome = openSqlite(*m_records, m_settings.file, recordsSchema(), false);
    if (outcome.status != Status::Open) {
        reportFailure(outcome.status, outcome.reason);
        return false;
    }
    m_status = Status::Open;
    m_failure.clear();
    return true;
}

bool BackOfficeDatabase::create()
{
    if (m_settings.kind() != BackOfficeSettings::Kind::Sqlite) {
        reportFailure(
            Status::Unsupported, QStringLiteral("o driver \"%1\" ainda não é suportado").arg(m_settings.driver));
        SqlConnection::fail("criar banco", m_failure);
    }
    if (m_records)
        m_records->close();
    else
        m_records = std::make_unique<SqlConnection>(SqliteDriver);
    const QFileInfo info(m_settings.file);
    if (!info.exists() && !QDir().mkpath(info.absolutePath())) {
        reportFailure(Status::Failed, QStringLiteral("não foi possível criar a pasta %1").arg(info.absolutePath()));
        SqlConnection::fail("criar banco", m_failure);
    }
    const Outcome outcome = openSqlite(*m_records, m_settings.file, recordsSchema(), true);
    if (outcome.status != Status::Open) {
        reportFailure(outcome.status, outcome.reason);
        SqlConnection::fail("criar banco", m_failure);
    }
    m_status = Status::Open;
    m_failure.clear();
    return outcome.created;
}

void BackOfficeDatabase::close()
{
    if (m_records)
        m_records->close();
    m_status = Status::Closed;
}

SqlConnection& BackOfficeDatabase::records(const char* operation)
{
    if (!open())
        SqlConnection::fail(operation, m_failure);
    return *m_records;
}

SqlConnection& BackOfficeDatabase::outbox(const char* operation)
{
    if (m_outbox && m_outbox->isOpen())
        return *m_outbox;
    if (!m_outbox)
        m_outbox = std::make_unique<SqlConnection>(SqliteDriver);
    const Outcome outcome = openSqlite(*m_outbox, m_settings.outbox, outboxSchema(), true);
    if (outcome.status != Status::Open)
        SqlConnection::fail(operation, QStringLiteral("Mensagens %1: %2").arg(m_settings.outbox, outcome.reason));
    return *m_outbox;
}

SqlConnection* BackOfficeDatabase::existingOutbox(const char* operation)
{
    if (!(m_outbox && m_outbox->isOpen()) && !QFileInfo::exists(m_settings.outbox))
        return nullptr;
    return &outbox(operation);
}

void BackOfficeDatabase::reportFailure(Status status, const QString& reason)
{
    if (m_records)
        m_records->close();
    m_status = status;
    m_failure = QStringLiteral("Retaguarda %1: %2").arg(m_settings.describe(), reason);
}
