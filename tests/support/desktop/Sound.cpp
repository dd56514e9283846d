#include "support/desktop/Sound.h"

#include "support/desktop/Tools.h"

namespace desktoptest {

QString sinkMute() {
    int status = -1;
    const QString out = runTool(QStringLiteral("pactl"),
                                {QStringLiteral("get-sink-mute"), QStringLiteral("@DEFAULT_SINK@")}, &status);
    if (status != 0) return {};
    return out.section(u':', 1).trimmed();
}

bool setSinkMute(bool muted) {
    int status = -1;
    runTool(QStringLiteral("pactl"),
            {QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"),
             muted ? QStringLiteral("1") : QStringLiteral("0")},
            &status);
    return status == 0;
}

}  // namespace desktoptest
