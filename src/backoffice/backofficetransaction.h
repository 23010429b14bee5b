#pragma once

#include "backoffice/backofficeclasses.h"

#include <memory>

class SqlTransaction;

// The back-office writes of one piece of work, committed together or not at all: a fueling, its
// totalizer and whatever else a cycle registers. It begins on first use, so a cycle with nothing to
// register costs nothing, and rolls back unless committed. A back-office that failed inside is
// closed when the transaction ends, so the next use opens it afresh: a file whose write
// permission came back, a server that was restarted.
class BackOfficeTransaction {
public:
    explicit BackOfficeTransaction(clsConexao& conexao);
    ~BackOfficeTransaction();
    BackOfficeTransaction(const BackOfficeTransaction&) = delete;
    BackOfficeTransaction& operator=(const BackOfficeTransaction&) = delete;

    // Begins unless begun; throws the back-office error.
    void begin();
    // Commits; nothing to do when nothing was begun. Throws the back-office error, and then
    // nothing of the transaction is stored.
    void commit();
    // Something failed inside outside of a savepoint: the connection is closed at the end.
    void markFailed() { m_failed = true; }

    // One fueling inside the transaction: when it is not released, its writes alone are undone
    // and those before it stay.
    class Savepoint {
    public:
        explicit Savepoint(BackOfficeTransaction& transaction);
        ~Savepoint();
        Savepoint(const Savepoint&) = delete;
        Savepoint& operator=(const Savepoint&) = delete;
        void release();

    private:
        BackOfficeTransaction& m_transaction;
        bool m_released = false;
    };

private:
    BackOfficeDatabase& m_database;
    std::unique_ptr<SqlTransaction> m_transaction;
    // Something failed inside: the connection is closed at the end.
    bool m_failed = false;
    // A savepoint could not be undone: only a rollback of everything is safe.
    bool m_broken = false;
};
