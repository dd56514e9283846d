#pragma once

// The default sink of the desktop's sound server as pactl sees it.

#include <QString>

namespace desktoptest {

// The state of the default sink's mute switch ("yes"/"no"), empty without a sound server.
QString sinkMute();
// Sets the default sink's mute switch; true when the sound server did it.
bool setSinkMute(bool muted);

}  // namespace desktoptest
