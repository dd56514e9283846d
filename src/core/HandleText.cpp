#include "core/WindowServices.h"

namespace core {

QString handleToHex(WindowHandle window) {
    return QString::number(window, 16).toUpper();
}

}  // namespace core
