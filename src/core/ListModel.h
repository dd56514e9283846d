#pragma once

#include <QString>
#include <QStringListModel>

// The list box operations the registry and discovery use, on the string list models that the
// main window's list views show.
namespace core::list {

inline int ListCount(const QStringListModel& list) {
    return list.rowCount();
}

inline QString ListItem(const QStringListModel& list, int row) {
    return list.data(list.index(row), Qt::DisplayRole).toString();
}

inline void SetListItem(QStringListModel& list, int row, const QString& text) {
    list.setData(list.index(row), text, Qt::EditRole);
}

inline void AddItem(QStringListModel& list, const QString& text) {
    const int row = list.rowCount();
    if (list.insertRows(row, 1)) SetListItem(list, row, text);
}

inline void RemoveItem(QStringListModel& list, int row) {
    list.removeRows(row, 1);
}

}  // namespace core::list
