#include "fechamentopage.h"

#include "common/money.h"

#include <QLocale>
#include <QMap>

namespace {

const QLocale Brazil(QLocale::Portuguese, QLocale::Brazil);
const char* const Colors[] = { "#1f6fb2", "#e08a00", "#3a9a3a", "#b83232", "#7b4fa8", "#8a6d3b" };

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

Money money(const QString& plain)
{
    return Money::fromText(plain, u'.').value_or(Money());
}

// A figure as the owner reads it, with its plain value for whoever reads the page by program.
QString cell(const QString& plain, const char* pattern)
{
    return QStringLiteral("<td data-valor=\"%1\">%2</td>")
        .arg(plain, money(plain).format(QString::fromLatin1(pattern), Brazil));
}

QString chart(const BackOfficeAdmin::Table& hourly)
{
    // Products in the order of their codes, each with its litres per hour.
    QMap<int, QString> names;
    QMap<int, QMap<int, Money>> litres;
    Money highest = Money::fromUnits(10000);
    for (const QStringList& row : hourly.rows) {
        const int produto = row[1].toInt();
        names[produto] = row[2].isEmpty() ? QStringLiteral("Produto %1").arg(produto) : row[2];
        litres[produto][row[0].toInt()] = money(row[3]);
        highest = std::max(highest, money(row[3]));
    }
    if (names.isEmpty())
        return QStringLiteral("<p>Nenhum abastecimento no dia.</p>\n");
    constexpr int Left = 50, Top = 10, Width = 720, Height = 200, Hours = 24;
    const double slot = double(Width) / Hours;
    const double bar = (slot - 4) / double(names.size());
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" role=\"img\" "
                                 "aria-label=\"Litros por hora e produto\">\n")
                      .arg(Left + Width + 10)
                      .arg(Top + Height + 60);
    for (int step = 0; step <= 4; ++step) {
        const double y = Top + Height - Height * step / 4.0;
        svg += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" stroke=\"#ccc\"/>"
                              "<text x=\"%4\" y=\"%5\" text-anchor=\"end\">%6</text>\n")
                   .arg(Left)
                   .arg(y, 0, 'f', 1)
                   .arg(Left + Width)
                   .arg(Left - 4)
                   .arg(y + 4, 0, 'f', 1)
                   .arg(Money::fromUnits(highest.units() * step / 4).format(u"##,###,##0", Brazil));
    }
    int index = 0;
    for (auto product = names.cbegin(); product != names.cend(); ++product, ++index) {
        const char* color = Colors[index % std::size(Colors)];
        for (auto hour = litres[product.key()].cbegin(); hour != litres[product.key()].cend(); ++hour) {
            const double height = Height * hour.value().toDouble() / highest.toDouble();
            svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\" data-hora=\"%6\" "
                                  "data-produto=\"%7\" data-valor=\"%8\"/>\n")
                       .arg(Left + hour.key() * slot + 2 + index * bar, 0, 'f', 1)
                       .arg(Top + Height - height, 0, 'f', 1)
                       .arg(bar, 0, 'f', 1)
                       .arg(height, 0, 'f', 1)
                       .arg(QLatin1StringView(color))
                       .arg(hour.key())
                       .arg(product.key())
                       .arg(hour.value().toPlainText());
        }
        svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"12\" height=\"12\" fill=\"%3\"/>"
                              "<text x=\"%4\" y=\"%5\">%6</text>\n")
                   .arg(Left + index * 180)
                   .arg(Top + Height + 34)
                   .arg(QLatin1StringView(color))
                   .arg(Left + index * 180 + 16)
                   .arg(Top + Height + 44)
                   .arg(escaped(product.value()));
    }
    for (int hour = 0; hour < Hours; hour += 2) {
        svg += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"middle\">%3h</text>\n")
                   .arg(Left + hour * slot + slot / 2, 0, 'f', 1)
                   .arg(Top + Height + 16)
                   .arg(hour, 2, 10, QChar(u'0'));
    }
    svg += QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%2\" stroke=\"#333\"/>\n</svg>\n")
               .arg(Left)
               .arg(Top + Height)
               .arg(Left + Width);
    return svg;
}

} // namespace

