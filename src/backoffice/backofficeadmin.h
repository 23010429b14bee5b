#pragma once

#include "backoffice/backofficedatabase.h"
#include "common/money.h"

#include <QList>
#include <QStringList>
#include <optional>

// What the administration tool does to the back-office, kept beside the classes so every SQL
// statement of the component lives in one folder. Each write creates or replaces one record and
// is committed when it returns; failures throw the back-office error.
namespace BackOfficeAdmin {
// A listing as text: money with a point and four decimals, dates yyyy-MM-dd, times HH:mm:ss.
struct Table {
    QStringList header;
    QList<QStringList> rows;
};

// Creates or replaces the product.
void gravaProduto(BackOfficeDatabase& database, qint32 codigo, Money preco, const QString& descricao);
// Creates or replaces the company's stock item of the product.
void gravaEstoque(BackOfficeDatabase& database, qint16 empresa, qint32 produto, Money preco);
// Creates or replaces the company's nozzle with its product and price.
void gravaBico(BackOfficeDatabase& database, qint16 empresa, qint16 bico, qint32 produto, Money preco);
// Creates or replaces the nozzle's totalizer.
void gravaEncerrante(BackOfficeDatabase& database, qint16 empresa, qint16 bico, Money valor);

// The fuelings in the order they were registered, optionally of one company or nozzle.
Table abastecimentos(BackOfficeDatabase& database, std::optional<qint16> empresa, std::optional<qint16> bico);
// The totalizers by company and nozzle, optionally of one company.
Table encerrantes(BackOfficeDatabase& database, std::optional<qint16> empresa);
// The outbox's message records by key and code; none when the outbox was never created.
Table mensagens(BackOfficeDatabase& database);
} // namespace BackOfficeAdmin
