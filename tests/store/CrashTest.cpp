// A process killed in the middle of its work (a crash, a power cut) leaves the file usable by
// everybody: readers roll a cut-off write back, and a cut-off creation leaves either nothing or a
// whole file.

#include "StoreTestSupport.h"
#include "store/Schema.h"

#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

QString credentialFileWithLevels(const QString& path, int levels) {
    auto db = createCredentialDb(path);
    db->BeginTrans();
    for (int id = 0; id < levels; ++id) {
        addLevel(*db, id, QStringLiteral("Level %1 ").arg(id) + QString(200, u'x'));
    }
    db->CommitTrans();
    db->Close();
    return path;
}

QStringList passwords(const QString& path, OpenMode mode) {
    auto db = DefaultEngine().OpenDatabase(path, mode, ConnectString);
    QStringList values = column(*db, QStringLiteral("Select * from Levels"), QStringLiteral("PWD"));
    values.removeDuplicates();
    return values;
}

TEST(Crash, ReadersRollBackAWriteThatWasCutOff) {
    TempFolder folder;
    const QString path = credentialFileWithLevels(folder.file(QStringLiteral("login.db")), 300);
    for (bool keptReaderFirst : {false, true}) {
        if (keptReaderFirst) {
            passwords(path, OpenMode::SharedReadOnly); // a connection kept from before the crash
        }
        Helper writer({QStringLiteral("spill"), path});
        ASSERT_EQ(writer.firstLine(), QStringLiteral("spilled"));
        writer.kill();
        ASSERT_GT(QFile(path + QStringLiteral("-journal")).size(), 0) << "no journal left: nothing tested";

        EXPECT_EQ(passwords(path, OpenMode::SharedReadOnly), QStringList{QString()}) << keptReaderFirst;
        EXPECT_EQ(QFile(path + QStringLiteral("-journal")).size(), 0);
        EXPECT_EQ(passwords(path, OpenMode::SharedReadWrite), QStringList{QString()});
    }
}

TEST(Crash, KillsAtRandomMomentsLeaveAWholeFile) {
    TempFolder folder;
    auto* random = QRandomGenerator::global();
    // Creation: afterwards the file is there and whole, or not there at all.
    for (int round = 0; round < 12; ++round) {
        const QString path = folder.file(QStringLiteral("new%1.db").arg(round));
        Helper creator({QStringLiteral("create"), path});
        QThread::msleep(random->bounded(60));
        creator.kill();
        if (QFile::exists(path)) {
            EXPECT_EQ(errorNumberOf([&] { openShared(path, true)->Close(); }), 0) << round;
        } else {
            EXPECT_EQ(errorNumberOf([&] { createCredentialDb(path)->Close(); }), 0) << round;
        }
    }
    // Writes: every level keeps the password of one and the same transaction.
    const QString path = credentialFileWithLevels(folder.file(QStringLiteral("login.db")), 50);
    for (int round = 0; round < 8; ++round) {
        Helper writer({QStringLiteral("churn"), path});
        QThread::msleep(20 + random->bounded(80));
        writer.kill();
        EXPECT_EQ(passwords(path, OpenMode::SharedReadOnly).size(), 1) << round;
        auto db = openShared(path, false);
        EXPECT_EQ(errorNumberOf([&] { db->Execute(QStringLiteral("Update Levels set PWD = 'after'")); }), 0);
    }
}

} // namespace
