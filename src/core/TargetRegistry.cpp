#include "core/TargetRegistry.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/ClassDiscovery.h"
#include "core/ListModel.h"
#include "text/AnsiText.h"

namespace core {

using list::addItem;
using list::listCount;
using list::listItem;
using list::removeItem;

namespace {

const QString kRemoveQuestion = QStringLiteral("リストから外しますよ？");
const QString kShownAgainNote = QStringLiteral("隠蔽中のウィンドウは表示されます。");
const QString kLastClassMessage = QStringLiteral("最後のひとつは消しちゃイヤ。");
const QString kQuestionTitle = QStringLiteral("Zelmora");

}  // namespace

TargetRegistry::TargetRegistry(WindowServices& services, Prompter& prompter, const CycleFlags& flags)
    : services_(services), prompter_(prompter), flags_(flags) {}

void TargetRegistry::setListMetrics(double fontPoints, double twipsPerPixel) {
    fontPoints_ = fontPoints;
    twipsPerPixel_ = twipsPerPixel;
}

void TargetRegistry::setClassList(const QStringList& classes) {
    classNames_ = classes.isEmpty() ? QStringList{QString()} : classes;
    refreshClassList();
}

bool TargetRegistry::addClass(const QString& className) {
    if (classNames_.contains(className)) return false;
    classNames_.append(className);
    refreshClassList();
    return true;
}

bool TargetRegistry::addTargetEntry(const QString& entry) {
    if (listCount(targetList_) >= kMaxTargets || targetList_.stringList().contains(entry)) return false;
    addItem(targetList_, entry);
    return true;
}

void TargetRegistry::refreshTargetList() {
    pruneTargetList();
    rebuildTable();
    refreshClassList();
}

void TargetRegistry::refreshClassList() {
    classList_.setStringList(classNames_);
}

void TargetRegistry::discoverClassWindows() {
    // Entries of closed windows go first, so that they do not take the places of new windows.
    pruneTargetList();
    const std::vector<WindowHandle> windows = services_.topLevelWindows();
    // Every window's class and title in one call: a backend can read them without a wait per window.
    const auto texts = services_.classNamesAndTitles(windows);
    for (std::size_t i = 0; i < windows.size() && i < texts.size(); ++i) {
        core::enumClassWindowsProc(windows[i], texts[i].first, texts[i].second, classNames_, targetList_);
    }
    refreshTargetList();
}

void TargetRegistry::pruneTargetList() {
    const QStringList entries = targetList_.stringList();
    std::vector<WindowHandle> handles;
    handles.reserve(static_cast<std::size_t>(entries.size()));
    for (const QString& entry : entries)
        handles.push_back(parseTargetEntry(entry).handle);
    // Every entry's window in one call: a backend can answer without a wait per entry.
    const std::vector<bool> open = services_.existing(handles);
    // From the last entry to the first, so that the rows still to be visited keep their numbers.
    for (int row = static_cast<int>(entries.size()) - 1; row >= 0; --row) {
        const auto at = static_cast<std::size_t>(row);
        if (at < open.size() && !open[at]) removeItem(targetList_, row);
    }
}

void TargetRegistry::rebuildTable() {
    // What was saved of each window moves with its handle, not with its row.
    std::unordered_map<WindowHandle, TargetRecord> saved;
    for (int i = 0; i < TargetCount_; ++i)
        saved.try_emplace(targetTable_[i].handle, targetTable_[i]);

    const QStringList entries = targetList_.stringList();
    TargetCount_ = static_cast<int>(std::min<qsizetype>(entries.size(), kTargetTableSize));
    int longest = 0;
    for (int j = 0; j < TargetCount_; ++j) {
        const TargetEntry parsed = parseTargetEntry(entries[j]);
        const auto found = saved.find(parsed.handle);
        TargetRecord record = found != saved.end() ? found->second : TargetRecord{};
        record.title = parsed.title;
        record.handle = parsed.handle;
        targetTable_[j] = std::move(record);
        longest = std::max(longest, ansi::byteLength(entries[j]));
    }
    if (onHorizontalExtent) onHorizontalExtent(horizontalExtent(longest, fontPoints_, twipsPerPixel_));
}

std::vector<int> TargetRegistry::firstRowOfEachWindow(bool concealedOnly) const {
    std::vector<int> rows;
    std::unordered_set<WindowHandle> seen;
    for (int i = 0; i < TargetCount_; ++i) {
        if (concealedOnly && !targetTable_[i].concealed) continue;
        if (seen.insert(targetTable_[i].handle).second) rows.push_back(i);
    }
    return rows;
}

std::vector<PlacementAndClass> TargetRegistry::readWindows(const std::vector<int>& rows) {
    std::vector<WindowHandle> handles;
    handles.reserve(rows.size());
    for (const int row : rows)
        handles.push_back(targetTable_[row].handle);
    // All windows in one call: a backend can read them without a wait per window.
    std::vector<PlacementAndClass> readings = services_.placementsAndClassNames(handles);
    readings.resize(handles.size());  // a window the backend said nothing about counts as gone
    return readings;
}

void TargetRegistry::hideTargets() {
    const std::vector<int> rows = firstRowOfEachWindow(false);
    // Every placement is read before the first window is hidden.
    const std::vector<PlacementAndClass> readings = readWindows(rows);
    std::vector<std::pair<WindowHandle, WindowPlacement>> batch;
    std::unordered_map<WindowHandle, int> firstRow;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        TargetRecord& record = targetTable_[rows[j]];
        firstRow.emplace(record.handle, rows[j]);
        record.concealed = false;
        const PlacementAndClass& now = readings[j];
        if (!now.placement) continue;  // closed
        record.placement = *now.placement;
        record.savedShowCmd = record.placement.showCmd;
        if (record.savedShowCmd == kShowHide) continue;  // already withdrawn: nothing to hide or bring back
        record.concealedClass = now.className;
        record.concealed = true;
        WindowPlacement hidden = record.placement;
        hidden.showCmd = kShowHide;
        batch.emplace_back(record.handle, hidden);
    }
    for (int i = 0; i < TargetCount_; ++i) {
        TargetRecord& record = targetTable_[i];
        const int first = firstRow.at(record.handle);
        if (first == i) continue;
        // The same window listed twice: hidden once, saved alike.
        const TargetRecord& original = targetTable_[first];
        record.placement = original.placement;
        record.savedShowCmd = original.savedShowCmd;
        record.concealed = original.concealed;
        record.concealedClass = original.concealedClass;
    }
    if (!batch.empty()) services_.setPlacements(batch);
}

