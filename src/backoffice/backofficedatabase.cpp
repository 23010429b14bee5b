#include "backoffice/backofficedatabase.h"

#include "backoffice/sqlconnection.h"
#include "backoffice/tables.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

using Status = BackOfficeDatabase::Status;

// A database may hold the back-office records or the outbox; the version table names which and at
// what version, so one pointed at the other, or at a version this program does not know, is
// refused instead of half-working.
struct Schema {
    QString name;
    int version;
    QList<const SqlTable*> (*addedIn)(int version);
};

const Schema& recordsSchema()
{
    static const Schema schema { QStringLiteral("retaguarda"), Tables::SchemaVersion, &Tables::addedIn };
    return schema;
}

const Schema& outboxSchema()
{
    static const Schema schema { QStringLiteral("mensagens"), 1, [](int version) {
                                    return version == 1 ? QList<const SqlTable*> { &Tables::mensagens() }
                                                        : QList<const SqlTable*> {};
                                } };
    return schema;
}

const SqlTable& versionTable()
{
    static const SqlTable table { QStringLiteral("versao_esquema"),
        { { QStringLiteral("esquema"), SqlType::Text }, { QStringLiteral("versao"), SqlType::Integer } },
        { QStringLiteral("esquema") }, false, {} };
    return table;
}

struct Outcome {
    Status status = Status::Open;
    QString reason;
};

enum class Content { Ours, Empty, Foreign, Older, Newer };

struct Found {
    Content content;
    int version = 0;
};

Found inspect(SqlConnection& connection, const Schema& schema)
{
    constexpr auto Operation = "examinar banco";
    const QString tables = connection.engine() == SqlEngine::Sqlite
        ? QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")
        : QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()");
    QStringList names;
    for (const SqlRow& row : connection.rows(tables, {}, Operation))
        names << row.first().toString();
    if (names.isEmpty())
        return { Content::Empty };
    if (!names.contains(versionTable().name))
        return { Content::Foreign };
    const auto row
        = connection.first(versionTable().select({ QStringLiteral("versao") }, { QStringLiteral("esquema") }),
            { { "esquema", schema.name } }, Operation);
    if (!row)
        return { Content::Foreign };
    const int version = row->first().toInt();
    if (version > schema.version)
        return { Content::Newer, version };
    return { version < schema.version ? Content::Older : Content::Ours, version };
}

// The tables of every version after `from`, and the version row, in one transaction: a database is
// at one version or the other, never between.
void createTables(SqlConnection& connection, const Schema& schema, int from)
{
    constexpr auto Operation = "criar esquema";
    SqlTransaction transaction(connection, Operation);
    if (from == 0)
        connection.run(versionTable().create(connection.engine()), Operation);
    for (int version = from + 1; version <= schema.version; ++version) {
        for (const SqlTable* table : schema.addedIn(version))
            connection.run(table->create(connection.engine()), Operation);
    }
    connection.write(
        versionTable().upsert({ QStringLiteral("esquema"), QStringLiteral("versao") }, { QStringLiteral("versao") }),
        { { "esquema", schema.name }, { "versao", schema.version } }, Operation);
    transaction.commit();
}

// Decides what a connected database is good for, and does what the purpose asks of it.
Outcome settle(
    SqlConnection& connection, const Schema& schema, bool mayCreate, bool mayUpgrade, int& versionFound, bool& created)
{
    const Found found = inspect(connection, schema);
    versionFound = found.version;
    switch (found.content) {
    case Content::Ours:
        return {};
    case Content::Empty:
        if (!mayCreate)
            return { Status::NotOurs, QStringLiteral("o banco de dados está vazio, sem o esquema (crie-o com init)") };
        createTables(connection, schema, 0);
        created = true;
        return {};
    case Content::Older:
        if (!mayUpgrade)
            return { Status::Older,
                QStringLiteral("o esquema está na versão %1 e esta versão do programa usa a %2: atualize-o com "
                               "autoquorvan-retaguarda atualiza")
                    .arg(found.version)
                    .arg(schema.version) };
        createTables(connection, schema, found.version);
        return {};
    case Content::Newer:
        return { Status::Newer,
            QStringLiteral("versão %1 do esquema, esta versão do programa conhece até a %2")
                .arg(found.version)
                .arg(schema.version) };
    case Content::Foreign:
        break;
    }
    return { Status::NotOurs, QStringLiteral("o banco de dados não tem o esquema \"%1\"").arg(schema.name) };
}

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

void removeSqliteFiles(const QString& path)
{
    for (const char* suffix : { "", "-wal", "-shm", "-journal" })
        QFile::remove(path + QLatin1StringView(suffix));
}

void alignLogFiles(const QFileInfo& database)
{
#ifndef Q_OS_WIN
    for (const char* suffix : { "-wal", "-shm" }) {
        const QFileInfo log(database.filePath() + QLatin1StringView(suffix));
        // Only our own files, and only to give back what the database itself now allows.
        if (log.exists() && !log.isWritable() && log.ownerId() == uint(::geteuid()) && database.isWritable())
            QFile::setPermissions(log.filePath(), database.permissions());
    }
#else
    Q_UNUSED(database);
#endif
}

