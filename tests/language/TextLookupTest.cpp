#include "FakeLanguageProvider.h"
#include "language/CurrentLanguageProvider.h"

#include "language/TextLookup.h"
#include "outside/OutsideObjects.h"

#include <ZAV_PrjLogin/Class_Language.h>

#include <gtest/gtest.h>

namespace {

using zav::language::LookupText;
using zav::language::TranslateText;

class TextLookupTest : public ::testing::Test {
protected:
    void SetUp() override { zav::language::setLanguageProvider(provider); }
    void TearDown() override { zav::language::setLanguageProvider(nullptr); }

    std::shared_ptr<zav::test::FakeLanguageProvider> provider =
        std::make_shared<zav::test::FakeLanguageProvider>();
};

TEST_F(TextLookupTest, ReferenceNamesTheTextHundredAbove) {
    provider->texts = {
        {100, QStringLiteral("Top")}, {101, QStringLiteral("Second")}, {0, QStringLiteral("Zero")}};
    EXPECT_EQ(TranslateText(QStringLiteral("|0")), QStringLiteral("Top"));
    EXPECT_EQ(TranslateText(QStringLiteral("|1")), QStringLiteral("Second"));
    EXPECT_EQ(TranslateText(QStringLiteral("|-100")), QStringLiteral("Zero"));
    EXPECT_EQ(provider->askedNumbers, (QList<short>{100, 101, 0}));
}

TEST_F(TextLookupTest, ReferenceWithoutProviderTextStaysAsStored) {
    EXPECT_EQ(TranslateText(QStringLiteral("|0")), QStringLiteral("|0"));
    // Even a provider that answers with the very default it was given does not change the text.
    provider->texts = {{105, QStringLiteral("||No||")}};
    EXPECT_EQ(TranslateText(QStringLiteral("|5")), QStringLiteral("|5"));
}

TEST_F(TextLookupTest, TextsThatAreNoReferenceComeBackUnchangedWithoutALookup) {
    provider->texts = {{100, QStringLiteral("Top")}};
    for (const QString& text : {QString(), QStringLiteral("|"), QStringLiteral("|abc"), QStringLiteral("|1x"),
                                QStringLiteral("Admin"), QStringLiteral("0"), QStringLiteral(" |0"),
                                QStringLiteral("|inf"), QStringLiteral("|nan"), QStringLiteral("|0x10")}) {
        EXPECT_EQ(TranslateText(text), text) << text.toStdString();
    }
    EXPECT_TRUE(provider->askedNumbers.isEmpty());
}

TEST_F(TextLookupTest, NumbersOutsideSixteenBitsAreNoReference) {
    provider->texts = {{32767, QStringLiteral("Last")}, {-32668, QStringLiteral("Lowest")}};
    EXPECT_EQ(TranslateText(QStringLiteral("|40000")), QStringLiteral("|40000"));
    EXPECT_EQ(TranslateText(QStringLiteral("|32700")), QStringLiteral("|32700"));
    EXPECT_EQ(TranslateText(QStringLiteral("|32668")), QStringLiteral("|32668"));
    EXPECT_EQ(TranslateText(QStringLiteral("|-32769")), QStringLiteral("|-32769"));
    EXPECT_TRUE(provider->askedNumbers.isEmpty());
    // The largest and smallest that fit.
    EXPECT_EQ(TranslateText(QStringLiteral("|32667")), QStringLiteral("Last"));
    EXPECT_EQ(TranslateText(QStringLiteral("|-32768")), QStringLiteral("Lowest"));
}

TEST_F(TextLookupTest, DecimalReferencesRoundToTheNearestWholeNumberHalvesToEven) {
    provider->texts = {{101, QStringLiteral("One")},
                       {102, QStringLiteral("Two")},
                       {104, QStringLiteral("Four")},
                       {98, QStringLiteral("MinusTwo")},
                       {200, QStringLiteral("Hundred")}};
    EXPECT_EQ(TranslateText(QStringLiteral("|1.4")), QStringLiteral("One"));
    EXPECT_EQ(TranslateText(QStringLiteral("|1.6")), QStringLiteral("Two"));
    EXPECT_EQ(TranslateText(QStringLiteral("|2.5")), QStringLiteral("Two"));
    EXPECT_EQ(TranslateText(QStringLiteral("|3.5")), QStringLiteral("Four"));
    EXPECT_EQ(TranslateText(QStringLiteral("|-2.5")), QStringLiteral("MinusTwo"));
    EXPECT_EQ(TranslateText(QStringLiteral("|.6")), QStringLiteral("One"));
    EXPECT_EQ(TranslateText(QStringLiteral("|1e2")), QStringLiteral("Hundred"));
    EXPECT_EQ(TranslateText(QStringLiteral("| 2 ")), QStringLiteral("Two"));
}

TEST_F(TextLookupTest, FailingProviderLeavesReferenceUnchanged) {
    provider->texts = {{100, QStringLiteral("Top")}};
    provider->failing = true;
    EXPECT_EQ(TranslateText(QStringLiteral("|0")), QStringLiteral("|0"));
}

TEST_F(TextLookupTest, LookupTextAnswersTheProviderTextOrTheDefault) {
    provider->texts = {{17, QStringLiteral("Achtung")}};
    EXPECT_EQ(LookupText(17, QStringLiteral("Warning")), QStringLiteral("Achtung"));
    EXPECT_EQ(LookupText(19, QStringLiteral("Wrong password")), QStringLiteral("Wrong password"));
}

TEST_F(TextLookupTest, LookupTextPassesProviderErrorsOn) {
    provider->failing = true;
    try {
        LookupText(17, QStringLiteral("Warning"));
        FAIL() << "no error";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), 429);
    }
}

