#pragma once

// What a test leaves behind: processes it started (directly or through the programs it ran) that
// still run after it has ended.

#include <QStringList>

namespace e2e {

// Makes this process the parent of every orphan among its descendants (a subreaper), so that a
// process whose parent ended before it (the shell of a killed xterm, say) still counts as a
// descendant. Such orphans are not reaped here: once ended they stay zombies until this process
// ends, which liveDescendants() counts as ended.
void adoptOrphans();

// The live descendants of this process, as "PID (name)"; zombies count as ended.
QStringList liveDescendants();

}  // namespace e2e