QByteArray FechamentoPage::html(const QString& posto, QDate data, const BackOfficeAdmin::Table& fechamento,
    const BackOfficeAdmin::Table& litrosPorHora)
{
    const QString dia = data.toString(u"dd/MM/yyyy");
    QString page
        = QStringLiteral("<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n<title>Fechamento "
                         "de %1 - %2</title>\n"
                         "<style>\n"
                         "body { font-family: \"Liberation Sans\", Arial, sans-serif; margin: 2em; color: #222; }\n"
                         "h1 { font-size: 1.5em; margin-bottom: 0.2em; } h2 { font-size: 1.1em; margin-top: 1.5em; }\n"
                         "table { border-collapse: collapse; width: 100%; font-size: 0.85em; }\n"
                         "th, td { border: 1px solid #999; padding: 0.3em 0.5em; text-align: right; }\n"
                         "th { background: #eee; } td.texto { text-align: left; } tfoot td { font-weight: bold; }\n"
                         "tr.diferenca td.diferenca { color: #b00000; font-weight: bold; }\n"
                         "svg text { font-size: 11px; fill: #333; } .nota { font-size: 0.8em; color: #555; }\n"
                         "@media print { body { margin: 1cm; } }\n"
                         "</style>\n</head>\n<body>\n<h1>Fechamento de %1</h1>\n<p class=\"posto\">%2</p>\n"
                         "<table id=\"fechamento\">\n<thead><tr><th>Empresa</th><th>Bico</th><th>Produto</th>"
                         "<th>Encerrante na abertura</th><th>Encerrante no fechamento</th><th>Litros vendidos</th>"
                         "<th>Abastecimentos</th><th>Valor total</th><th>Diferença</th></tr></thead>\n<tbody>\n")
              .arg(dia, escaped(posto));
    Money litros, valor;
    int abastecimentos = 0;
    for (const QStringList& row : fechamento.rows) {
        const bool differs = !money(row[9]).isZero();
        page += QStringLiteral(
            "<tr data-empresa=\"%1\" data-bico=\"%2\"%3><td>%1</td><td>%2</td><td class=\"texto\">%4</td>")
                    .arg(row[0], row[1], differs ? QStringLiteral(" class=\"diferenca\"") : QString(),
                        escaped(row[3].isEmpty() ? row[2] : row[2] + QStringLiteral(" - ") + row[3]));
        page += cell(row[4], "##,###,##0.00") + cell(row[5], "##,###,##0.00") + cell(row[6], "##,###,##0.000")
            + QStringLiteral("<td data-valor=\"%1\">%1</td>").arg(row[7]) + cell(row[8], "##,###,##0.00")
            + cell(row[9], "##,###,##0.00").replace(QStringLiteral("<td "), QStringLiteral("<td class=\"diferenca\" "))
            + QStringLiteral("</tr>\n");
        litros += money(row[6]);
        valor += money(row[8]);
        abastecimentos += row[7].toInt();
    }
    page += QStringLiteral("</tbody>\n<tfoot><tr><td class=\"texto\" colspan=\"5\">Total</td>")
        + cell(litros.toPlainText(), "##,###,##0.000")
        + QStringLiteral("<td data-valor=\"%1\">%1</td>").arg(abastecimentos)
        + cell(valor.toPlainText(), "##,###,##0.00")
        + QStringLiteral("<td></td></tr></tfoot>\n</table>\n"
                         "<p class=\"nota\">Diferença = encerrante no fechamento - encerrante na abertura - litros "
                         "vendidos. Só uma alteração do encerrante à mão, ou uma alteração perdida, a faz diferente de "
                         "zero; o histórico do encerrante (autoquorvan-retaguarda historico) a explica.</p>\n"
                         "<h2>Litros por hora</h2>\n")
        + chart(litrosPorHora) + QStringLiteral("</body>\n</html>\n");
    return page.toUtf8();
}
