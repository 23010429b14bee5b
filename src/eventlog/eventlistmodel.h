#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The event list on the window (EventLB): the last 200 event lines, oldest first, the newest being
// the selected line so the view keeps it in sight.
class EventListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int Capacity = 200;

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Appends a line, first dropping the oldest when the list is full, and selects it.
    void addLine(const QString& line);
    const QStringList& lines() const { return m_lines; }
    // The selected line (ListIndex); -1 while the list is empty.
    int currentRow() const { return int(m_lines.size()) - 1; }

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    QStringList m_lines;
};
