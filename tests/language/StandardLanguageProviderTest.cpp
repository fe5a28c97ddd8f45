#include "language/StandardLanguageProvider.h"
#include "language/CurrentLanguageProvider.h"
#include "language/LanguageFile.h"
#include "language/TextLookup.h"
#include "outside/OutsideObjects.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include <gtest/gtest.h>

namespace {

using zav::language::LanguageTexts;
using zav::language::StandardLanguageProvider;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

LanguageTexts builtIn(const QString& name) {
    StandardLanguageProvider registersTheResource;
    return zav::language::readLanguageFile(QStringLiteral(":/zav/languages/") + name +
                                           QStringLiteral(".lang"));
}

TEST(BuiltInLanguages, EnglishHoldsTheDesignedCaptions) {
    const QHash<short, QString> designed = {{1, "Ok"},
                                            {2, "Undo"},
                                            {4, "Change Password"},
                                            {5, "Current password"},
                                            {6, "New password"},
                                            {7, "Confirm new password"},
                                            {8, "Level Modify"},
                                            {9, "Login"},
                                            {10, "Login Management"},
                                            {11, "Name"},
                                            {12, "Add"},
                                            {13, "Modify"},
                                            {14, "Remove"},
                                            {15, "Password"},
                                            {16, "Change Level"},
                                            {17, "Warning"},
                                            {18, "Wrong Confirm"},
                                            {19, "Wrong password"},
                                            {20, "Levels"},
                                            {21, "Operators"},
                                            {126, "Undo"},
                                            {100, "Administrator"},
                                            {101, "Operator"}};
    EXPECT_EQ(builtIn(QStringLiteral("English")).texts, designed);
}

TEST(BuiltInLanguages, GermanAndItalianTranslateEveryEnglishText) {
    const LanguageTexts english = builtIn(QStringLiteral("English"));
    for (const QString& name : {QStringLiteral("Deutsch"), QStringLiteral("Italiano")}) {
        const LanguageTexts other = builtIn(name);
        ASSERT_TRUE(other.isValid()) << name.toStdString();
        auto englishNumbers = english.texts.keys();
        auto otherNumbers = other.texts.keys();
        std::sort(englishNumbers.begin(), englishNumbers.end());
        std::sort(otherNumbers.begin(), otherNumbers.end());
        EXPECT_EQ(otherNumbers, englishNumbers) << name.toStdString();
    }
    EXPECT_EQ(builtIn(QStringLiteral("Deutsch")).texts.value(4), QStringLiteral("Passwort ändern"));
}

TEST(StandardLanguageProvider, OffersTheBuiltInLanguagesWithEnglishCurrent) {
    StandardLanguageProvider provider;
    QStringList names{QStringLiteral("stale")};
    EXPECT_EQ(provider.EnumLanguages(names), 3);
    EXPECT_EQ(names, (QStringList{"English", "Deutsch", "Italiano"}));
    EXPECT_EQ(provider.CurrentLanguage(), QStringLiteral("English"));
    EXPECT_EQ(provider.GetText(10, QStringLiteral("x")), QStringLiteral("Login Management"));
    EXPECT_EQ(provider.GetText(3, QStringLiteral("no such text")), QStringLiteral("no such text"));
}

TEST(StandardLanguageProvider, AnyNameOfALanguageSelectsItRegardlessOfCase) {
    StandardLanguageProvider provider;
    provider.setCurrentLanguage(QStringLiteral("german"));
    EXPECT_EQ(provider.CurrentLanguage(), QStringLiteral("Deutsch"));
    EXPECT_EQ(provider.GetText(20, QStringLiteral("Levels")), QStringLiteral("Ebenen"));
    provider.setCurrentLanguage(QStringLiteral("IT"));
    EXPECT_EQ(provider.GetText(101, QStringLiteral("|1")), QStringLiteral("Operatore"));
}

TEST(StandardLanguageProvider, UnknownLanguageFailsAndKeepsTheCurrentOne) {
    StandardLanguageProvider provider;
    provider.setCurrentLanguage(QStringLiteral("Deutsch"));
    for (const QString& name : {QStringLiteral("Klingon"), QString()}) {
        try {
            provider.setCurrentLanguage(name);
            ADD_FAILURE() << "no error for " << name.toStdString();
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), 5);
        }
    }
    EXPECT_EQ(provider.CurrentLanguage(), QStringLiteral("Deutsch"));
}

class LanguageFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    QString path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    StandardLanguageProvider provider;
};

