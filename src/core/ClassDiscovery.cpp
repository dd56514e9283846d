#include "core/ClassDiscovery.h"

#include "core/ListModel.h"
#include "core/TargetEntry.h"
#include "text/AnsiText.h"

namespace mBrisquel {

namespace {

// What a fixed buffer of `bufferBytes` would hold: the text before its first NUL, at most
// bufferBytes - 1 CP932 bytes.
QString AsBuffered(const QString& text, int bufferBytes) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return ansi::cutToBytes(nul < 0 ? QStringView(text) : QStringView(text).left(nul), bufferBytes - 1);
}

int FindEntryOf(const QStringListModel& list, const QString& bracketedHex) {
    for (int row = 0; row < core::list::ListCount(list); ++row) {
        if (core::list::ListItem(list, row).contains(bracketedHex)) return row;
    }
    return -1;
}

}  // namespace

QString GetWindowClassName(core::WindowServices& services, const core::WindowHandle& hWnd) {
    return AsBuffered(services.GetClassName(hWnd), 128);
}

bool EnumClassWindowsProc(core::WindowServices& services, core::WindowHandle hWnd,
                          const QStringList& classList, QStringListModel& list) {
    const QString windowClass = services.GetClassName(hWnd);
    return EnumClassWindowsProc(hWnd, windowClass, services.GetWindowText(hWnd), classList, list);
}

bool EnumClassWindowsProc(core::WindowHandle hWnd, const QString& windowClass, const QString& windowText,
                          const QStringList& classList, QStringListModel& list) {
    const QString className = AsBuffered(windowClass, 128);
    const QString title = AsBuffered(windowText, 516);
    // A window without a class (no WM_CLASS, or gone) is no window of a listed class, not even of an
    // empty name left in the list by a stray comma.
    if (className.isEmpty()) return true;
    const QString bracketedHex = u'(' + core::HandleToHex(hWnd) + u')';
    const QString entry = core::FormatTargetEntry(title, hWnd);
    // A class listed twice finds the entry written at its first occurrence and rewrites it.
    for (const QString& listed : classList) {
        if (listed != className) continue;
        const int row = FindEntryOf(list, bracketedHex);
        if (row >= 0) {
            core::list::SetListItem(list, row, entry);
        } else if (core::list::ListCount(list) < core::kMaxTargets) {
            core::list::AddItem(list, entry);
        }
    }
    return true;
}

}  // namespace mBrisquel
