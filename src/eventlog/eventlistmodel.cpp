#include "eventlog/eventlistmodel.h"

int EventListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant EventListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size() || role != Qt::DisplayRole)
        return QVariant();
    return m_lines.at(index.row());
}

void EventListModel::addLine(const QString& line)
{
    if (m_lines.size() >= Capacity) {
        beginRemoveRows(QModelIndex(), 0, 0);
        m_lines.removeFirst();
        endRemoveRows();
    }
    const int row = int(m_lines.size());
    beginInsertRows(QModelIndex(), row, row);
    m_lines.append(line);
    endInsertRows();
    Q_EMIT currentRowChanged(row);
}
