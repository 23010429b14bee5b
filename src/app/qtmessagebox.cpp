#include "app/qtmessagebox.h"

#include <QMessageBox>

QtMessageBox::QtMessageBox(QWidget* parent)
    : m_parent(parent)
{
}

void QtMessageBox::present(const QString& text, int style, const QString& title)
{
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
    box.exec();
}
