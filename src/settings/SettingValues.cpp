#include "settings/SettingValues.h"

#include "text/VbNumber.h"

namespace settings {

int CheckBoxValue(QStringView stored, int defaultValue) {
    const std::optional<std::int16_t> value = vb::CInt(vb::Val(stored));
    if (!value) return defaultValue;
    if (*value == 0 || *value == 2) return *value;
    return 1;
}

std::int32_t LongValue(QStringView stored, std::int32_t defaultValue) {
    return vb::CLng(vb::Val(stored)).value_or(defaultValue);
}

float PositionValue(QStringView stored, float defaultValue) {
    return vb::CSng(vb::Val(stored)).value_or(defaultValue);
}

}  // namespace settings
