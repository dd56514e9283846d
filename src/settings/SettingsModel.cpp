#include "settings/SettingsModel.h"

#include <QFileInfo>
#include <algorithm>

#include "core/ControlValues.h"
#include "settings/IniFile.h"
#include "settings/SettingValues.h"
#include "text/VbNumber.h"

namespace settings {
namespace {

constexpr std::uint32_t kKnownZones = 0xFFu;

// The default position is the centre computed in double, stored in single precision and passed as
// text; reading it back gives exactly what a file holding that text gives.
float readPosition(const IniFile& ini, QStringView key, double screenExtent, double windowExtent) {
    const auto centred = static_cast<float>(screenExtent / 2 - windowExtent / 2);
    const QString defaultText = vb::singleText(centred);
    const float defaultValue = positionValue(defaultText, centred);
    return positionValue(ini.getIni(u"APP", key, defaultText), defaultValue);
}

int readCheckBox(const IniFile& ini, QStringView section, QStringView key, int defaultValue) {
    return CheckBoxValue(ini.getIni(section, key, vb::integerText(defaultValue)), defaultValue);
}

std::int32_t readPixels(const IniFile& ini) {
    const std::int32_t pixels =
        longValue(ini.getIni(u"MOUSE", u"lngPixels", vb::integerText(kDefaultPixels)), kDefaultPixels);
    return std::clamp(pixels, kMinPixels, kMaxPixels);
}

std::uint32_t readZoneMask(const IniFile& ini) {
    const std::int32_t mask = longValue(ini.getIni(u"MOUSE", u"MousePosi", QStringLiteral("1")), 1);
    return static_cast<std::uint32_t>(mask) & kKnownZones;
}

// A value without "," is one element, also when it is empty; QString::split keeps empty parts.
QStringList readClassList(const IniFile& ini) {
    return ini.getIni(u"APP", u"WinClasses", QStringLiteral("IEFrame")).split(u',');
}

QString readIconPath(const IniFile& ini, QStringView key) {
    const QString path = ini.getIni(u"APP", key, QString());
    return QFileInfo(path).isFile() ? path : QString();
}

QList<IniFile::Entry> shutdownEntries(const StoredSettings& s) {
    const auto number = [](std::int64_t value) { return vb::integerText(value); };
    const QString app = QStringLiteral("APP");
    const QString mouse = QStringLiteral("MOUSE");
    const QString key = QStringLiteral("KEY");
    const QString lock = QStringLiteral("LOCK");
    return {
        {app, QStringLiteral("FormSetX"), vb::singleText(s.windowX)},
        {app, QStringLiteral("FormSetY"), vb::singleText(s.windowY)},
        {app, QStringLiteral("Icon0"), s.pictureFiles[0]},
        {app, QStringLiteral("Icon1"), s.pictureFiles[1]},
        {app, QStringLiteral("blnMute"), number(s.muteBox)},
        {app, QStringLiteral("blnMuteAuto"), number(s.muteRestoreBox)},
        {app, QStringLiteral("blnIE"), number(s.discoverBox)},
        {app, QStringLiteral("blnRunup"), number(s.showAtStartBox)},
        {app, QStringLiteral("WinClasses"), s.classNames.join(u',')},
        {mouse, QStringLiteral("MousePosi"), number(s.zoneMask)},
        {mouse, QStringLiteral("lngPixels"), number(s.zoneThickness)},
        {mouse, QStringLiteral("blnTrigMouse"), number(s.holdMouseBox)},
        {key, QStringLiteral("blnShiftMode"), number(s.shiftBox)},
        {key, QStringLiteral("blnScrollMode"), number(s.scrollLockBox)},
        {key, QStringLiteral("blnTrigKey"), number(s.holdKeyBox)},
        {lock, QStringLiteral("blnLock"), number(s.lockBox)},
        {lock, QStringLiteral("PassHash"), s.passwordDigest},
    };
}

}  // namespace

StoredSettings readStoredSettings(const IniFile& ini, QSizeF screen, QSizeF designedWindow) {
    StoredSettings s;
    s.windowY = readPosition(ini, u"FormSetY", screen.height(), designedWindow.height());
    s.windowX = readPosition(ini, u"FormSetX", screen.width(), designedWindow.width());
    s.zoneThickness = readPixels(ini);
    s.zoneMask = readZoneMask(ini);
    s.shiftBox = readCheckBox(ini, u"KEY", u"blnShiftMode", 1);
    s.scrollLockBox = readCheckBox(ini, u"KEY", u"blnScrollMode", 1);
    s.holdMouseBox = readCheckBox(ini, u"MOUSE", u"blnTrigMouse", 1);
    s.holdKeyBox = readCheckBox(ini, u"KEY", u"blnTrigKey", 1);
    s.lockBox = readCheckBox(ini, u"LOCK", u"blnLock", 0);
    s.passwordDigest = ini.getIni(u"LOCK", u"PassHash", QString());
    s.muteBox = readCheckBox(ini, u"APP", u"blnMute", 1);
    s.muteRestoreBox = readCheckBox(ini, u"APP", u"blnMuteAuto", 1);
    s.discoverBox = readCheckBox(ini, u"APP", u"blnIE", 1);
    s.classNames = readClassList(ini);
    s.pictureFiles[0] = readIconPath(ini, u"Icon0");
    s.pictureFiles[1] = readIconPath(ini, u"Icon1");
    s.showAtStartBox = readCheckBox(ini, u"APP", u"blnRunup", 1);
    return s;
}

bool writeStoredSettings(const IniFile& ini, const StoredSettings& settings) {
    return ini.writeAll(shutdownEntries(settings));
}

StoredSettings collectStoredSettings(const core::ControlValues& values, QPointF windowTopLeft,
                                     std::int32_t spinnerValue, const QStringList& classList) {
    StoredSettings s;
    s.windowX = static_cast<float>(windowTopLeft.x());
    s.windowY = static_cast<float>(windowTopLeft.y());
    s.zoneThickness = spinnerValue;
    s.zoneMask = values.zoneMask;
    s.shiftBox = values.shiftBox;
    s.scrollLockBox = values.scrollLockBox;
    s.holdMouseBox = values.holdMouseBox;
    s.holdKeyBox = values.holdKeyBox;
    s.lockBox = values.lockBox;
    s.muteBox = values.muteBox;
    s.muteRestoreBox = values.muteRestoreBox;
    s.discoverBox = values.discoverBox;
    s.showAtStartBox = values.showAtStartBox;
    s.passwordDigest = values.passwordDigest;
    s.classNames = classList;
    s.pictureFiles = values.pictureFiles;
    return s;
}

QList<int> zoneTogglesToTick(std::uint32_t mask) {
    QList<int> indices;
    for (const ZoneToggle& toggle : kZoneToggles)
        if ((mask & toggle.code) != 0) indices.append(toggle.index);
    return indices;
}

QPointF placeOnScreen(QPointF position, QSizeF windowSize, const QList<QRectF>& screens,
                      const QRectF& primary) {
    const QRectF window(position, windowSize);
    const bool visible = std::any_of(screens.begin(), screens.end(),
                                     [&window](const QRectF& screen) { return screen.intersects(window); });
    if (visible || screens.isEmpty()) return position;
    return primary.center() - QPointF(windowSize.width() / 2, windowSize.height() / 2);
}

}  // namespace settings