// mode=rw opens an existing file and fails on a missing one: the driver's plain open would create
// it, and a back-office that is not there must be noticed, not replaced by an empty one. A reader
// asks for no write at all, so a user who may only read can list.
Outcome openSqlite(SqlConnection& connection, const QString& path, const Schema& schema, bool mayCreate,
    bool mayUpgrade, bool readOnly, int& versionFound, bool& created)
{
    const QFileInfo info(path);
    const bool existed = info.exists();
    if (!existed && !mayCreate)
        return { Status::Missing, QStringLiteral("arquivo não encontrado") };
    if (existed && !info.isFile())
        return { Status::NotOurs, QStringLiteral("não é um arquivo") };
    if (existed && hasForeignContent(path))
        return { Status::NotOurs, QStringLiteral("o arquivo não é um banco de dados SQLite") };
    if (!existed && !info.absoluteDir().exists())
        return { Status::Failed, QStringLiteral("a pasta %1 não existe").arg(info.absolutePath()) };

    // SQLite makes its log and shared-memory files with the database's permissions of the moment:
    // made while the database could not be written, they would keep it read-only once it can.
    if (!readOnly && existed)
        alignLogFiles(info);
    // A reader who may not create SQLite's shared-memory file beside the database cannot open it
    // in WAL mode at all; with no log file there either, everything committed is in the database
    // file itself, which is then read as it stands.
    const bool cannotShare = readOnly && !QFileInfo(info.absolutePath()).isWritable()
        && !QFileInfo::exists(path + QStringLiteral("-shm")) && !QFileInfo::exists(path + QStringLiteral("-wal"));
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setQuery(cannotShare ? QStringLiteral("mode=ro&immutable=1")
            : readOnly       ? QStringLiteral("mode=ro")
            : mayCreate      ? QStringLiteral("mode=rwc")
                             : QStringLiteral("mode=rw"));
    connection.database().setDatabaseName(url.toString(QUrl::FullyEncoded));
    // Long enough to wait out the administration tool's write while the bridge polls, short enough
    // that a stuck lock shows up in the log within a few cycles.
    connection.database().setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    const auto failed = [&](Status status, const QString& reason) {
        connection.close();
        if (!existed)
            removeSqliteFiles(path);
        return Outcome { status, reason };
    };
    if (!connection.open())
        return failed(Status::Failed, connection.lastError());
    try {
        // WAL lets the administration tool read while the bridge writes; FULL syncs the log on
        // every commit, so a fueling reported stored survives a power cut. Per connection.
        if (!readOnly) {
            const auto mode = connection.first(QStringLiteral("PRAGMA journal_mode=WAL"), {}, "PRAGMA journal_mode");
            if (!mode || mode->first().toString().compare(u"wal", Qt::CaseInsensitive) != 0)
                return failed(Status::Failed, QStringLiteral("o banco não aceitou o modo WAL"));
        }
        connection.run(QStringLiteral("PRAGMA synchronous=FULL"), "PRAGMA synchronous");
        const Outcome outcome = settle(connection, schema, mayCreate, mayUpgrade, versionFound, created);
        if (outcome.status != Status::Open)
            return failed(outcome.status, outcome.reason);
    } catch (const Error& error) {
        const bool notADatabase = error.description().contains(QStringLiteral("não é um banco de dados"));
        return failed(
            notADatabase ? Status::NotOurs : Status::Failed, error.description().section(QStringLiteral(": "), 1));
    }
    return {};
}

Outcome openPostgres(SqlConnection& connection, const BackOfficeSettings& settings, const Schema& schema,
    bool mayCreate, bool mayUpgrade, bool readOnly, int& versionFound, bool& created)
{
    QSqlDatabase& database = connection.database();
    database.setHostName(settings.servidor);
    database.setPort(settings.port());
    database.setDatabaseName(settings.banco);
    database.setUserName(settings.usuario);
    database.setPassword(settings.senha);
    // Keepalives notice a server that went away in the middle of a statement.
    database.setConnectOptions(QStringLiteral("connect_timeout=%1;sslmode=%2;application_name=autoquorvan;"
                                              "keepalives_idle=30;keepalives_interval=10;keepalives_count=3")
                                   .arg(settings.timeoutSeconds())
                                   .arg(settings.sslMode()));
    if (!connection.open())
        return { Status::Failed,
            QStringLiteral("não foi possível conectar ao servidor: %1").arg(database.lastError().text().trimmed()) };
    try {
        // A row locked by another program is waited for as long as SQLite waits for its file.
        connection.run(QStringLiteral("SET lock_timeout = 5000"), "configurar conexão");
        connection.run(QStringLiteral("SET statement_timeout = 60000"), "configurar conexão");
        if (readOnly)
            connection.run(QStringLiteral("SET default_transaction_read_only = on"), "configurar conexão");
        const Outcome outcome = settle(connection, schema, mayCreate, mayUpgrade, versionFound, created);
        if (outcome.status != Status::Open) {
            connection.close();
            return outcome;
        }
    } catch (const Error& error) {
        connection.close();
        return { Status::Failed, error.description().section(QStringLiteral(": "), 1) };
    }
    return {};
}

} // namespace

