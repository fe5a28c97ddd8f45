#include "operations/ImportLeftovers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cerrno>
#include <limits>
#include <signal.h>
#include <unistd.h>

namespace zav::manage {

namespace {
// A hidden name in the target's folder, so that the final rename stays within one file system. It
// carries the importing process's ID, which tells a later import whether the file is a leftover.
QString temporaryPrefixFor(const QFileInfo& target) {
    return QStringLiteral(".%1.import-").arg(target.fileName());
}

// An import killed half-way leaves its temporary database (a full copy of every credential) and its
// companions behind. One is a leftover when the process named in it is gone; a name without a process
// (as older versions wrote) when it has not changed for an hour, far longer than any import takes.
bool isLeftover(const QFileInfo& entry, const QString& prefix) {
    const QString owner = entry.fileName().mid(prefix.size()).section(QLatin1Char('-'), 0, 0);
    bool isNumber = false;
    const qint64 pid = owner.toLongLong(&isNumber);
    if (isNumber && owner.size() < 12 && pid > 0 && pid <= std::numeric_limits<pid_t>::max()) {
        return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
    }
    return entry.lastModified().secsTo(QDateTime::currentDateTime()) > 3600;
}
} // namespace

QString TemporaryImportPath(const QString& dbPath) {
    const QFileInfo target(dbPath);
    return target.dir().filePath(
        temporaryPrefixFor(target) +
        QStringLiteral("%1-%2").arg(::getpid()).arg(QUuid::createUuid().toString(QUuid::Id128).left(12)));
}

void RemoveImportLeftovers(const QString& dbPath) {
    const QFileInfo target(dbPath);
    const QString prefix = temporaryPrefixFor(target);
    const QDir folder = target.dir();
    // Every entry is looked at: the name may hold characters a name filter reads as wildcards.
    for (const QFileInfo& entry : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (entry.fileName().startsWith(prefix) && isLeftover(entry, prefix)) {
            QFile::remove(entry.filePath());
        }
    }
}

} // namespace zav::manage
