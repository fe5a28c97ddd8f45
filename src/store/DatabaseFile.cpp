#include "store/DatabaseFile.h"

#include "store/DbError.h"
#include "store/ErrorMapping.h"

#include <QFile>
#include <QFileInfo>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zav::store {

namespace {

FileFacts factsFrom(const struct stat& info) {
    return FileFacts{{quint64(info.st_dev), quint64(info.st_ino)},
                     qint64(info.st_size),
                     S_ISREG(info.st_mode),
                     mode_t(info.st_mode & 07777)};
}

std::optional<QString> resolved(const QString& path) {
    char buffer[PATH_MAX];
    if (::realpath(QFile::encodeName(path).constData(), buffer) == nullptr) {
        return std::nullopt;
    }
    return QFile::decodeName(buffer);
}

} // namespace

std::optional<FileFacts> factsOf(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return factsFrom(info);
}

std::optional<FileFacts> entryFactsOf(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return factsFrom(info);
}

DatabasePlace placeOf(const QString& path, int longest) {
    if (path.isEmpty()) {
        throw fileNotFound(path);
    }
    std::optional<QString> real = resolved(path);
    if (!real && !entryFactsOf(path)) {
        // A new file: its folder must exist; the name itself is kept as given.
        const QFileInfo info(path);
        const auto folder = resolved(info.path());
        if (!folder) {
            throw fileNotFound(path);
        }
        real = (*folder == QLatin1String("/") ? QString() : *folder) + u'/' + info.fileName();
    }
    if (!real) {
        throw fileNotFound(path); // a link that leads nowhere
    }
    const qsizetype bytes = QFile::encodeName(*real).size();
    if (bytes > longest) {
        throw DbError(
            ErrNotValidFileName,
            QStringLiteral("The path of the database '%1' is %2 bytes long; the database engine "
                           "can %3 paths of at most %4 bytes.")
                .arg(path)
                .arg(bytes)
                .arg(longest == LongestDatabasePath ? QStringLiteral("open") : QStringLiteral("create"))
                .arg(longest));
    }
    return DatabasePlace{path, *real};
}

void syncFolderOf(const QString& path) noexcept {
    const int fd =
        ::open(QFile::encodeName(QFileInfo(path).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace zav::store