TEST_F(LanguageFolderTest, TextsFallBackFromTheLanguageToEnglishToTheDefault) {
    writeFile(path("extra-english.lang"), "language = English\n500 = Only in English\n");
    writeFile(path("klingon.lang"), "language = tlhIngan Hol, Klingon\n1 = luq\n");
    provider.setDbLanguagePath(folder.path());

    provider.setCurrentLanguage(QStringLiteral("Deutsch"));
    EXPECT_EQ(provider.GetText(1, QStringLiteral("d")), QStringLiteral("OK"));
    EXPECT_EQ(provider.GetText(500, QStringLiteral("d")), QStringLiteral("Only in English"));
    EXPECT_EQ(provider.GetText(501, QStringLiteral("d")), QStringLiteral("d"));

    provider.setCurrentLanguage(QStringLiteral("klingon"));
    EXPECT_EQ(provider.CurrentLanguage(), QStringLiteral("tlhIngan Hol"));
    EXPECT_EQ(provider.GetText(1, QStringLiteral("d")), QStringLiteral("luq"));
    EXPECT_EQ(provider.GetText(9, QStringLiteral("d")), QStringLiteral("Login"));
}

TEST_F(LanguageFolderTest, FolderFilesAddLanguagesAndReplaceSingleBuiltInTexts) {
    writeFile(path("b.lang"), "language = German\n9 = Einloggen\n");
    writeFile(path("a.lang"), "language = Suomi, fi\n9 = Kirjaudu\n");
    writeFile(path("ignored.txt"), "language = Ignored\n");
    provider.setDbLanguagePath(folder.path());

    QStringList names;
    EXPECT_EQ(provider.EnumLanguages(names), 4);
    EXPECT_EQ(names, (QStringList{"English", "Deutsch", "Italiano", "Suomi"}));
    provider.setCurrentLanguage(QStringLiteral("Deutsch"));
    EXPECT_EQ(provider.GetText(9, QStringLiteral("d")), QStringLiteral("Einloggen"));
    EXPECT_EQ(provider.GetText(10, QStringLiteral("d")), QStringLiteral("Anmeldeverwaltung"));
    EXPECT_EQ(provider.DbLanguagePath(), folder.path());
}

TEST_F(LanguageFolderTest, ChangingTheFolderDropsItsLanguagesAndFallsBackToEnglish) {
    writeFile(path("suomi.lang"), "language = Suomi\n9 = Kirjaudu\n");
    provider.setDbLanguagePath(folder.path());
    provider.setCurrentLanguage(QStringLiteral("Suomi"));

    provider.setDbLanguagePath(path("missing-folder"));
    QStringList names;
    EXPECT_EQ(provider.EnumLanguages(names), 3);
    EXPECT_EQ(provider.CurrentLanguage(), QStringLiteral("English"));
    EXPECT_EQ(provider.GetText(9, QStringLiteral("d")), QStringLiteral("Login"));
}

TEST_F(LanguageFolderTest, SettingTheSamePathReadsTheFilesAgain) {
    provider.setDbLanguagePath(folder.path());
    writeFile(path("suomi.lang"), "language = Suomi\n");
    provider.setDbLanguagePath(folder.path());
    EXPECT_NO_THROW(provider.setCurrentLanguage(QStringLiteral("Suomi")));
}

TEST(LanguageFile, ReadsTheDocumentedFormat) {
    const LanguageTexts texts = zav::language::parseLanguageFile("\xEF\xBB\xBF# a comment\r\n"
                                                                 "  language = Español , es ,\r\n"
                                                                 "\r\n"
                                                                 "1 =  Aceptar  \r\n"
                                                                 "2 = Línea uno\\nLínea dos\\t\\\\ \\x\r\n"
                                                                 "# 3 = commented out\n"
                                                                 "4 =\n"
                                                                 "70000 = out of range\n"
                                                                 "-5 = negative\n"
                                                                 "abc = not a number\n"
                                                                 "no equals sign\n"
                                                                 "6 = a = b\n");
    EXPECT_EQ(texts.names, (QStringList{QStringLiteral("Español"), QStringLiteral("es")}));
    const QHash<short, QString> expected = {{1, QStringLiteral("Aceptar")},
                                            {2, QStringLiteral("Línea uno\nLínea dos\t\\ \\x")},
                                            {-5, QStringLiteral("negative")},
                                            {6, QStringLiteral("a = b")}};
    EXPECT_EQ(texts.texts, expected);
}

TEST(LanguageFile, FileWithoutLanguageLineIsNoLanguage) {
    EXPECT_FALSE(zav::language::parseLanguageFile("1 = One\n").isValid());
    EXPECT_FALSE(zav::language::readLanguageFile(QStringLiteral("/nonexistent/x.lang")).isValid());
}

TEST(TranslateTextWithTheStandardProvider, BuiltInLevelNamesShowInTheCurrentLanguage) {
    zav::language::setLanguageProvider(nullptr);
    EXPECT_EQ(zav::language::TranslateText(QStringLiteral("|0")), QStringLiteral("Administrator"));
    zav::language::languageProvider().setCurrentLanguage(QStringLiteral("Italiano"));
    EXPECT_EQ(zav::language::TranslateText(QStringLiteral("|0")), QStringLiteral("Amministratore"));
    EXPECT_EQ(zav::language::TranslateText(QStringLiteral("|1")), QStringLiteral("Operatore"));
    EXPECT_EQ(zav::language::TranslateText(QStringLiteral("|2")), QStringLiteral("|2"));
    zav::language::setLanguageProvider(nullptr);
}

} // namespace
