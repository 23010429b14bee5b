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

// The day's closing of every nozzle with a totalizer (of one company, or all): its product, the
// totalizer at the day's opening and at its close, the litres, count and value of the day's
// fuelings, and the difference closing - opening - litres, which only a change by hand or a lost
// change makes non-zero. A change counts at its own moment (a fueling's, or when set by hand),
// whenever it was registered, so a fueling of 23:59 registered after midnight belongs to its day.
Table fechamento(BackOfficeDatabase& database, QDate data, std::optional<qint16> empresa);
// The litres of the day's fuelings by hour (0 to 23) and product, as "hora,produto,descricao,litros".
Table litrosPorHora(BackOfficeDatabase& database, QDate data, std::optional<qint16> empresa);
} // namespace BackOfficeAdmin
