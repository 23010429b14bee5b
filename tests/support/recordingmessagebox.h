#pragma once

#include "common/messagebox.h"

#include <QList>
#include <functional>

// Records every box instead of showing it. Tests compare the boxes they expected with takeBoxes();
// a test's cleanup checks that no box was left unexamined.
class RecordingMessageBox final : public MessageBox {
public:
    struct Box {
        QString text;
        int style;
        QString title;
        friend bool operator==(const Box&, const Box&) = default;
    };

    QList<Box> takeBoxes();
    // Runs while a box is "open", to act as the operator would meanwhile.
    std::function<void(const Box&)> whileOpen;

    // Its boxes never wait, so there is nothing to end.
    void dismissAll() override { }

protected:
    void present(const QString& text, int style, const QString& title) override;

private:
    QList<Box> m_boxes;
};

char* toString(const RecordingMessageBox::Box& box);
