#pragma once

#include <QString>
#include <QStringListModel>

// The list box operations the registry and discovery use, on the string list models that the
// main window's list views show.
namespace core::list {

inline int listCount(const QStringListModel& list) {
    return list.rowCount();
}

inline QString listItem(const QStringListModel& list, int row) {
    return list.data(list.index(row), Qt::DisplayRole).toString();
}

inline void setListItem(QStringListModel& list, int row, const QString& text) {
    list.setData(list.index(row), text, Qt::EditRole);
}

inline void addItem(QStringListModel& list, const QString& text) {
    const int row = list.rowCount();
    if (list.insertRows(row, 1)) setListItem(list, row, text);
}

inline void removeItem(QStringListModel& list, int row) {
    list.removeRows(row, 1);
}

}  // namespace core::list
