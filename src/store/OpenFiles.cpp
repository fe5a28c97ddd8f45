#include "store/OpenFiles.h"

#include <QFile>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace zav::store {

namespace {

struct Held {
    int connections = 0;
    QByteArray salt;
};

std::recursive_mutex& registryMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

std::map<FileIdentity, Held>& heldFiles() {
    static std::map<FileIdentity, Held> files;
    return files;
}

} // namespace

std::optional<FileFacts> factsOf(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return FileFacts{
        {quint64(info.st_dev), quint64(info.st_ino)}, qint64(info.st_size), S_ISREG(info.st_mode)};
}

QByteArray readFileStart(const QString& path, int count) {
    QByteArray bytes(count, '\0');
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    const ssize_t got = ::pread(fd, bytes.data(), size_t(count), 0);
    ::close(fd);
    bytes.resize(got > 0 ? qsizetype(got) : 0);
    return bytes;
}

std::unique_lock<std::recursive_mutex> OpenFiles::guard() {
    return std::unique_lock(registryMutex());
}

std::optional<QByteArray> OpenFiles::heldSalt(const FileIdentity& id) {
    const std::lock_guard lock(registryMutex());
    const auto found = heldFiles().find(id);
    if (found == heldFiles().end()) {
        return std::nullopt;
    }
    return found->second.salt;
}

OpenFiles::Registration::Registration(const FileIdentity& id, const QByteArray& salt) : m_id(id) {
    const std::lock_guard lock(registryMutex());
    Held& held = heldFiles()[id];
    ++held.connections;
    held.salt = salt;
}

OpenFiles::Registration::~Registration() {
    const std::lock_guard lock(registryMutex());
    const auto found = heldFiles().find(m_id);
    if (found != heldFiles().end() && --found->second.connections <= 0) {
        heldFiles().erase(found);
    }
}

} // namespace zav::store
