#pragma once

#include "backoffice/backofficedatabase.h"
#include "backoffice/sqltable.h"
#include "common/money.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <optional>

// What the administration tool does to the back-office, through the back-office classes and the
// tables' own definitions. Each write is committed when it returns; failures throw the back-office
// error.
namespace BackOfficeAdmin {
// A listing as text: money with a point and four decimals, dates yyyy-MM-dd, times HH:mm:ss.
struct Table {
    QStringList header;
    QList<QStringList> rows;
};
// Column = value conditions of a listing.
using Filter = QList<std::pair<QString, QVariant>>;

// Creates or replaces the product; a description left out keeps the one stored.
void gravaProduto(BackOfficeDatabase& database, qint32 codigo, Money preco, const std::optional<QString>& descricao);
// Creates or replaces the company's stock item of the product.
void gravaEstoque(BackOfficeDatabase& database, qint16 empresa, qint32 produto, Money preco);
// Creates or replaces the company's nozzle with its product and price.
void gravaBico(BackOfficeDatabase& database, qint16 empresa, qint16 bico, qint32 produto, Money preco);
// Sets the nozzle's totalizer by hand, leaving the reason in its history.
void gravaEncerrante(BackOfficeDatabase& database, qint16 empresa, qint16 bico, Money valor, const QString& motivo,
    const QDateTime& momento);
// True when the product is registered.
bool produtoExiste(BackOfficeDatabase& database, qint32 codigo);

// A table's rows: the named columns (all but the row id when none are named) where the filter
// holds, in the given order.
Table listagem(BackOfficeDatabase& database, const SqlTable& table, const Filter& filter, const QString& orderBy,
    QStringList columns = {});
// The outbox's message records by key and code; none when the outbox was never created.
Table mensagens(BackOfficeDatabase& database);
} // namespace BackOfficeAdmin
