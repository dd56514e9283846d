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

// One target window: entry i of lstTarget, and what the last concealment saved of its window.
struct TargetRecord {
    QString Title;
    WindowHandle hWnd = 0;
    WindowPlacement Placement;
    std::int32_t SavedShowCmd = kShowHide;
    // The window was hidden by the current concealment and has not been shown since. Only such a
    // record's placement is ever applied; the saved placement follows the window through list changes.
    bool Concealed = false;
    // The window's class when it was hidden, to tell it from a new window that got its handle.
    QString ConcealedClass;
};

// What is concealed: the target windows (lstTarget is the master, TargetTable its mirror) and the
// target classes (ClassList is the master, lstClasses its mirror).
class TargetRegistry {
public:
    TargetRegistry(WindowServices& services, Prompter& prompter, const CycleFlags& flags);
    TargetRegistry(const TargetRegistry&) = delete;
    TargetRegistry& operator=(const TargetRegistry&) = delete;

    // The models that the main window's list views show.
    QStringListModel& lstTarget() { return lstTarget_; }
    QStringListModel& lstClasses() { return lstClasses_; }

    // Receives the width in pixels over which lstTarget scrolls horizontally.
    std::function<void(std::int32_t extent)> onHorizontalExtent;
    // The list font's size in points and the screen's twips per pixel, for that width.
    void SetListMetrics(double fontPoints, double twipsPerPixel);

    const QStringList& ClassList() const { return ClassList_; }
    // Replaces the class list (start-up); an empty list becomes one empty name. lstClasses follows.
    void SetClassList(const QStringList& classes);
    // Appends a class not yet listed (exact comparison); lstClasses follows. False when listed.
    bool AddClass(const QString& className);

    int TargetCount() const { return TargetCount_; }
    const std::array<TargetRecord, kTargetTableSize>& TargetTable() const { return TargetTable_; }

    // Appends an entry unless an equal one is listed or the list is full; true when appended.
    // The caller refreshes the table afterwards.
    bool AddTargetEntry(const QString& entry);

    // Drops entries of closed windows, rebuilds TargetTable and TargetCount from lstTarget, sets the
    // horizontal extent and refreshes lstClasses.
    void RefreshTargetList();
    // lstClasses = ClassList.
    void RefreshClassList();
    // Discovery: every open window of a listed class gets its entry, then the list is refreshed.
    void DiscoverClassWindows();

    // Reads every target's placement, then hides the targets.
    void HideTargets();
    // Shows every window that is still concealed with its saved placement, in one batch. Windows
    // closed meanwhile, shown meanwhile, or replaced by a new window with the same handle are left alone.
    void RestoreTargets();

    // Double-click on entry `listIndex` of the list: remove it after a question.
    void lstTarget_DblClick(int listIndex);
    void lstClasses_DblClick(int listIndex);

private:
    void PruneTargetList();
    void RebuildTable();
    // The first row of each window in the table (of the concealed ones only), in list order.
    std::vector<int> FirstRowOfEachWindow(bool concealedOnly) const;
    // The placement and class of the window of each row, read in one call; one reading per row.
    std::vector<PlacementAndClass> ReadWindows(const std::vector<int>& rows);
    static bool StillConcealed(const TargetRecord& record, const PlacementAndClass& now);
    void RestoreTarget(WindowHandle hWnd);
    int FindEntry(int expectedRow, const QString& entry) const;

    WindowServices& services_;
    Prompter& prompter_;
    const CycleFlags& flags_;

    QStringListModel lstTarget_;
    QStringListModel lstClasses_;
    QStringList ClassList_{QString()};
    std::array<TargetRecord, kTargetTableSize> TargetTable_{};
    int TargetCount_ = 0;
    double fontPoints_ = 9.0;
    double twipsPerPixel_ = 15.0;
};

}  // namespace core
