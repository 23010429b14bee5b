#pragma once

#include "common/messagebox.h"

class QWidget;

// The real message box: application-modal, one OK button, the icon the style asks for.
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr);

protected:
    void present(const QString& text, int style, const QString& title) override;

private:
    QWidget* m_parent;
};
