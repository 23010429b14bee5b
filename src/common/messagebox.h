#pragma once

#include <QString>

// Icon of a message box, by the style number the station's support staff know.
namespace MessageStyle {
inline constexpr int Plain = 0;
inline constexpr int Critical = 16;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
} // namespace MessageStyle

// A modal box with one OK button that blocks until the operator closes it. Its answer is never
// examined, so nothing is returned.
class MessageBox {
public:
    static inline const QString DefaultTitle = QStringLiteral("AutoQuorvanNolvex");

    virtual ~MessageBox() = default;
    // Shows the box; a box without a title of its own shows the program's name.
    void show(const QString& text, int style = MessageStyle::Plain, const QString& title = QString())
    {
        present(text, style, title.isEmpty() ? DefaultTitle : title);
    }
    // The program is closing: the boxes now open end as if answered, and no later box waits for an
    // answer, so a close request is never held by a box nobody can see or answer.
    virtual void dismissAll() = 0;

protected:
    virtual void present(const QString& text, int style, const QString& title) = 0;
};
