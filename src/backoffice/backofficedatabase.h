#pragma once

#include "backoffice/backofficesettings.h"

#include <QString>
#include <memory>

class SqlConnection;

// The shared handle every back-office object works through: the back-office database named by
// the settings and the local e-mail outbox. Both are opened on first need, so creating the handle
// costs nothing and the objects made from it can come and go in any order.
class BackOfficeDatabase {
public:
    enum class Status {
        Closed,
        Open,
        Missing, // no database at the configured place
        NotOurs, // a file that is not a database, or a database without our schema
        Unsupported, // a driver this build does not speak
        Failed, // the database refused for another reason (locked, permissions, I/O)
    };
    static constexpr int SchemaVersion = 1;

    explicit BackOfficeDatabase(BackOfficeSettings settings);
    ~BackOfficeDatabase();
    BackOfficeDatabase(const BackOfficeDatabase&) = delete;
    BackOfficeDatabase& operator=(const BackOfficeDatabase&) = delete;

    // The settings the handle was made with.
    const BackOfficeSettings& settings() const { return m_settings; }
    // Opens the back-office database unless it is open; true when it is open and holds our schema.
    // A missing database is reported, never created.
    bool open();
    // Closes the back-office database, so the next use opens it afresh: after a failure, a
    // connection may stay read-only or broken when the cause is long gone.
    void close();
    // What the last open found.
    Status status() const { return m_status; }
    // Why the database is not open: the place and the database's own message, never a password.
    const QString& failure() const { return m_failure; }
    // Creates the database and its schema when the file is missing or holds nothing yet, and opens
    // it; true when it created, false when our schema was already there. Throws the back-office
    // error otherwise, leaving the reason in status().
    bool create();

    // The open back-office database for an operation; throws the back-office error when it cannot
    // be opened.
    SqlConnection& records(const char* operation);
    // The e-mail outbox, created with its schema when the file is missing (never its folder).
    SqlConnection& outbox(const char* operation);
    // The outbox when its file exists, else null: for readers that must not create it.
    SqlConnection* existingOutbox(const char* operation);

private:
    void reportFailure(Status status, const QString& reason);

    BackOfficeSettings m_settings;
    std::unique_ptr<SqlConnection> m_records;
    std::unique_ptr<SqlConnection> m_outbox;
    Status m_status = Status::Closed;
    QString m_failure;
};
