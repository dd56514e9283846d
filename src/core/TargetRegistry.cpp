#include "core/TargetRegistry.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/ClassDiscovery.h"
#include "core/ListModel.h"
#include "text/AnsiText.h"

namespace core {

using list::AddItem;
using list::ListCount;
using list::ListItem;
using list::RemoveItem;

namespace {

const QString kRemoveQuestion = QStringLiteral("リストから外しますよ？");
const QString kShownAgainNote = QStringLiteral("隠蔽中のウィンドウは表示されます。");
const QString kLastClassMessage = QStringLiteral("最後のひとつは消しちゃイヤ。");
const QString kQuestionTitle = QStringLiteral("Zelmora");

}  // namespace

TargetRegistry::TargetRegistry(WindowServices& services, Prompter& prompter, const CycleFlags& flags)
    : services_(services), prompter_(prompter), flags_(flags) {}

void TargetRegistry::SetListMetrics(double fontPoints, double twipsPerPixel) {
    fontPoints_ = fontPoints;
    twipsPerPixel_ = twipsPerPixel;
}

void TargetRegistry::SetClassList(const QStringList& classes) {
    ClassList_ = classes.isEmpty() ? QStringList{QString()} : classes;
    RefreshClassList();
}

bool TargetRegistry::AddClass(const QString& className) {
    if (ClassList_.contains(className)) return false;
    ClassList_.append(className);
    RefreshClassList();
    return true;
}

bool TargetRegistry::AddTargetEntry(const QString& entry) {
    if (ListCount(lstTarget_) >= kMaxTargets || lstTarget_.stringList().contains(entry)) return false;
    AddItem(lstTarget_, entry);
    return true;
}

void TargetRegistry::RefreshTargetList() {
    PruneTargetList();
    RebuildTable();
    RefreshClassList();
}

void TargetRegistry::RefreshClassList() {
    lstClasses_.setStringList(ClassList_);
}

void TargetRegistry::DiscoverClassWindows() {
    // Entries of closed windows go first, so that they do not take the places of new windows.
    PruneTargetList();
    const std::vector<WindowHandle> windows = services_.EnumWindows();
    // Every window's class and title in one call: a backend can read them without a wait per window.
    const auto texts = services_.GetClassNamesAndTitles(windows);
    for (std::size_t i = 0; i < windows.size() && i < texts.size(); ++i) {
        mBrisquel::EnumClassWindowsProc(windows[i], texts[i].first, texts[i].second, ClassList_, lstTarget_);
    }
    RefreshTargetList();
}

void TargetRegistry::PruneTargetList() {
    const QStringList entries = lstTarget_.stringList();
    std::vector<WindowHandle> handles;
    handles.reserve(static_cast<std::size_t>(entries.size()));
    for (const QString& entry : entries)
        handles.push_back(ParseTargetEntry(entry).hWnd);
    // Every entry's window in one call: a backend can answer without a wait per entry.
    const std::vector<bool> open = services_.AreWindows(handles);
    // From the last entry to the first, so that the rows still to be visited keep their numbers.
    for (int row = static_cast<int>(entries.size()) - 1; row >= 0; --row) {
        const auto at = static_cast<std::size_t>(row);
        if (at < open.size() && !open[at]) RemoveItem(lstTarget_, row);
    }
}

void TargetRegistry::RebuildTable() {
    // What was saved of each window moves with its handle, not with its row.
    std::unordered_map<WindowHandle, TargetRecord> saved;
    for (int i = 0; i < TargetCount_; ++i)
        saved.try_emplace(TargetTable_[i].hWnd, TargetTable_[i]);

    const QStringList entries = lstTarget_.stringList();
    TargetCount_ = static_cast<int>(std::min<qsizetype>(entries.size(), kTargetTableSize));
    int longest = 0;
    for (int j = 0; j < TargetCount_; ++j) {
        const TargetEntry parsed = ParseTargetEntry(entries[j]);
        const auto found = saved.find(parsed.hWnd);
        TargetRecord record = found != saved.end() ? found->second : TargetRecord{};
        record.Title = parsed.title;
        record.hWnd = parsed.hWnd;
        TargetTable_[j] = std::move(record);
        longest = std::max(longest, ansi::byteLength(entries[j]));
    }
    if (onHorizontalExtent) onHorizontalExtent(HorizontalExtent(longest, fontPoints_, twipsPerPixel_));
}

std::vector<int> TargetRegistry::FirstRowOfEachWindow(bool concealedOnly) const {
    std::vector<int> rows;
    std::unordered_set<WindowHandle> seen;
    for (int i = 0; i < TargetCount_; ++i) {
        if (concealedOnly && !TargetTable_[i].Concealed) continue;
        if (seen.insert(TargetTable_[i].hWnd).second) rows.push_back(i);
    }
    return rows;
}

std::vector<PlacementAndClass> TargetRegistry::ReadWindows(const std::vector<int>& rows) {
    std::vector<WindowHandle> handles;
    handles.reserve(rows.size());
    for (const int row : rows)
        handles.push_back(TargetTable_[row].hWnd);
    // All windows in one call: a backend can read them without a wait per window.
    std::vector<PlacementAndClass> readings = services_.GetWindowPlacementsAndClassNames(handles);
    readings.resize(handles.size());  // a window the backend said nothing about counts as gone
    return readings;
}

void TargetRegistry::HideTargets() {
    const std::vector<int> rows = FirstRowOfEachWindow(false);
    // Every placement is read before the first window is hidden.
    const std::vector<PlacementAndClass> readings = ReadWindows(rows);
    std::vector<std::pair<WindowHandle, WindowPlacement>> batch;
    std::unordered_map<WindowHandle, int> firstRow;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        TargetRecord& record = TargetTable_[rows[j]];
        firstRow.emplace(record.hWnd, rows[j]);
        record.Concealed = false;
        record.Placement.length = 44;
        const PlacementAndClass& now = readings[j];
        if (!now.placement) continue;  // closed
        record.Placement = *now.placement;
        record.SavedShowCmd = record.Placement.showCmd;
        if (record.SavedShowCmd == kShowHide) continue;  // already withdrawn: nothing to hide or bring back
        record.ConcealedClass = now.className;
        record.Concealed = true;
        WindowPlacement hidden = record.Placement;
        hidden.showCmd = kShowHide;
        batch.emplace_back(record.hWnd, hidden);
    }
    for (int i = 0; i < TargetCount_; ++i) {
        TargetRecord& record = TargetTable_[i];
        const int first = firstRow.at(record.hWnd);
        if (first == i) continue;
        // The same window listed twice: hidden once, saved alike.
        const TargetRecord& original = TargetTable_[first];
        record.Placement = original.Placement;
        record.SavedShowCmd = original.SavedShowCmd;
        record.Concealed = original.Concealed;
        record.ConcealedClass = original.ConcealedClass;
    }
    if (!batch.empty()) services_.SetWindowPlacements(batch);
}

