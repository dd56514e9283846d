#include "core/x11/X11WindowServices.h"

namespace core::x11 {

std::unique_ptr<WindowServices> CreateX11WindowServices() { return nullptr; }

}  // namespace core::x11
