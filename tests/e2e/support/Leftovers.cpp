#include "e2e/support/Leftovers.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <map>
#include <vector>

namespace e2e {

namespace {

struct ProcessEntry {
    int pid = 0;
    int parent = 0;
    QString name;
    bool live = false;
};

// /proc/PID/stat: "PID (name) STATE PPID ..."; the name may itself hold ") ".
bool readEntry(int pid, ProcessEntry& entry) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.readAll();
    const qsizetype open = text.indexOf('(');
    const qsizetype close = text.lastIndexOf(')');
    if (open < 0 || close < open) return false;
    const QList<QByteArray> rest = text.mid(close + 2).split(' ');
    if (rest.size() < 2) return false;
    entry.pid = pid;
    entry.name = QString::fromUtf8(text.mid(open + 1, close - open - 1));
    entry.live = rest[0] != "Z" && rest[0] != "X";
    entry.parent = rest[1].toInt();
    return true;
}

}  // namespace

void adoptOrphans() {
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
}

QStringList liveDescendants() {
    std::multimap<int, ProcessEntry> byParent;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const int pid = name.toInt(&number);
        ProcessEntry entry;
        if (number && readEntry(pid, entry)) byParent.emplace(entry.parent, entry);
    }
    QStringList found;
    std::vector<int> parents{static_cast<int>(::getpid())};
    while (!parents.empty()) {
        const int parent = parents.back();
        parents.pop_back();
        const auto [first, last] = byParent.equal_range(parent);
        for (auto it = first; it != last; ++it) {
            if (it->second.live)
                found.append(QStringLiteral("%1 (%2)").arg(it->second.pid).arg(it->second.name));
            parents.push_back(it->second.pid);
        }
    }
    return found;
}

}  // namespace e2e
