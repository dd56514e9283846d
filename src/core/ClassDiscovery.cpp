#include "core/ClassDiscovery.h"

#include "core/ListModel.h"
#include "core/TargetEntry.h"
#include "text/AnsiText.h"

namespace core {

namespace {

// What a fixed buffer of `bufferBytes` would hold: the text before its first NUL, at most
// bufferBytes - 1 CP932 bytes.
QString asBuffered(const QString& text, int bufferBytes) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return ansi::cutToBytes(nul < 0 ? QStringView(text) : QStringView(text).left(nul), bufferBytes - 1);
}

int findEntryOf(const QStringListModel& list, const QString& bracketedHex) {
    for (int row = 0; row < core::list::listCount(list); ++row) {
        if (core::list::listItem(list, row).contains(bracketedHex)) return row;
    }
    return -1;
}

}  // namespace

QString getWindowClassName(core::WindowServices& services, const core::WindowHandle& handle) {
    return asBuffered(services.className(handle), 128);
}

bool enumClassWindowsProc(core::WindowServices& services, core::WindowHandle handle,
                          const QStringList& classList, QStringListModel& list) {
    const QString windowClass = services.className(handle);
    return enumClassWindowsProc(handle, windowClass, services.windowTitle(handle), classList, list);
}

bool enumClassWindowsProc(core::WindowHandle handle, const QString& windowClass, const QString& windowText,
                          const QStringList& classList, QStringListModel& list) {
    const QString className = asBuffered(windowClass, 128);
    const QString title = asBuffered(windowText, 516);
    // A window without a class (no WM_CLASS, or gone) is no window of a listed class, not even of an
    // empty name left in the list by a stray comma.
    if (className.isEmpty()) return true;
    const QString bracketedHex = u'(' + core::handleToHex(handle) + u')';
    const QString entry = core::formatTargetEntry(title, handle);
    // A class listed twice finds the entry written at its first occurrence and rewrites it.
    for (const QString& listed : classList) {
        if (listed != className) continue;
        const int row = findEntryOf(list, bracketedHex);
        if (row >= 0) {
            core::list::setListItem(list, row, entry);
        } else if (core::list::listCount(list) < core::kMaxTargets) {
            core::list::addItem(list, entry);
        }
    }
    return true;
}

}  // namespace core
