#include "settings/SettingValues.h"

#include "text/VbNumber.h"

namespace settings {

int CheckBoxValue(QStringView stored, int defaultValue) {
    const std::optional<std::int16_t> value = vb::cInt(vb::val(stored));
    if (!value) return defaultValue;
    if (*value == 0 || *value == 2) return *value;
    return 1;
}

std::int32_t longValue(QStringView stored, std::int32_t defaultValue) {
    return vb::cLng(vb::val(stored)).value_or(defaultValue);
}

float positionValue(QStringView stored, float defaultValue) {
    return vb::cSng(vb::val(stored)).value_or(defaultValue);
}

}  // namespace settings
