#include "language/StandardLanguageProvider.h"
#include "base/ReportedErrors.h"
#include "language/CurrentLanguageProvider.h"
#include "language/LanguageFile.h"
#include "language/LanguageHooks.h"
#include "language/TextLookup.h"
#include "outside/OutsideObjects.h"
#include "store/DbError.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using zav::language::LanguageTexts;
using zav::language::StandardLanguageProvider;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(StandardLanguageProvider, OffersTheBuiltInLanguagesSelectedByAnyOfTheirNames) {
    StandardLanguageProvider provider;
    QStringList names{QStringLiteral("stale")};
    EXPECT_EQ(provider.EnumLanguages(names), 3);
    EXPECT_EQ(names, (QStringList{"English", "Deutsch", "Italiano"}));
    EXPECT_EQ(provider.CurrentLanguage(), QStringLiteral("English"));
    EXPECT_EQ(provider.GetText(10, QStringLiteral("x")), QStringLiteral("Login Management"));
    EXPECT_EQ(provider.GetText(3, QStringLiteral("no such text")), QStringLiteral("no such text"));
    provider.setCurrentLanguage(QStringLiteral("IT"));
    EXPECT_EQ(provider.GetText(101, QStringLiteral("|1")), QStringLiteral("Operatore"));
    provider.setCurrentLanguage(QStringLiteral("german"));
    EXPECT_EQ(provider.CurrentLanguage(), QStringLiteral("Deutsch"));
    EXPECT_EQ(provider.GetText(20, QStringLiteral("Levels")), QStringLiteral("Ebenen"));
    // An unknown language fails (5) and keeps the current one.
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

// Files of the language folder add languages or replace single texts of one; a text falls back from the
// language to English to the caller's default.
TEST(StandardLanguageProvider, FolderFilesAddLanguagesAndTextsFallBackToEnglishThenTheDefault) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    writeFile(folder.filePath("b.lang"), "language = German\n9 = Einloggen\n");
    writeFile(folder.filePath("a.lang"), "language = Suomi, fi\n9 = Kirjaudu\n");
    writeFile(folder.filePath("ignored.txt"), "language = Ignored\n");
    writeFile(folder.filePath("extra-english.lang"), "language = English\n500 = Only in English\n");
    writeFile(folder.filePath("klingon.lang"), "language = tlhIngan Hol, Klingon\n1 = luq\n");
    StandardLanguageProvider provider;
    provider.setDbLanguagePath(folder.path());
    EXPECT_EQ(provider.DbLanguagePath(), folder.path());
    QStringList names;
    EXPECT_EQ(provider.EnumLanguages(names), 5);
    EXPECT_EQ(names, (QStringList{"English", "Deutsch", "Italiano", "Suomi", "tlhIngan Hol"}));

    provider.setCurrentLanguage(QStringLiteral("Deutsch"));
    EXPECT_EQ(provider.GetText(9, QStringLiteral("d")), QStringLiteral("Einloggen"));
    EXPECT_EQ(provider.GetText(10, QStringLiteral("d")), QStringLiteral("Anmeldeverwaltung"));
    EXPECT_EQ(provider.GetText(500, QStringLiteral("d")), QStringLiteral("Only in English"));
    EXPECT_EQ(provider.GetText(501, QStringLiteral("d")), QStringLiteral("d"));

    provider.setCurrentLanguage(QStringLiteral("klingon"));
    EXPECT_EQ(provider.CurrentLanguage(), QStringLiteral("tlhIngan Hol"));
    EXPECT_EQ(provider.GetText(1, QStringLiteral("d")), QStringLiteral("luq"));
    EXPECT_EQ(provider.GetText(9, QStringLiteral("d")), QStringLiteral("Login"));
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

// A database error reads as a sentence in the operator's language; its number and its own words go to
// the log. A number without a sentence keeps its description.
TEST(ErrorSentences, DatabaseErrorsShowAsSentencesOfTheLanguage) {
    static QStringList logged;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { logged.append(text); });
    QStringList shown;
    zav::setMessageBoxHandler([&shown](const QString& text, int, const QString&) {
        shown.append(text);
        return zav::vbOK;
    });
    zav::language::InstallLanguageHooks();
    zav::language::languageProvider().setCurrentLanguage(QStringLiteral("Deutsch"));
    zav::ShowError(zav::store::DbError(3022, QStringLiteral("UNIQUE constraint failed: Levels.Name")));
    zav::ShowError(zav::store::DbError(3146, QStringLiteral("disk I/O error")));
    zav::language::languageProvider().setCurrentLanguage(QStringLiteral("English"));
    zav::setMessageBoxHandler(nullptr);
    zav::setErrorSentenceSource(nullptr);
    qInstallMessageHandler(previous);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Dieser Name ist bereits vorhanden."),
                                  QStringLiteral("disk I/O error")}));
    EXPECT_EQ(logged, QStringList{QStringLiteral("Error 3022: UNIQUE constraint failed: Levels.Name")});
}