class ClassLanguageTest : public TextLookupTest {
protected:
    std::shared_ptr<Class_Language> language = Class_Language::create();
};

TEST_F(ClassLanguageTest, MembersForwardToTheProvider) {
    language->setCurrentLanguage(QStringLiteral("Two"));
    EXPECT_EQ(provider->current, QStringLiteral("Two"));
    provider->current = QStringLiteral("Three");
    EXPECT_EQ(language->CurrentLanguage(), QStringLiteral("Three"));

    language->setDbLanguagePath(QStringLiteral("/some/folder"));
    EXPECT_EQ(provider->path, QStringLiteral("/some/folder"));
    provider->path = QStringLiteral("/other");
    EXPECT_EQ(language->DbLanguagePath(), QStringLiteral("/other"));

    QStringList names{QStringLiteral("stale")};
    EXPECT_EQ(language->EnumLanguages(names), 42);
    EXPECT_EQ(names, provider->languages);
}

TEST_F(ClassLanguageTest, LateBoundMembersReachTheProvider) {
    ASSERT_TRUE(language->setProperty("CurrentLanguage", QStringLiteral("Two")));
    EXPECT_EQ(provider->current, QStringLiteral("Two"));
    ASSERT_TRUE(language->setProperty("DbLanguagePath", QStringLiteral("/x")));
    EXPECT_EQ(language->property("DbLanguagePath").toString(), QStringLiteral("/x"));
    QStringList names;
    ASSERT_TRUE(QMetaObject::invokeMethod(language.get(), "EnumLanguages", Q_RETURN_ARG(QStringList, names)));
    EXPECT_EQ(names, provider->languages);
}

TEST_F(ClassLanguageTest, ProviderErrorsReachTheHost) {
    provider->failing = true;
    QStringList names;
    EXPECT_THROW(language->CurrentLanguage(), AutomationError);
    EXPECT_THROW(language->setCurrentLanguage(QStringLiteral("Two")), AutomationError);
    EXPECT_THROW(language->DbLanguagePath(), AutomationError);
    EXPECT_THROW(language->setDbLanguagePath(QStringLiteral("/x")), AutomationError);
    EXPECT_THROW(language->EnumLanguages(names), AutomationError);
}

} // namespace
