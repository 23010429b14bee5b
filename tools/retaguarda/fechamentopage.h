#pragma once

#include "backoffice/backofficeadmin.h"

#include <QByteArray>
#include <QDate>
#include <QString>

// The day's closing as a page the owner prints: one self-contained HTML file (no network, no
// script) with the station's name, the closing table and a chart of the litres sold per hour and
// product. Every figure also carries its plain value in a data-valor attribute.
namespace FechamentoPage {
QByteArray html(const QString& posto, QDate data, const BackOfficeAdmin::Table& fechamento,
    const BackOfficeAdmin::Table& litrosPorHora);
} // namespace FechamentoPage