bool TargetRegistry::StillConcealed(const TargetRecord& record, const PlacementAndClass& now) {
    // A window that closed while hidden may have passed its handle on to a new window: that one is
    // shown by its own program, or is of another class.
    return record.Concealed && now.placement && now.placement->showCmd == kShowHide &&
           now.className == record.ConcealedClass;
}

void TargetRegistry::RestoreTargets() {
    const std::vector<int> rows = FirstRowOfEachWindow(true);
    const std::vector<PlacementAndClass> readings = ReadWindows(rows);
    std::vector<std::pair<WindowHandle, WindowPlacement>> batch;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const TargetRecord& record = TargetTable_[rows[j]];
        if (!StillConcealed(record, readings[j])) continue;
        WindowPlacement placement = record.Placement;
        placement.showCmd = record.SavedShowCmd;
        batch.emplace_back(record.hWnd, placement);
    }
    for (int i = 0; i < TargetCount_; ++i)
        TargetTable_[i].Concealed = false;
    if (!batch.empty()) services_.SetWindowPlacements(batch);
}

void TargetRegistry::RestoreTarget(WindowHandle hWnd) {
    for (int i = 0; i < TargetCount_; ++i) {
        const TargetRecord& record = TargetTable_[i];
        if (record.hWnd != hWnd) continue;
        if (record.Concealed && StillConcealed(record, ReadWindows({i}).front())) {
            WindowPlacement placement = record.Placement;
            placement.showCmd = record.SavedShowCmd;
            services_.SetWindowPlacement(hWnd, placement);
        }
        break;
    }
    for (int i = 0; i < TargetCount_; ++i) {
        if (TargetTable_[i].hWnd == hWnd) TargetTable_[i].Concealed = false;
    }
}

int TargetRegistry::FindEntry(int expectedRow, const QString& entry) const {
    if (expectedRow < ListCount(lstTarget_) && ListItem(lstTarget_, expectedRow) == entry) return expectedRow;
    return static_cast<int>(lstTarget_.stringList().indexOf(entry));
}

void TargetRegistry::lstTarget_DblClick(int listIndex) {
    if (listIndex < 0 || listIndex >= ListCount(lstTarget_)) return;
    // The timer keeps ticking while the question is open and may change the list: the entry is kept
    // by its text, not by its row.
    const QString entry = ListItem(lstTarget_, listIndex);
    QString question = kRemoveQuestion;
    if (flags_.blnHideFlg) question += QStringLiteral("\r\n") + kShownAgainNote;
    if (prompter_.MsgBox(question, mb::kYesNo + mb::kSystemModal, kQuestionTitle) != mb::kAnswerYes) return;

    if (flags_.blnHideFlg) RestoreTarget(ParseTargetEntry(entry).hWnd);
    const int row = FindEntry(listIndex, entry);
    if (row >= 0) RemoveItem(lstTarget_, row);
    RefreshTargetList();
}

void TargetRegistry::lstClasses_DblClick(int listIndex) {
    if (ClassList_.size() <= 1) {
        prompter_.MsgBox(kLastClassMessage, mb::kInformation + mb::kSystemModal, AppTitle());
        return;
    }
    if (listIndex < 0 || listIndex >= ListCount(lstClasses_)) return;
    const QString name = ListItem(lstClasses_, listIndex);
    if (prompter_.MsgBox(kRemoveQuestion, mb::kYesNo + mb::kSystemModal, kQuestionTitle) != mb::kAnswerYes)
        return;

    // The selected element goes, and only that one, also when its name is listed twice.
    const qsizetype at = (listIndex < ClassList_.size() && ClassList_[listIndex] == name)
                             ? listIndex
                             : ClassList_.indexOf(name);
    if (at >= 0 && ClassList_.size() > 1) ClassList_.removeAt(at);
    RefreshClassList();
}

}  // namespace core
