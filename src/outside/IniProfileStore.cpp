#include "outside/IniProfileStore.h"

#include "outside/OutsideErrors.h"
#include "outside/ProfileDocument.h"
#include "outside/ProfileEncoding.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zav::outside {

namespace {

[[noreturn]] void failAccess(const QString& file, const QString& reason) {
    failPathFileAccess(file + QStringLiteral(": ") + reason);
}

// Writers of one profile file take turns, in this process and between processes: each holds an
// exclusive flock on a companion file (the profile's name + ".lock") from reading the file to
// replacing it, so no change is lost. The lock cannot be on the profile itself, which the rename of
// each write replaces. Readers need none: they always see one whole version of the file.
class WriteTurn {
public:
    explicit WriteTurn(const QString& file) : m_path(file + QStringLiteral(".lock")) {
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (m_fd < 0) {
            failAccess(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        }
        // A write takes milliseconds; a holder that keeps the lock far longer is stuck.
        const QDeadlineTimer deadline(WaitLimitMs);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
                const int error = errno;
                ::close(m_fd);
                failAccess(m_path, error == EWOULDBLOCK ? QStringLiteral("another writer holds the file")
                                                        : QString::fromLocal8Bit(std::strerror(error)));
            }
            QThread::msleep(2);
        }
    }
    ~WriteTurn() { ::close(m_fd); } // releases the lock
    WriteTurn(const WriteTurn&) = delete;
    WriteTurn& operator=(const WriteTurn&) = delete;

private:
    static constexpr int WaitLimitMs = 10000;
    QString m_path;
    int m_fd = -1;
};

// The files parsed within the thread's read scopes (nullopt: the file could not be read).
thread_local int t_readScopes = 0;
thread_local unsigned long long t_scopeNumber = 0;
thread_local std::map<QString, std::optional<ProfileDocument>> t_readDocuments;

std::optional<ProfileDocument> readDocument(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return ProfileDocument(decodeProfile(in.readAll()).text);
}

} // namespace

ProfileReadScope::ProfileReadScope() {
    if (t_readScopes++ == 0) {
        ++t_scopeNumber;
    }
}

ProfileReadScope::~ProfileReadScope() {
    if (--t_readScopes == 0) {
        t_readDocuments.clear();
    }
}

unsigned long long currentProfileReadScope() {
    return t_readScopes == 0 ? 0 : t_scopeNumber;
}

QString IniProfileStore::ReadEntry(const QString& file, const QString& section, const QString& key,
                                   const QString& defaultText) {
    if (file.isEmpty()) {
        return defaultText;
    }
    if (t_readScopes == 0) {
        const auto document = readDocument(file);
        return document ? document->value(section, key).value_or(defaultText) : defaultText;
    }
    auto found = t_readDocuments.find(file);
    if (found == t_readDocuments.end()) {
        found = t_readDocuments.emplace(file, readDocument(file)).first;
    }
    const std::optional<ProfileDocument>& document = found->second;
    return document ? document->value(section, key).value_or(defaultText) : defaultText;
}

void IniProfileStore::WriteEntry(const QString& file, const QString& section, const QString& key,
                                 const QString& text) {
    if (file.isEmpty()) {
        failPathFileAccess(QStringLiteral("no profile file name"));
    }
    const WriteTurn turn(file);
    DecodedProfile decoded;
    QFile in(file);
    const bool existed = in.exists();
    if (existed) {
        if (!in.open(QIODevice::ReadOnly)) {
            failAccess(file, in.errorString());
        }
        decoded = decodeProfile(in.readAll());
        in.close();
    }
    ProfileDocument document(decoded.text);
    document.setValue(section, key, text);

    QSaveFile out(file);
    // An existing file keeps its permissions (QSaveFile copies them); a new one is its owner's alone.
    if (!out.open(QIODevice::WriteOnly) ||
        (!existed && !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))) {
        failAccess(file, out.errorString());
    }
    const QByteArray bytes = encodeProfile(document.text(), decoded.encoding);
    if (out.write(bytes) != bytes.size() || !out.commit()) {
        failAccess(file, out.errorString());
    }
    t_readDocuments.erase(file); // a scope reads the new text
}

} // namespace zav::outside
