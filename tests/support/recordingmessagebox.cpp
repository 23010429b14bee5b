#include "support/recordingmessagebox.h"

#include <QTest>

QList<RecordingMessageBox::Box> RecordingMessageBox::takeBoxes()
{
    return std::exchange(m_boxes, {});
}

void RecordingMessageBox::present(const QString& text, int style, const QString& title)
{
    m_boxes.append({ text, style, title });
    if (whileOpen)
        whileOpen(m_boxes.last());
}

char* toString(const RecordingMessageBox::Box& box)
{
    return QTest::toString(QStringLiteral("[%1 | %2 | %3]").arg(box.text).arg(box.style).arg(box.title));
}
