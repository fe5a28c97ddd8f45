#pragma once

// The database files this process holds connections to. Closing any descriptor of a file drops
// every POSIX lock the process has on it, and those are SQLite's locks; so the file itself is
// opened (to read its salt) only while no connection of ours holds it, and a held file's salt is
// taken from here.

#include <QByteArray>
#include <QString>
#include <compare>
#include <mutex>
#include <optional>

namespace zav::store {

struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

struct FileFacts {
    FileIdentity identity;
    qint64 size = 0;
    bool regular = false;
};

// What stat() says about the path; nullopt with errno set when it fails.
std::optional<FileFacts> factsOf(const QString& path);

// The first `count` bytes of the file (fewer when it is shorter). Only for a file no connection
// of ours holds.
QByteArray readFileStart(const QString& path, int count);

class OpenFiles {
public:
    // Held while a connection is opened, so that no other thread reads the file meanwhile.
    static std::unique_lock<std::recursive_mutex> guard();
    // The salt of a file a connection of ours holds; nullopt when none holds it.
    static std::optional<QByteArray> heldSalt(const FileIdentity& id);

    // One connection of ours to a file, from its opening to its closing.
    class Registration {
    public:
        Registration(const FileIdentity& id, const QByteArray& salt);
        ~Registration();
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;

    private:
        FileIdentity m_id;
    };
};

} // namespace zav::store
