#include "backoffice/backofficetransaction.h"

#include "backoffice/sqlconnection.h"

namespace {
constexpr auto Operation = "clsConexao.Transacao";
} // namespace

BackOfficeTransaction::BackOfficeTransaction(clsConexao& conexao)
    : m_database(conexao.database())
{
}

BackOfficeTransaction::~BackOfficeTransaction()
{
    m_database.call([this] {
        m_transaction.reset();
        if (m_failed)
            m_database.close();
    });
}

void BackOfficeTransaction::begin()
{
    if (m_transaction)
        return;
    m_database.call([this] {
        try {
            m_transaction = std::make_unique<SqlTransaction>(m_database.records(Operation), Operation);
        } catch (...) {
            m_failed = true;
            throw;
        }
    });
}

void BackOfficeTransaction::commit()
{
    if (!m_transaction)
        return;
    m_database.call([this] {
        try {
            if (m_broken)
                SqlConnection::fail(Operation, QStringLiteral("a transação foi desfeita por uma falha anterior"));
            m_transaction->commit();
        } catch (...) {
            m_failed = true;
            m_transaction.reset();
            throw;
        }
        m_transaction.reset();
    });
}

BackOfficeTransaction::Savepoint::Savepoint(BackOfficeTransaction& transaction)
    : m_transaction(transaction)
{
    m_transaction.begin();
    m_transaction.m_database.call([this] {
        try {
            m_transaction.m_database.records(Operation).run(QStringLiteral("SAVEPOINT registro"), Operation);
        } catch (...) {
            m_transaction.m_failed = true;
            throw;
        }
    });
}

BackOfficeTransaction::Savepoint::~Savepoint()
{
    if (m_released)
        return;
    if (std::uncaught_exceptions() > 0)
        m_transaction.m_failed = true;
    m_transaction.m_database.call([this] {
        try {
            SqlConnection& connection = m_transaction.m_database.records(Operation);
            connection.run(QStringLiteral("ROLLBACK TO SAVEPOINT registro"), Operation);
            connection.run(QStringLiteral("RELEASE SAVEPOINT registro"), Operation);
        } catch (...) {
            m_transaction.m_failed = true;
            m_transaction.m_broken = true;
        }
    });
}

void BackOfficeTransaction::Savepoint::release()
{
    m_transaction.m_database.call([this] {
        m_transaction.m_database.records(Operation).run(QStringLiteral("RELEASE SAVEPOINT registro"), Operation);
    });
    m_released = true;
}