BackOfficeDatabase::BackOfficeDatabase(BackOfficeSettings settings, Access access)
    : m_settings(std::move(settings))
    , m_access(access)
{
    m_thread.setObjectName(QStringLiteral("retaguarda"));
    m_thread.start();
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
}

BackOfficeDatabase::~BackOfficeDatabase()
{
    // Qt SQL connections end on the thread that made them.
    call([this] {
        m_records.reset();
        m_outbox.reset();
        delete m_worker;
    });
    m_thread.quit();
    m_thread.wait();
}

SqlEngine BackOfficeDatabase::engine() const
{
    return m_settings.kind() == BackOfficeSettings::Kind::Postgres ? SqlEngine::Postgres : SqlEngine::Sqlite;
}

bool BackOfficeDatabase::open()
{
    return call([this] { return openHere(Purpose::Use); });
}

void BackOfficeDatabase::close()
{
    call([this] {
        if (m_records)
            m_records->close();
        m_status = Status::Closed;
    });
}

bool BackOfficeDatabase::create()
{
    return call([this] {
        if (m_settings.kind() == BackOfficeSettings::Kind::Sqlite) {
            const QFileInfo info(m_settings.file);
            if (!info.exists() && !QDir().mkpath(info.absolutePath())) {
                reportFailure(
                    Status::Failed, QStringLiteral("não foi possível criar a pasta %1").arg(info.absolutePath()));
                failHere("criar banco");
            }
        }
        if (!openHere(Purpose::Create))
            failHere("criar banco");
        return m_created;
    });
}

int BackOfficeDatabase::upgrade()
{
    return call([this] {
        if (!openHere(Purpose::Upgrade))
            failHere("atualizar banco");
        return m_versionFound;
    });
}

bool BackOfficeDatabase::openHere(Purpose purpose)
{
    if (purpose == Purpose::Use && m_records && m_records->isOpen())
        return true;
    if (m_records && m_records->inTransaction())
        return false;
    constexpr qint64 RetryPauseMs = 5000;
    if (purpose == Purpose::Use && m_status == Status::Failed && m_sinceFailedOpen.isValid()
        && m_sinceFailedOpen.elapsed() < RetryPauseMs)
        return false;
    if (const QString problem = m_settings.problem(); !problem.isEmpty()) {
        m_failure = QStringLiteral("Retaguarda.INI: %1").arg(problem);
        m_status = Status::BadSettings;
        return false;
    }
    const bool postgres = engine() == SqlEngine::Postgres;
    m_records
        = std::make_unique<SqlConnection>(engine(), postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"));
    if (!m_records->database().isValid()) {
        reportFailure(Status::Failed, QStringLiteral("o driver do banco de dados não está instalado"));
        return false;
    }
    m_created = false;
    const bool readOnly = m_access == Access::ReadOnly;
    const bool mayCreate = purpose == Purpose::Create;
    const bool mayUpgrade = purpose == Purpose::Upgrade;
    const Outcome outcome = postgres ? openPostgres(*m_records, m_settings, recordsSchema(), mayCreate, mayUpgrade,
                                readOnly, m_versionFound, m_created)
                                     : openSqlite(*m_records, m_settings.file, recordsSchema(), mayCreate, mayUpgrade,
                                         readOnly, m_versionFound, m_created);
    if (outcome.status != Status::Open) {
        reportFailure(outcome.status, outcome.reason);
        return false;
    }
    m_status = Status::Open;
    m_failure.clear();
    return true;
}

SqlConnection& BackOfficeDatabase::records(const char* operation)
{
    Q_ASSERT(QThread::currentThread() == &m_thread);
    // A connection lost inside a transaction stays lost until the transaction ends: a fresh one
    // would run the rest of its statements outside of it, and the transaction refers to the old.
    if (m_records && m_records->inTransaction() && !m_records->isOpen())
        SqlConnection::fail(operation, QStringLiteral("a conexão com o banco de dados caiu no meio da transação"));
    if (!openHere(Purpose::Use))
        failHere(operation);
    return *m_records;
}

SqlConnection& BackOfficeDatabase::outbox(const char* operation)
{
    Q_ASSERT(QThread::currentThread() == &m_thread);
    if (m_outbox && m_outbox->isOpen())
        return *m_outbox;
    m_outbox = std::make_unique<SqlConnection>(SqlEngine::Sqlite, QStringLiteral("QSQLITE"));
    int version = 0;
    bool created = false;
    const Outcome outcome
        = openSqlite(*m_outbox, m_settings.outbox, outboxSchema(), true, false, false, version, created);
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
    m_sinceFailedOpen.start();
}

void BackOfficeDatabase::failHere(const char* operation)
{
    SqlConnection::fail(operation, m_failure);
}
