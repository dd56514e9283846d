#include "core/WindowServices.h"

namespace core {

QString HandleToHex(WindowHandle window) {
    return QString::number(window, 16).toUpper();
}

}  // namespace core
