#include "store/DatabaseFile.h"

#include "store/DbError.h"
#include "store/ErrorMapping.h"
#include "store/platform/FileSystem.h"

#include <QFile>
#include <QFileInfo>

namespace zav::store {

namespace {

std::optional<FileFacts> factsFrom(const std::optional<platform::EntryFacts>& info) {
    if (!info) {
        return std::nullopt;
    }
    return FileFacts{{quint64(info->device), quint64(info->inode)},
                     qint64(info->size),
                     info->regular,
                     mode_t(info->permissions)};
}

std::optional<QString> resolved(const QString& path) {
    const auto real = platform::resolvedPath(QFile::encodeName(path).constData());
    if (!real) {
        return std::nullopt;
    }
    return QFile::decodeName(real->c_str());
}

} // namespace

std::optional<FileFacts> factsOf(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return factsFrom(platform::entryFacts(QFile::encodeName(path).constData(), true));
}

std::optional<FileFacts> entryFactsOf(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return factsFrom(platform::entryFacts(QFile::encodeName(path).constData(), false));
}

bool somethingAt(const QString& path, bool emptyFileCounts) {
    const auto entry = entryFactsOf(path);
    return entry && (emptyFileCounts || !entry->regular || entry->size != 0);
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
    platform::syncFolder(QFile::encodeName(QFileInfo(path).path()).constData());
}

} // namespace zav::store
