// Exclusive opens: they fail while anybody else has the file open, and while they hold it every other
// open fails with 3045 — within this process and from another one.

#include "StoreTestSupport.h"
#include "store/Schema.h"

#include <gtest/gtest.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

QString closedCredentialFile(const TempFolder& folder) {
    const QString path = folder.file(QStringLiteral("login.mdb"));
    createCredentialDb(path)->Close();
    return path;
}

int openError(const QString& path, OpenMode mode) {
    return errorNumberOf([&] { DefaultEngine().OpenDatabase(path, mode, ConnectString)->Close(); });
}

TEST(FileInUse, ExclusiveOpensShutOutEveryOtherOpenOfThisProcess) {
    TempFolder folder;
    const QString path = closedCredentialFile(folder);

    auto exclusive = DefaultEngine().OpenDatabase(path, OpenMode::Exclusive, ConnectString);
    for (const auto mode : {OpenMode::SharedReadOnly, OpenMode::SharedReadWrite, OpenMode::Exclusive}) {
        EXPECT_EQ(openError(path, mode), ErrFileInUse);
    }
    try {
        openShared(path, true);
        ADD_FAILURE() << "opened a file held exclusively";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.Description().contains(QStringLiteral("already in use"))) << error.what();
    }
    exclusive->Close();

    auto reader = openShared(path, true);
    auto writer = openShared(path);
    EXPECT_EQ(openError(path, OpenMode::Exclusive), ErrFileInUse);
    reader->Close();
    EXPECT_EQ(openError(path, OpenMode::Exclusive), ErrFileInUse);
    writer.reset(); // released without Close as well
    EXPECT_EQ(openError(path, OpenMode::Exclusive), 0);
}

// Readers load their rows and hold no lock between statements, so code that keeps a reader open
// while it writes through another connection is not held off.
TEST(FileInUse, AnOpenReaderDoesNotHoldOffAWriterOfTheSameThread) {
    TempFolder folder;
    const QString path = closedCredentialFile(folder);
    auto reader = openShared(path, true);
    EXPECT_EQ(column(*reader, QStringLiteral("Select * from Levels"), FieldName), QStringList());
    auto writer = openShared(path);
    EXPECT_EQ(errorNumberOf([&] { addLevel(*writer, 0, QStringLiteral("|0")); }), 0);
    EXPECT_EQ(column(*reader, QStringLiteral("Select * from Levels"), FieldName), QStringList{"|0"});
    writer->Close();
    reader->Close();
}

TEST(FileInUse, TheSoleUserWritesAndReads) {
    TempFolder folder;
    const QString path = closedCredentialFile(folder);
    {
        auto owner = DefaultEngine().OpenDatabase(path, OpenMode::Exclusive, ConnectString);
        addLevel(*owner, 0, QStringLiteral("|0"));
        owner->Execute(QStringLiteral("Update levels set Custom34 = true;"));
        EXPECT_EQ(column(*owner, QStringLiteral("Select * from Levels where Custom34 = -1"), FieldName),
                  QStringList{"|0"});
        owner->Close();
    }
    auto reader = openShared(path, true);
    EXPECT_EQ(column(*reader, QStringLiteral("Select * from Levels where Custom34 = -1"), FieldName),
              QStringList{"|0"});
}

TEST(FileInUse, CreationHoldsTheNewFileExclusively) {
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("new.mdb"));
    auto created = DefaultEngine().CreateDatabase(path, LocaleArgument + ConnectString);
    EXPECT_EQ(openError(path, OpenMode::SharedReadOnly), ErrFileInUse);
    created->CreateTable(OperatorsTableDef());
    created->Close();
    EXPECT_EQ(openError(path, OpenMode::SharedReadOnly), 0);
}

TEST(FileInUse, AnotherProcessHoldingTheFileShutsOutExclusiveOpens) {
    TempFolder folder;
    const QString path = closedCredentialFile(folder);

    Helper reader({QStringLiteral("hold"), path, QStringLiteral("shared-ro")});
    ASSERT_EQ(reader.firstLine(), QStringLiteral("open"));
    EXPECT_EQ(openError(path, OpenMode::Exclusive), ErrFileInUse);
    EXPECT_EQ(openError(path, OpenMode::SharedReadWrite), 0); // shared users live side by side
    reader.release();
    EXPECT_EQ(openError(path, OpenMode::Exclusive), 0);

    Helper owner({QStringLiteral("hold"), path, QStringLiteral("exclusive")});
    ASSERT_EQ(owner.firstLine(), QStringLiteral("open"));
    EXPECT_EQ(openError(path, OpenMode::SharedReadOnly), ErrFileInUse);
    EXPECT_EQ(openError(path, OpenMode::SharedReadWrite), ErrFileInUse);
    EXPECT_EQ(openError(path, OpenMode::Exclusive), ErrFileInUse);
    owner.release();
    EXPECT_EQ(openError(path, OpenMode::SharedReadOnly), 0);
}

TEST(FileInUse, AnExclusiveOpenHereShutsOutOtherProcesses) {
    TempFolder folder;
    const QString path = closedCredentialFile(folder);
    {
        auto exclusive = DefaultEngine().OpenDatabase(path, OpenMode::Exclusive, ConnectString);
        Helper refused({QStringLiteral("hold"), path, QStringLiteral("shared-ro")});
        EXPECT_EQ(refused.firstLine(), QStringLiteral("error 3045"));
        refused.release();
    }
    auto shared = openShared(path);
    Helper alongside({QStringLiteral("hold"), path, QStringLiteral("shared-rw")});
    EXPECT_EQ(alongside.firstLine(), QStringLiteral("open"));
    Helper refused({QStringLiteral("hold"), path, QStringLiteral("exclusive")});
    EXPECT_EQ(refused.firstLine(), QStringLiteral("error 3045"));
}

} // namespace