bool TargetRegistry::stillConcealed(const TargetRecord& record, const PlacementAndClass& now) {
    // A window that closed while hidden may have passed its handle on to a new window: that one is
    // shown by its own program, or is of another class.
    return record.concealed && now.placement && now.placement->showCmd == kShowHide &&
           now.className == record.concealedClass;
}

void TargetRegistry::restoreTargets() {
    const std::vector<int> rows = firstRowOfEachWindow(true);
    const std::vector<PlacementAndClass> readings = readWindows(rows);
    std::vector<std::pair<WindowHandle, WindowPlacement>> batch;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const TargetRecord& record = targetTable_[rows[j]];
        if (!stillConcealed(record, readings[j])) continue;
        WindowPlacement placement = record.placement;
        placement.showCmd = record.savedShowCmd;
        batch.emplace_back(record.handle, placement);
    }
    for (int i = 0; i < TargetCount_; ++i)
        targetTable_[i].concealed = false;
    if (!batch.empty()) services_.setPlacements(batch);
}

void TargetRegistry::restoreTarget(WindowHandle handle) {
    for (int i = 0; i < TargetCount_; ++i) {
        const TargetRecord& record = targetTable_[i];
        if (record.handle != handle) continue;
        if (record.concealed && stillConcealed(record, readWindows({i}).front())) {
            WindowPlacement placement = record.placement;
            placement.showCmd = record.savedShowCmd;
            services_.setPlacement(handle, placement);
        }
        break;
    }
    for (int i = 0; i < TargetCount_; ++i) {
        if (targetTable_[i].handle == handle) targetTable_[i].concealed = false;
    }
}

int TargetRegistry::findEntry(int expectedRow, const QString& entry) const {
    if (expectedRow < listCount(targetList_) && listItem(targetList_, expectedRow) == entry)
        return expectedRow;
    return static_cast<int>(targetList_.stringList().indexOf(entry));
}

void TargetRegistry::onTargetDoubleClicked(int listIndex) {
    if (listIndex < 0 || listIndex >= listCount(targetList_)) return;
    // The timer keeps ticking while the question is open and may change the list: the entry is kept
    // by its text, not by its row.
    const QString entry = listItem(targetList_, listIndex);
    QString question = kRemoveQuestion;
    if (flags_.concealed) question += QStringLiteral("\r\n") + kShownAgainNote;
    if (prompter_.showMessage(question,
                              core::MessageStyle{core::MessageButtons::YesNo, core::MessageIcon::None, true},
                              kQuestionTitle) != core::Answer::Yes)
        return;

    if (flags_.concealed) restoreTarget(parseTargetEntry(entry).handle);
    const int row = findEntry(listIndex, entry);
    if (row >= 0) removeItem(targetList_, row);
    refreshTargetList();
}

void TargetRegistry::onClassDoubleClicked(int listIndex) {
    if (classNames_.size() <= 1) {
        prompter_.showMessage(
            kLastClassMessage,
            core::MessageStyle{core::MessageButtons::Ok, core::MessageIcon::Information, true}, appTitle());
        return;
    }
    if (listIndex < 0 || listIndex >= listCount(classList_)) return;
    const QString name = listItem(classList_, listIndex);
    if (prompter_.showMessage(kRemoveQuestion,
                              core::MessageStyle{core::MessageButtons::YesNo, core::MessageIcon::None, true},
                              kQuestionTitle) != core::Answer::Yes)
        return;

    // The selected element goes, and only that one, also when its name is listed twice.
    const qsizetype at = (listIndex < classNames_.size() && classNames_[listIndex] == name)
                             ? listIndex
                             : classNames_.indexOf(name);
    if (at >= 0 && classNames_.size() > 1) classNames_.removeAt(at);
    refreshClassList();
}

}  // namespace core
