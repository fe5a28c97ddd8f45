// Closed shared connections are kept by the thread for the next open of the same file. Kept ones
// must be invisible: they hold no lock, see every change, and never serve another file, password or
// access mode.

#include "StoreTestSupport.h"
#include "store/Schema.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

QString credentialFile(const TempFolder& folder, const QString& name = QStringLiteral("login.db")) {
    const QString path = folder.file(name);
    createCredentialDb(path)->Close();
    return path;
}

TEST(ConnectionReuse, AKeptConnectionShutsNobodyOut) {
    TempFolder folder;
    const QString path = credentialFile(folder);
    for (bool readOnly : {true, false}) {
        openShared(path, readOnly)->Close(); // kept by this thread now
    }
    // Exclusive opens succeed in this process and in another one.
    auto exclusive = DefaultEngine().OpenDatabase(path, OpenMode::Exclusive, ConnectString);
    addLevel(*exclusive, 7, QStringLiteral("Seven"));
    exclusive->Close();
    Helper other({QStringLiteral("hold"), path, QStringLiteral("exclusive")});
    EXPECT_EQ(other.firstLine(), QStringLiteral("open"));
    EXPECT_EQ(errorNumberOf([&] { openShared(path, true); }), ErrFileInUse);
    other.release();

    // What the exclusive user wrote is seen through the kept connection.
    auto reader = openShared(path, true);
    EXPECT_EQ(column(*reader, QStringLiteral("Select * from Levels where ID = 7"), QStringLiteral("Name")),
              QStringList{QStringLiteral("Seven")});
}

TEST(ConnectionReuse, ChangesOfOtherConnectionsAreSeen) {
    TempFolder folder;
    const QString path = credentialFile(folder);
    auto writer = openShared(path, false);
    addLevel(*writer, 3, QStringLiteral("Three"));
    writer->Close();
    auto reader = openShared(path, true);
    EXPECT_EQ(column(*reader, QStringLiteral("Select * from Levels order by ID"), QStringLiteral("ID")),
              QStringList{QStringLiteral("3")});
    reader->Close();

    writer = openShared(path, false); // the kept writer
    writer->Execute(QStringLiteral("Delete * from Levels where ID = 3"));
    writer->Close();
    reader = openShared(path, true); // the kept reader: its cached pages are stale now
    EXPECT_TRUE(column(*reader, QStringLiteral("Select * from Levels"), QStringLiteral("ID")).isEmpty());
}

TEST(ConnectionReuse, AnUnfinishedTransactionIsNeverKept) {
    TempFolder folder;
    const QString path = credentialFile(folder);
    auto writer = openShared(path, false);
    writer->BeginTrans();
    addLevel(*writer, 4, QStringLiteral("Four"));
    writer->Close(); // closing drops what was not committed
    auto reader = openShared(path, true);
    EXPECT_TRUE(column(*reader, QStringLiteral("Select * from Levels"), QStringLiteral("ID")).isEmpty());
    reader->Close();
    auto again = openShared(path, false);
    addLevel(*again, 5, QStringLiteral("Five"));
    again->Close();
    reader = openShared(path, true);
    EXPECT_EQ(column(*reader, QStringLiteral("Select * from Levels"), QStringLiteral("ID")),
              QStringList{QStringLiteral("5")});
}

TEST(ConnectionReuse, AReplacedFileOrAnotherPasswordIsNotServedByAKeptConnection) {
    TempFolder folder;
    const QString path = credentialFile(folder);
    openShared(path, true)->Close();

    // The same password is still checked against the file.
    EXPECT_EQ(errorNumberOf([&] {
                  DefaultEngine().OpenDatabase(path, OpenMode::SharedReadOnly, QStringLiteral(";pwd=wrong"));
              }),
              ErrNotValidPassword);

    // A new file at the same path is a new file.
    const QString other = credentialFile(folder, QStringLiteral("other.db"));
    {
        auto db = openShared(other, false);
        addLevel(*db, 9, QStringLiteral("Nine"));
    }
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
    auto reader = openShared(path, true);
    EXPECT_EQ(column(*reader, QStringLiteral("Select * from Levels"), QStringLiteral("ID")),
              QStringList{QStringLiteral("9")});
    reader->Close();

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(errorNumberOf([&] { openShared(path, true); }), ErrFileNotFound);
}

} // namespace
