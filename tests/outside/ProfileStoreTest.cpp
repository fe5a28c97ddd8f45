#include "../store/StoreTestSupport.h"
#include "outside/IniProfileStore.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

// A profile file as Windows' profile functions leave it: CRLF, comments, blanks around "=".
const QByteArray WindowsFile = "; captions of the rights\r\n"
                               "[Description]\r\n"
                               "ML=C:\\Data\\x.mdb\r\n"
                               "  mo  =  a,b;c  \r\n"
                               ";SD=commented out\r\n"
                               "SD=\"  quoted  \"\r\n"
                               "AD='single'\r\n"
                               "1=\"\"doubled\"\"\r\n"
                               "2=\"unbalanced\r\n"
                               "3=\r\n"
                               "ML=second of the same key\r\n"
                               "\r\n"
                               "[ Other ]\r\n"
                               "ML=other section\r\n";

using zav::store::test::fileBytes;

class ProfileStoreTest : public ::testing::Test {
protected:
    QString file(const QByteArray& bytes) {
        const QString path = folder.file(QStringLiteral("x.mdb.INI"));
        zav::store::test::writeFile(path, bytes);
        return path;
    }
    QString read(const QString& path, const QString& section, const QString& key) {
        return store.ReadEntry(path, section, key, QStringLiteral("<default>"));
    }

    zav::store::test::TempFolder folder;
    zav::outside::IniProfileStore store;
};

TEST_F(ProfileStoreTest, ValuesReadAsWindowsReadsThem) {
    const QString path = file(WindowsFile);
    EXPECT_EQ(read(path, "Description", "ML"), QStringLiteral("C:\\Data\\x.mdb"));
    EXPECT_EQ(read(path, "description", "MO"), QStringLiteral("a,b;c"));
    EXPECT_EQ(read(path, "DESCRIPTION", "sd"), QStringLiteral("  quoted  "));
    EXPECT_EQ(read(path, "Description", "AD"), QStringLiteral("single"));
    EXPECT_EQ(read(path, "Description", "1"), QStringLiteral("\"doubled\""));
    EXPECT_EQ(read(path, "Description", "2"), QStringLiteral("\"unbalanced"));
    EXPECT_EQ(read(path, "Description", "3"), QString());
    EXPECT_EQ(read(path, "other", "ml"), QStringLiteral("other section"));
    EXPECT_EQ(read(path, "Description", ";SD"), QStringLiteral("<default>"));
    EXPECT_EQ(read(folder.file("missing.INI"), "Description", "ML"), QStringLiteral("<default>"));
}

TEST_F(ProfileStoreTest, WriteChangesOnlyItsOwnLine) {
    const QString path = file(WindowsFile);
    store.WriteEntry(path, "description", "ml", "D:\\New;1,2");
    store.WriteEntry(path, "Description", "MO", "x");
    QByteArray expected = WindowsFile;
    expected.replace("ML=C:\\Data\\x.mdb\r\n", "ML=D:\\New;1,2\r\n");
    expected.replace("  mo  =  a,b;c  \r\n", "  mo  =  x\r\n");
    EXPECT_EQ(fileBytes(path), expected);
    EXPECT_EQ(read(path, "Description", "ML"), QStringLiteral("D:\\New;1,2"));
}

TEST_F(ProfileStoreTest, WriteCreatesAMissingFileOwnerOnlyAndLeavesNoTemporaryFileBehind) {
    const QString path = folder.file("new.INI");
    ::umask(022);
    store.WriteEntry(path, "Description", "ML", "Manage");
    EXPECT_EQ(fileBytes(path), QByteArray("[Description]\nML=Manage\n"));
    EXPECT_EQ(QDir(folder.file(QString())).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"new.INI", "new.INI.lock"}));
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    EXPECT_EQ(QFile::permissions(path), ownerOnly);
    EXPECT_EQ(QFile::permissions(path + ".lock"), ownerOnly);
    // An existing file keeps its permissions through the rewrite.
    const auto shared = ownerOnly | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, shared));
    store.WriteEntry(path, "Description", "ML", "Other");
    EXPECT_EQ(QFile::permissions(path), shared);
}

TEST_F(ProfileStoreTest, WritersInTwoProcessesLoseNoChange) {
    const QString path = folder.file("shared.INI");
    constexpr int Writes = 40;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const QString writer = child == 0 ? QStringLiteral("child") : QStringLiteral("parent");
    try {
        for (int i = 0; i < Writes; ++i) {
            store.WriteEntry(path, "Description", writer + QString::number(i), writer);
        }
    } catch (...) {
        if (child == 0) {
            ::_exit(1);
        }
        throw;
    }
    if (child == 0) {
        ::_exit(0); // leaves the folder to the parent
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (const QString name : {"child", "parent"}) {
        for (int i = 0; i < Writes; ++i) {
            EXPECT_EQ(read(path, "Description", name + QString::number(i)), name) << i;
        }
    }
}

// A file as Windows writes it in Unicode: UTF-16 little endian after a byte-order mark.
QByteArray utf16WithBom(const QString& text) {
    return QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom)(text);
}

// Latin-1 (no valid UTF-8), UTF-8 with its byte-order mark and UTF-16 are each written back as read.
TEST_F(ProfileStoreTest, EachEncodingIsKeptThroughAWrite) {
    const QByteArray latin1 = "; Gr\xfc\xdf"
                              "e\n[Description]\nML=Gr\xfc\xdf"
                              "e \x80 \x81\n";
    const QString utf8 = QStringLiteral("\uFEFF[Description]\r\nML=Grüße\r\n");
    const QString added = QStringLiteral("MO=Bestätigen\r\n");
    for (const auto& [before, ml, after] : std::vector<std::tuple<QByteArray, QString, QByteArray>>{
             {latin1 + "MO=x\n", QStringLiteral("Grüße € \u0081"), latin1 + "MO=Best\xe4tigen\n"},
             {utf8.toUtf8(), QStringLiteral("Grüße"), (utf8 + added).toUtf8()},
             {utf16WithBom(utf8.mid(1)), QStringLiteral("Grüße"), utf16WithBom(utf8.mid(1) + added)}}) {
        const QString path = file(before);
        EXPECT_EQ(read(path, "Description", "ML"), ml);
        store.WriteEntry(path, "Description", "MO", QStringLiteral("Bestätigen"));
        EXPECT_EQ(fileBytes(path), after) << ml.toStdString();
    }
}

} // namespace
