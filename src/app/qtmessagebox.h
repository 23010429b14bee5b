#pragma once

#include "common/messagebox.h"

#include <QList>

class QMessageBox;
class QWidget;

// The real message box: application-modal, one OK button, the icon the style asks for. Every box
// is also written to standard error, so a bridge without a screen (offscreen, a service) still
// says why it waits.
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr);

    void dismissAll() override;

protected:
    void present(const QString& text, int style, const QString& title) override;

private:
    QWidget* m_parent;
    // Innermost last: a box's event loop can run code that opens another.
    QList<QMessageBox*> m_open;
    bool m_dismissed = false;
};
