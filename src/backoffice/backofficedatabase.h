#pragma once

#include "backoffice/backofficesettings.h"
#include "backoffice/sqltable.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QSemaphore>
#include <QString>
#include <QThread>
#include <exception>
#include <memory>
#include <optional>
#include <type_traits>

class SqlConnection;

// The shared handle every back-office object works through: the back-office database named by
// the settings and the local e-mail outbox, both opened on first need. All their SQL runs on a
// thread of the handle's own, so a back-office that is slow, locked or unreachable holds only the
// work that waits for it: with setResponsive, the caller keeps handling its events meanwhile, as it
// does while a modal box is open.
class BackOfficeDatabase {
public:
    enum class Status {
        Closed,
        Open,
        Missing, // no database at the configured place
        NotOurs, // not a database, an empty one, or one without our schema
        Older, // our schema at an older version: `autoquorvan-retaguarda atualiza` upgrades it
        Newer, // our schema at a version this program does not know
        BadSettings, // Retaguarda.INI says something that cannot be used
        Failed, // the database refused for another reason (locked, permissions, I/O, network)
    };
    enum class Access { ReadWrite, ReadOnly };

    explicit BackOfficeDatabase(BackOfficeSettings settings, Access access = Access::ReadWrite);
    ~BackOfficeDatabase();
    BackOfficeDatabase(const BackOfficeDatabase&) = delete;
    BackOfficeDatabase& operator=(const BackOfficeDatabase&) = delete;

    // The settings the handle was made with.
    const BackOfficeSettings& settings() const { return m_settings; }
    SqlEngine engine() const;
    // Whether a caller waiting for the back-office handles its events meanwhile.
    void setResponsive(bool responsive) { m_responsive = responsive; }

    // Opens the back-office database unless it is open; true when it is open and holds our schema
    // at our version. A missing database is reported, never created.
    bool open();
    // What the last open found, and why the database is not open: the place and the database's own
    // message, never a password.
    Status status() const { return m_status; }
    const QString& failure() const { return m_failure; }
    // Closes the back-office database, so the next use opens it afresh: after a failure, a
    // connection may stay read-only or broken when the cause is long gone.
    void close();
    // Creates our schema (and, for SQLite, the file) when the database is empty or missing, and
    // opens it; true when it created, false when our schema was already there. Throws the
    // back-office error otherwise, leaving the reason in status().
    bool create();
    // Brings an older schema of ours to our version in place, in one transaction; gives the
    // version found. Throws the back-office error otherwise, leaving the reason in status().
    int upgrade();

    // Runs the job on the back-office's thread and gives its result; what it throws is thrown here.
    template <typename Job> std::invoke_result_t<Job&> call(Job&& job);

    // On the back-office's thread only: the open back-office database for an operation (throws
    // the back-office error when it cannot be opened), the e-mail outbox (created with its schema
    // when the file is missing, never its folder), and the outbox only when its file exists.
    SqlConnection& records(const char* operation);
    SqlConnection& outbox(const char* operation);
    SqlConnection* existingOutbox(const char* operation);

private:
    enum class Purpose { Use, Create, Upgrade };
    bool openHere(Purpose purpose);
    void reportFailure(Status status, const QString& reason);
    [[noreturn]] void failHere(const char* operation);

    BackOfficeSettings m_settings;
    Access m_access;
    bool m_responsive = false;
    QThread m_thread;
    QObject* m_worker = nullptr;
    std::unique_ptr<SqlConnection> m_records;
    std::unique_ptr<SqlConnection> m_outbox;
    Status m_status = Status::Closed;
    QString m_failure;
    // Since the last open that failed: a server that does not answer is asked again only after a
    // pause, not by every table of every cycle, each waiting out the connection's time limit.
    QElapsedTimer m_sinceFailedOpen;
    bool m_created = false;
    int m_versionFound = 0;
};

template <typename Job> std::invoke_result_t<Job&> BackOfficeDatabase::call(Job&& job)
{
    using Result = std::invoke_result_t<Job&>;
    if (QThread::currentThread() == &m_thread)
        return job();
    std::exception_ptr thrown;
    std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>> result {};
    QSemaphore finished;
    QEventLoop loop;
    const bool responsive = m_responsive;
    QMetaObject::invokeMethod(
        m_worker,
        [&] {
            try {
                if constexpr (std::is_void_v<Result>)
                    job();
                else
                    result.emplace(job());
            } catch (...) {
                thrown = std::current_exception();
            }
            if (responsive)
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
            finished.release();
        },
        Qt::QueuedConnection);
    if (responsive)
        loop.exec();
    finished.acquire();
    if (thrown)
        std::rethrow_exception(thrown);
    if constexpr (!std::is_void_v<Result>)
        return std::move(*result);
}
