#pragma once

#include <QString>
#include <QStringList>
#include <QStringListModel>

#include "core/WindowServices.h"

// Discovery of target windows by their window class.
namespace core {

// The window's class name, at most 127 CP932 bytes; empty when the handle names no window.
QString getWindowClassName(core::WindowServices& services, const core::WindowHandle& handle);

// Called once for each top-level window. When the window's class is in classList, its entry in
// `list` (the first entry holding "(" & HEX & ")") is rewritten with the current title, or a new
// entry is appended. Appending stops at core::kMaxTargets entries; entries already in the list are
// still refreshed. Always returns true, so that the enumeration goes on.
bool enumClassWindowsProc(core::WindowServices& services, core::WindowHandle handle,
                          const QStringList& classList, QStringListModel& list);
// The same for a window whose class name and title were read already, as GetClassName and
// GetWindowText give them (GetClassNamesAndTitles).
bool enumClassWindowsProc(core::WindowHandle handle, const QString& windowClass, const QString& windowText,
                          const QStringList& classList, QStringListModel& list);

}  // namespace core
