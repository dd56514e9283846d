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
float ReadPosition(const IniFile& ini, QStringView key, double screenExtent, double windowExtent) {
    const auto centred = static_cast<float>(screenExtent / 2 - windowExtent / 2);
    const QString defaultText = vb::SingleText(centred);
    const float defaultValue = PositionValue(defaultText, centred);
    return PositionValue(ini.GetIni(u"APP", key, defaultText), defaultValue);
}

int ReadCheckBox(const IniFile& ini, QStringView section, QStringView key, int defaultValue) {
    return CheckBoxValue(ini.GetIni(section, key, vb::IntegerText(defaultValue)), defaultValue);
}

std::int32_t ReadPixels(const IniFile& ini) {
    const std::int32_t pixels =
        LongValue(ini.GetIni(u"MOUSE", u"lngPixels", vb::IntegerText(kDefaultPixels)), kDefaultPixels);
    return std::clamp(pixels, kMinPixels, kMaxPixels);
}

std::uint32_t ReadZoneMask(const IniFile& ini) {
    const std::int32_t mask = LongValue(ini.GetIni(u"MOUSE", u"MousePosi", QStringLiteral("1")), 1);
    return static_cast<std::uint32_t>(mask) & kKnownZones;
}

// A value without "," is one element, also when it is empty; QString::split keeps empty parts.
QStringList ReadClassList(const IniFile& ini) {
    return ini.GetIni(u"APP", u"WinClasses", QStringLiteral("IEFrame")).split(u',');
}

QString ReadIconPath(const IniFile& ini, QStringView key) {
    const QString path = ini.GetIni(u"APP", key, QString());
    return QFileInfo(path).isFile() ? path : QString();
}

QList<IniFile::Entry> ShutdownEntries(const StoredSettings& s) {
    const auto number = [](std::int64_t value) { return vb::IntegerText(value); };
    const QString app = QStringLiteral("APP");
    const QString mouse = QStringLiteral("MOUSE");
    const QString key = QStringLiteral("KEY");
    const QString lock = QStringLiteral("LOCK");
    return {
        {app, QStringLiteral("FormSetX"), vb::SingleText(s.FormSetX)},
        {app, QStringLiteral("FormSetY"), vb::SingleText(s.FormSetY)},
        {app, QStringLiteral("Icon0"), s.IconPath[0]},
        {app, QStringLiteral("Icon1"), s.IconPath[1]},
        {app, QStringLiteral("blnMute"), number(s.chkMute)},
        {app, QStringLiteral("blnMuteAuto"), number(s.chkMuteAuto)},
        {app, QStringLiteral("blnIE"), number(s.chkIE)},
        {app, QStringLiteral("blnRunup"), number(s.chkRunup)},
        {app, QStringLiteral("WinClasses"), s.ClassList.join(u',')},
        {mouse, QStringLiteral("MousePosi"), number(s.MousePosi)},
        {mouse, QStringLiteral("lngPixels"), number(s.lngPixels)},
        {mouse, QStringLiteral("blnTrigMouse"), number(s.chkTrigMouse)},
        {key, QStringLiteral("blnShiftMode"), number(s.chkShift)},
        {key, QStringLiteral("blnScrollMode"), number(s.chkScrollLock)},
        {key, QStringLiteral("blnTrigKey"), number(s.chkTrigKey)},
        {lock, QStringLiteral("blnLock"), number(s.chkLock)},
        {lock, QStringLiteral("PassHash"), s.PassHash},
    };
}

}  // namespace

StoredSettings ReadStoredSettings(const IniFile& ini, QSizeF screen, QSizeF designedWindow) {
    StoredSettings s;
    s.FormSetY = ReadPosition(ini, u"FormSetY", screen.height(), designedWindow.height());
    s.FormSetX = ReadPosition(ini, u"FormSetX", screen.width(), designedWindow.width());
    s.lngPixels = ReadPixels(ini);
    s.MousePosi = ReadZoneMask(ini);
    s.chkShift = ReadCheckBox(ini, u"KEY", u"blnShiftMode", 1);
    s.chkScrollLock = ReadCheckBox(ini, u"KEY", u"blnScrollMode", 1);
    s.chkTrigMouse = ReadCheckBox(ini, u"MOUSE", u"blnTrigMouse", 1);
    s.chkTrigKey = ReadCheckBox(ini, u"KEY", u"blnTrigKey", 1);
    s.chkLock = ReadCheckBox(ini, u"LOCK", u"blnLock", 0);
    s.PassHash = ini.GetIni(u"LOCK", u"PassHash", QString());
    s.chkMute = ReadCheckBox(ini, u"APP", u"blnMute", 1);
    s.chkMuteAuto = ReadCheckBox(ini, u"APP", u"blnMuteAuto", 1);
    s.chkIE = ReadCheckBox(ini, u"APP", u"blnIE", 1);
    s.ClassList = ReadClassList(ini);
    s.IconPath[0] = ReadIconPath(ini, u"Icon0");
    s.IconPath[1] = ReadIconPath(ini, u"Icon1");
    s.chkRunup = ReadCheckBox(ini, u"APP", u"blnRunup", 1);
    return s;
}

bool WriteStoredSettings(const IniFile& ini, const StoredSettings& settings) {
    return ini.writeAll(ShutdownEntries(settings));
}

StoredSettings CollectStoredSettings(const core::ControlValues& values, QPointF windowTopLeft,
                                     std::int32_t spinnerValue, const QStringList& classList) {
    StoredSettings s;
    s.FormSetX = static_cast<float>(windowTopLeft.x());
    s.FormSetY = static_cast<float>(windowTopLeft.y());
    s.lngPixels = spinnerValue;
    s.MousePosi = values.ZoneMask;
    s.chkShift = values.chkShift;
    s.chkScrollLock = values.chkScrollLock;
    s.chkTrigMouse = values.chkTrigMouse;
    s.chkTrigKey = values.chkTrigKey;
    s.chkLock = values.chkLock;
    s.chkMute = values.chkMute;
    s.chkMuteAuto = values.chkMuteAuto;
    s.chkIE = values.chkIE;
    s.chkRunup = values.chkRunup;
    s.PassHash = values.PassHash;
    s.ClassList = classList;
    s.IconPath = values.IconPath;
    return s;
}

QList<int> ZoneTogglesToTick(std::uint32_t mask) {
    QList<int> indices;
    for (const ZoneToggle& toggle : kZoneToggles)
        if ((mask & toggle.code) != 0) indices.append(toggle.index);
    return indices;
}

QPointF PlaceOnScreen(QPointF position, QSizeF windowSize, const QList<QRectF>& screens,
                      const QRectF& primary) {
    const QRectF window(position, windowSize);
    const bool visible = std::any_of(screens.begin(), screens.end(),
                                     [&window](const QRectF& screen) { return screen.intersects(window); });
    if (visible || screens.isEmpty()) return position;
    return primary.center() - QPointF(windowSize.width() / 2, windowSize.height() / 2);
}

}  // namespace settings
