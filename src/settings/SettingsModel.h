#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "settings/PixelRange.h"

namespace core {
struct ControlValues;
}

// The 17 settings of the settings file: read once at start-up, written once at shut-down. While the
// program runs they live in the main window's controls and in core::ControlValues; StoredSettings
// is only the form in which they travel between the file and the window.
namespace settings {

class IniFile;

struct StoredSettings {
    // Top-left corner of the main window in twips, relative to the primary screen's top-left.
    float windowX = 0.0f;
    float windowY = 0.0f;
    std::int32_t zoneThickness = kDefaultPixels;  // within kMinPixels..kMaxPixels
    std::uint32_t zoneMask = 1;                   // zone mask, low eight bits only
    // Check box values: 0 clear, 1 ticked, 2 greyed.
    int shiftBox = 1;
    int scrollLockBox = 1;
    int holdMouseBox = 1;
    int holdKeyBox = 1;
    int lockBox = 0;
    int muteBox = 1;
    int muteRestoreBox = 1;
    int discoverBox = 1;
    int showAtStartBox = 1;
    QString passwordDigest;  // empty: no password
    QStringList classNames{QStringLiteral("IEFrame")};
    std::array<QString, 2> pictureFiles;  // standby (0) and concealment (1) decoy files; empty: built-in

    friend bool operator==(const StoredSettings&, const StoredSettings&) = default;
};

// The settings as start-up reads them from ini; a missing file or key gives its default. The
// default position centres a window of designedWindow (the full, expanded size) on a primary screen
// of screen, both in twips. Values the window cannot hold are brought into its model:
// - a check box value other than 0, 1 or 2 that fits 16 bits counts as 1 (a non-zero flag); a
//   number beyond 16 bits gives the key's default;
// - the thickness is clamped into kMinPixels..kMaxPixels; a number beyond 32 bits gives 5;
// - the zone mask keeps its low eight bits (-1 gives 255, 256 gives 0); beyond 32 bits gives 1;
// - a position beyond single precision gives the default position; any other position is kept,
//   also far off every screen (see PlaceOnScreen);
// - an icon path that does not name an existing regular file (after following links) becomes
//   empty. Dot-files count as existing.
StoredSettings readStoredSettings(const IniFile& ini, QSizeF screen, QSizeF designedWindow);

// Writes all 17 settings in the shut-down order (APP, MOUSE, KEY, LOCK; a new file gets its sections
// and keys in that order) with one replacement of the file: all values are stored or none is. True
// when every value was stored.
bool writeStoredSettings(const IniFile& ini, const StoredSettings& settings);

// The settings as shut-down writes them: the window's position in twips, the spinner's value, the
// class list, and the rest from the control values (zoneMask, check boxes, passwordDigest, pictureFiles).
StoredSettings collectStoredSettings(const core::ControlValues& values, QPointF windowTopLeft,
                                     std::int32_t spinnerValue, const QStringList& classList);

// A zone toggle of the trigger panel and the zone code it stands for.
struct ZoneToggle {
    std::uint32_t code;
    int index;
};

// The toggles in the order start-up ticks them. The corners go round clockwise while the codes
// name them row by row: toggle 2 (bottom-right) is code 8 and toggle 3 (bottom-left) is code 4.
inline constexpr std::array<ZoneToggle, 8> kZoneToggles{
    {{1, 0}, {2, 1}, {8, 2}, {4, 3}, {16, 4}, {32, 5}, {64, 6}, {128, 7}}};

// The indices of the toggles that start-up ticks for mask, in that order.
QList<int> zoneTogglesToTick(std::uint32_t mask);

// Where to put a window of windowSize whose top-left corner is at position: unchanged when any part
// of it overlaps one of screens, otherwise centred on primary. All in one unit and one origin.
// With no screens at all the position is kept.
QPointF placeOnScreen(QPointF position, QSizeF windowSize, const QList<QRectF>& screens,
                      const QRectF& primary);

}  // namespace settings
