#include "app/qtmessagebox.h"

#include <QMessageBox>
#include <cstdio>

namespace {

// The title, then the text's lines indented under it: one block per box, whatever mix of CR LF
// and LF the text was written with.
QByteArray report(const QString& title, const QString& text)
{
    QString block = QStringLiteral("autoquorvan: ") + title + u'\n';
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    for (const QString& line : lines.split(u'\n', Qt::SkipEmptyParts))
        block += QStringLiteral("  ") + line + u'\n';
    return block.toUtf8();
}

} // namespace

QtMessageBox::QtMessageBox(QWidget* parent)
    : m_parent(parent)
{
}

void QtMessageBox::present(const QString& text, int style, const QString& title)
{
    const QByteArray block = report(title, text);
    std::fwrite(block.constData(), 1, size_t(block.size()), stderr);
    std::fflush(stderr);
    if (m_dismissed)
        return;

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style) {
    case MessageStyle::Critical:
        icon = QMessageBox::Critical;
        break;
    case MessageStyle::Exclamation:
        icon = QMessageBox::Warning;
        break;
    case MessageStyle::Information:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, m_parent);
    box.setWindowModality(Qt::ApplicationModal);
    m_open.append(&box);
    box.exec();
    m_open.removeOne(&box);
}

void QtMessageBox::dismissAll()
{
    m_dismissed = true;
    for (QMessageBox* box : std::as_const(m_open))
        box->done(QMessageBox::Ok);
}
