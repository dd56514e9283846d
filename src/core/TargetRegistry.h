#pragma once

#include <QString>
#include <QStringList>
#include <QStringListModel>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/CycleFlags.h"
#include "core/Prompter.h"
#include "core/TargetEntry.h"
#include "core/WindowServices.h"

namespace core {

// One target window: entry i of targetList, and what the last concealment saved of its window.
struct TargetRecord {
    QString title;
    WindowHandle handle = 0;
    WindowPlacement placement;
    std::int32_t savedShowCmd = kShowHide;
    // The window was hidden by the current concealment and has not been shown since. Only such a
    // record's placement is ever applied; the saved placement follows the window through list changes.
    bool concealed = false;
    // The window's class when it was hidden, to tell it from a new window that got its handle.
    QString concealedClass;
};

// What is concealed: the target windows (targetList is the master, targetTable its mirror) and the
// target classes (classNames is the master, classList its mirror).
class TargetRegistry {
public:
    TargetRegistry(WindowServices& services, Prompter& prompter, const CycleFlags& flags);
    TargetRegistry(const TargetRegistry&) = delete;
    TargetRegistry& operator=(const TargetRegistry&) = delete;

    // The models that the main window's list views show.
    QStringListModel& targetList() { return targetList_; }
    QStringListModel& classList() { return classList_; }

    // Receives the width in pixels over which targetList scrolls horizontally.
    std::function<void(std::int32_t extent)> onHorizontalExtent;
    // The list font's size in points and the screen's twips per pixel, for that width.
    void setListMetrics(double fontPoints, double twipsPerPixel);

    const QStringList& classNames() const { return classNames_; }
    // Replaces the class list (start-up); an empty list becomes one empty name. classList follows.
    void setClassList(const QStringList& classes);
    // Appends a class not yet listed (exact comparison); classList follows. False when listed.
    bool addClass(const QString& className);

    int targetCount() const { return TargetCount_; }
    const std::array<TargetRecord, kTargetTableSize>& targetTable() const { return targetTable_; }

    // Appends an entry unless an equal one is listed or the list is full; true when appended.
    // The caller refreshes the table afterwards.
    bool addTargetEntry(const QString& entry);

    // Drops entries of closed windows, rebuilds targetTable and TargetCount from targetList, sets the
    // horizontal extent and refreshes classList.
    void refreshTargetList();
    // classList = classNames.
    void refreshClassList();
    // Discovery: every open window of a listed class gets its entry, then the list is refreshed.
    void discoverClassWindows();

    // Reads every target's placement, then hides the targets.
    void hideTargets();
    // Shows every window that is still concealed with its saved placement, in one batch. Windows
    // closed meanwhile, shown meanwhile, or replaced by a new window with the same handle are left alone.
    void restoreTargets();

    // Double-click on entry `listIndex` of the list: remove it after a question.
    void onTargetDoubleClicked(int listIndex);
    void onClassDoubleClicked(int listIndex);

private:
    void pruneTargetList();
    void rebuildTable();
    // The first row of each window in the table (of the concealed ones only), in list order.
    std::vector<int> firstRowOfEachWindow(bool concealedOnly) const;
    // The placement and class of the window of each row, read in one call; one reading per row.
    std::vector<PlacementAndClass> readWindows(const std::vector<int>& rows);
    static bool stillConcealed(const TargetRecord& record, const PlacementAndClass& now);
    void restoreTarget(WindowHandle handle);
    int findEntry(int expectedRow, const QString& entry) const;

    WindowServices& services_;
    Prompter& prompter_;
    const CycleFlags& flags_;

    QStringListModel targetList_;
    QStringListModel classList_;
    QStringList classNames_{QString()};
    std::array<TargetRecord, kTargetTableSize> targetTable_{};
    int TargetCount_ = 0;
    double fontPoints_ = 9.0;
    double twipsPerPixel_ = 15.0;
};

}  // namespace core
