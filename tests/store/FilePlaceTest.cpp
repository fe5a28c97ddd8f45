// The file system around a database: who may read the files we make, every path to one file meets
// the same lock, a file replaced in place is never served from a kept connection, and the paths the
// engine cannot open are refused before anything is made.

#include "StoreTestSupport.h"
#include "store/CompanionLock.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

mode_t permissionsOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 01000;
}

TEST(FilePlace, NewFilesAreOwnerOnlyAndSharingFollowsTheDatabase) {
    const mode_t previous = ::umask(022);
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("login.db"));
    createCredentialDb(path)->Close();
    EXPECT_EQ(permissionsOf(path), 0600u);
    EXPECT_EQ(permissionsOf(path + QStringLiteral(".lock")), 0600u);

    // An integrator shares the database with a group: the lock follows for the group, never others.
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0664), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path + QStringLiteral(".lock")).constData(), 0666), 0);
    openShared(path, true)->Close();
    EXPECT_EQ(permissionsOf(path), 0664u);
    EXPECT_EQ(permissionsOf(path + QStringLiteral(".lock")), 0660u);
    ::umask(previous);
}

TEST(FilePlace, EveryPathToTheFileMeetsTheSameLock) {
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("login.db"));
    createCredentialDb(path)->Close();
    const QString link = folder.file(QStringLiteral("link.db"));
    ASSERT_TRUE(QFile::link(path, link));
    const QString relative = QDir::current().relativeFilePath(path);

    Helper holder({QStringLiteral("hold"), link, QStringLiteral("exclusive")});
    ASSERT_EQ(holder.firstLine(), QStringLiteral("open"));
    for (const QString& other : {path, relative}) {
        EXPECT_EQ(errorNumberOf([&] { openShared(other, true); }), ErrFileInUse);
    }
    holder.release();
    EXPECT_FALSE(QFile::exists(link + QStringLiteral(".lock")));

    // No path, no stray lock file in the current folder.
    EXPECT_EQ(errorNumberOf([] { openShared(QString()); }), ErrFileNotFound);
    EXPECT_EQ(errorNumberOf([] { DefaultEngine().CreateDatabase(QString(), ConnectString); }),
              ErrFileNotFound);
    EXPECT_FALSE(QFile::exists(QStringLiteral(".lock")));
}

TEST(FilePlace, AFileCopiedOverTheKeptOneIsReadAfresh) {
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("login.db"));
    createCredentialDb(path)->Close();
    const QString other = folder.file(QStringLiteral("other.db"));
    {
        auto db = createCredentialDb(other);
        addLevel(*db, 9, QStringLiteral("Nine"));
    }
    for (bool readOnly : {true, false}) {
        openShared(path, readOnly)->Close(); // kept
    }
    writeFile(path, fileBytes(other)); // the same inode with another salt and other rows
    for (bool readOnly : {true, false}) {
        auto db = openShared(path, readOnly);
        EXPECT_EQ(column(*db, QStringLiteral("Select * from Levels"), FieldName), QStringList{"Nine"});
    }
}

TEST(FilePlace, AReadOnlyFolderCanStillBeRead) {
    TempFolder folder;
    const QString inner = folder.file(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkpath(inner));
    const QString path = inner + QStringLiteral("/login.db");
    {
        auto db = createCredentialDb(path);
        addLevel(*db, 4, QStringLiteral("Four"));
    }
    ASSERT_TRUE(QFile::remove(path + QStringLiteral(".lock")));
    // Root may write anywhere: the reader runs as another user then, from a copy it can reach.
    const QString program = folder.file(QStringLiteral("helper"));
    ASSERT_TRUE(QFile::copy(Helper::HelperProgram(), program));
    for (const QString& step : {folder.file(QString()), inner}) {
        ASSERT_EQ(::chmod(QFile::encodeName(step).constData(), 0555), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    Helper reader({QStringLiteral("as-nobody"), QStringLiteral("hold"), path, QStringLiteral("shared-ro")},
                  program);
    EXPECT_EQ(reader.firstLine(), QStringLiteral("open"));
    reader.release();
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".lock")));
    ::chmod(QFile::encodeName(inner).constData(), 0755);
    ::chmod(QFile::encodeName(folder.file(QString())).constData(), 0700);
}

TEST(FilePlace, APathTooLongForTheEngineIsRefusedBeforeAnythingIsMade) {
    TempFolder folder;
    QString base = folder.file(QString(200, u'd'));
    ASSERT_TRUE(QDir().mkpath(base + u'/' + QString(200, u'e')));
    base += u'/' + QString(200, u'e') + u'/';
    const int room = LongestNewDatabasePath - int(QFile::encodeName(base).size());
    ASSERT_GT(room, 0);
    const QString longest = base + QString(room, u'f');
    EXPECT_EQ(errorNumberOf([&] { createCredentialDb(longest)->Close(); }), 0);
    // An existing file may have a longer path (made by a move).
    const QString moved = longest + QStringLiteral("1234567");
    ASSERT_TRUE(QFile::rename(longest, moved));
    EXPECT_EQ(errorNumberOf([&] { openShared(moved, true)->Close(); }), 0);
    EXPECT_EQ(errorNumberOf([&] { openShared(moved + u'8', true)->Close(); }), ErrNotValidFileName);
    ASSERT_TRUE(QFile::rename(moved, longest));
    QFile::remove(moved + QStringLiteral(".lock"));

    const QString tooLong = longest + u'g';
    try {
        DefaultEngine().CreateDatabase(tooLong, ConnectString);
        ADD_FAILURE() << "created a file the engine cannot open";
    } catch (const DbError& error) {
        EXPECT_EQ(error.Number(), ErrNotValidFileName);
        EXPECT_TRUE(error.Description().contains(QString::number(LongestNewDatabasePath))) << error.what();
    }
    EXPECT_EQ(QDir(base).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2)
        << "the longest file and its lock, nothing of the refused one";
}

} // namespace
