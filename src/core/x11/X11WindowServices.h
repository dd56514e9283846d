#pragma once

#include <memory>

#include "core/WindowServices.h"

namespace core::x11 {

// Creates the X11 window services on their own connection to $DISPLAY; nullptr when no X server
// answers.
std::unique_ptr<WindowServices> CreateX11WindowServices();

}  // namespace core::x11
