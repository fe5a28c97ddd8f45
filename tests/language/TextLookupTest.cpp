#include "language/CurrentLanguageProvider.h"
#include "support/FakeOutside.h"

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

// "|n" names text n + 100 (n a number that rounds, halves to even, into 16 bits); anything else, a
// reference without a text and a failing provider leave the text as stored.
TEST_F(TextLookupTest, ReferencesNameTheTextHundredAbove) {
    provider->texts = {{100, "Top"},     {101, "One"}, {102, "Two"},    {104, "Four"},      {98, "MinusTwo"},
                       {200, "Hundred"}, {0, "Zero"},  {32767, "Last"}, {-32668, "Lowest"}, {105, "||No||"}};
    for (const char* text : {"", "|", "|abc", "|1x", "Admin", "0", " |0", "|inf", "|nan", "|0x10", "|40000",
                             "|32668", "|-32769"}) {
        EXPECT_EQ(TranslateText(QString::fromUtf8(text)), QString::fromUtf8(text)) << text;
    }
    EXPECT_TRUE(provider->askedNumbers.isEmpty()) << "a text that is no reference was looked up";
    const std::pair<const char*, const char*> references[] = {
        {"|0", "Top"},      {"|-100", "Zero"},     {"|1.4", "One"}, {"|1.6", "Two"},     {"|2.5", "Two"},
        {"|3.5", "Four"},   {"|-2.5", "MinusTwo"}, {"|.6", "One"},  {"|1e2", "Hundred"}, {"| 2 ", "Two"},
        {"|32667", "Last"}, {"|-32768", "Lowest"}, {"|5", "|5"},    {"|3", "|3"}};
    for (const auto& [text, shown] : references) {
        EXPECT_EQ(TranslateText(QString::fromUtf8(text)), QString::fromUtf8(shown)) << text;
    }
    provider->failing = true;
    EXPECT_EQ(TranslateText(QStringLiteral("|0")), QStringLiteral("|0"));
}

TEST_F(TextLookupTest, LookupTextAnswersTheProviderTextOrTheDefaultAndPassesErrorsOn) {
    provider->texts = {{17, QStringLiteral("Achtung")}};
    EXPECT_EQ(LookupText(17, QStringLiteral("Warning")), QStringLiteral("Achtung"));
    EXPECT_EQ(LookupText(19, QStringLiteral("Wrong password")), QStringLiteral("Wrong password"));
    provider->failing = true;
    EXPECT_THROW(LookupText(17, QStringLiteral("Warning")), AutomationError);
}

TEST_F(TextLookupTest, ClassLanguageForwardsToTheProviderAndItsErrorsReachTheHost) {
    auto language = Class_Language::create();
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

    provider->failing = true;
    EXPECT_THROW(language->CurrentLanguage(), AutomationError);
    EXPECT_THROW(language->setDbLanguagePath(QStringLiteral("/x")), AutomationError);
    EXPECT_THROW(language->EnumLanguages(names), AutomationError);
}

} // namespace
