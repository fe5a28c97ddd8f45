#pragma once

// Helpers for the store tests: temporary database files, the credential schema with a few rows,
// the error number of a failing call, and the child program that holds files from another process.

#include "store/Engine.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace zav::store::test {

// A folder of its own for each test's files.
class TempFolder {
public:
    TempFolder();
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// Where a test's databases live: files of its own folder, or databases of their own on the suite's
// throwaway server (ZAV_TEST_PG_URI), dropped when the test ends. Store tests run on both engines.
enum class Place { File, Server };
std::string placeName(const ::testing::TestParamInfo<Place>& info);
class Places {
public:
    explicit Places(Place kind) : m_kind(kind) {}
    ~Places();
    Places(const Places&) = delete;
    Places& operator=(const Places&) = delete;
    // A path for a new file, or the URI of a new empty database.
    QString fresh(const QString& name = QStringLiteral("login.mdb"));

private:
    Place m_kind;
    TempFolder m_folder;
    std::vector<QString> m_databases;
};

QByteArray fileBytes(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// The DbError `action` throws (number 0 when it throws nothing), and its number.
DbError failureOf(const std::function<void()>& action);
int errorNumberOf(const std::function<void()>& action);

// The suite's throwaway server (ZAV_TEST_PG_URI), as ctest gives it.
QString testServerUri();

// A new protected file with both tables and the relation, left open exclusively; or closed, by path.
std::unique_ptr<Database> createCredentialDb(const QString& path);
QString closedCredentialDb(const QString& path);
std::unique_ptr<Database> openShared(const QString& path, bool readOnly = false);

// A new credential database on the engine of the test's parameter, left open as db.
class CredentialDbTest : public ::testing::TestWithParam<Place> {
protected:
    Places places{GetParam()};
    QString path = places.fresh();
    std::unique_ptr<Database> db = createCredentialDb(path);
};

void addLevel(Database& db, int id, const QString& name);
void addOperator(Database& db, const QString& name, int levelId, const QString& password = QString());
// The Name (or ID) values the SQL text selects, in order, as text.
QStringList column(Database& db, const QString& sql, const QString& field);

// A server of the test's own (scripts/pg-test-server, found through ZAV_PG_TEST_SERVER), which it may
// take down and bring back; removed with the object. uri() is empty when it could not start.
class PrivateServer {
public:
    PrivateServer();
    ~PrivateServer();
    QString uri() const { return m_uri; }
    // The folder of its socket.
    QString folder() const { return m_folder.file(QStringLiteral("pg")); }
    // The process id of the server's main process (0 when unknown).
    int postmasterPid() const;
    // Runs the script's "pause" (the server goes down), "crash" (it goes down at once, as in a crash) or
    // "resume"; false when it failed.
    bool run(const QString& action, QString* out = nullptr);

private:
    TempFolder m_folder;
    QString m_uri;
};

// The helper program (store_test_helper), started with the given arguments; it prints one line
// when it has done its work and waits for its input to close.
class Helper {
public:
    // `program`: a copy of the helper elsewhere (for another user, who may not reach the build folder).
    explicit Helper(const QStringList& arguments, const QString& program = HelperProgram());
    static QString HelperProgram();
    ~Helper();
    QString firstLine();
    // Lets it go on (it closes what it holds) and waits for it to end.
    void release();
    // Kills it (SIGKILL) and waits for it to end.
    void kill();

private:
    QProcess m_process;
};

} // namespace zav::store::test
