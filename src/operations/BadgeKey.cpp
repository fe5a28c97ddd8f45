#include "operations/BadgeKey.h"

#include "operations/OperationErrors.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zav::manage {

QString BadgeKeyPath() {
    const QString given = qEnvironmentVariable("ZAV_BADGE_KEY_FILE");
    return given.isEmpty() ? QStringLiteral("/etc/zav-prjlogin/badge.key") : given;
}

BadgeKey ReadBadgeKey(const QString& path) {
    BadgeKey key;
    const QByteArray local = QFile::encodeName(path);
    // Opened first and checked through the descriptor, so that the file checked is the file read.
    const int fd = ::open(local.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        key.why = QStringLiteral("the badge key file %1 cannot be read (%2)")
                      .arg(path, QString::fromLocal8Bit(strerror(errno)));
        return key;
    }
    struct stat info {};
    QByteArray text(200, '\0');
    ssize_t got = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 077) == 0) {
        got = ::read(fd, text.data(), text.size());
    }
    ::close(fd);
    if (got < 0) {
        key.why =
            QStringLiteral("the badge key file %1 is not owner-only (mode 0600); it is not used").arg(path);
        return key;
    }
    text.truncate(static_cast<int>(got));
    const QByteArray hex = text.trimmed();
    const QByteArray bytes = QByteArray::fromHex(hex);
    if (hex.size() != 2 * BadgeKeyBytes || bytes.size() != BadgeKeyBytes || bytes.toHex() != hex.toLower()) {
        key.why =
            QStringLiteral("the badge key file %1 does not hold a key (64 hexadecimal digits)").arg(path);
        return key;
    }
    key.bytes = bytes;
    return key;
}

void CreateBadgeKey(const QString& path) {
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        throw AutomationError(ErrDatabaseExists,
                              QStringLiteral("%1 exists: the badges stored under that key would no longer "
                                             "open; remove it first only if that is meant")
                                  .arg(path));
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        throw AutomationError(ErrFileAccess, QStringLiteral("cannot make the folder %1").arg(folder));
    }
    QByteArray bytes(BadgeKeyBytes, '\0');
    if (sodium_init() < 0) {
        throw AutomationError(ErrFileAccess, QStringLiteral("no random source for the badge key"));
    }
    randombytes_buf(bytes.data(), static_cast<size_t>(bytes.size()));
    QSaveFile file(path);
    // Owner-only from the start: the key is never readable by others, not even for a moment.
    const mode_t before = ::umask(077);
    const bool opened = file.open(QIODevice::WriteOnly);
    ::umask(before);
    const bool written = opened && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                         file.write(bytes.toHex() + '\n') == 2 * BadgeKeyBytes + 1 && file.commit();
    sodium_memzero(bytes.data(), static_cast<size_t>(bytes.size()));
    if (!written) {
        throw AutomationError(
            ErrFileAccess,
            QStringLiteral("cannot write the badge key file %1: %2").arg(path, file.errorString()));
    }
}

} // namespace zav::manage
