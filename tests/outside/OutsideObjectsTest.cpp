#include "outside/OutsideObjects.h"
#include "language/CurrentLanguageProvider.h"
#include "language/StandardLanguageProvider.h"
#include "outside/DefaultScreenKeyboard.h"
#include "outside/IniProfileStore.h"
#include "outside/PlainNumberUtility.h"
#include "outside/SettingsRegistryAccess.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace zav::outside;
using zav::language::languageProvider;
using zav::language::setLanguageProvider;

class OutsideObjectsTest : public ::testing::Test {
protected:
    void TearDown() override {
        setProfileStore(nullptr);
        setRegistryAccess(nullptr);
        setNumberUtility(nullptr);
        setLanguageProvider(nullptr);
        setDbUtility(nullptr);
        setScreenKeyboardFactory(nullptr);
    }
};

TEST_F(OutsideObjectsTest, DefaultsAreMadeOnFirstUseAndKept) {
    EXPECT_NE(dynamic_cast<IniProfileStore*>(&profileStore()), nullptr);
    EXPECT_NE(dynamic_cast<SettingsRegistryAccess*>(&registryAccess()), nullptr);
    EXPECT_NE(dynamic_cast<PlainNumberUtility*>(&numberUtility()), nullptr);
    EXPECT_NE(dynamic_cast<zav::language::StandardLanguageProvider*>(&languageProvider()), nullptr);
    EXPECT_EQ(&profileStore(), &profileStore());
    EXPECT_EQ(&registryAccess(), &registryAccess());
    EXPECT_EQ(&numberUtility(), &numberUtility());
    EXPECT_EQ(&languageProvider(), &languageProvider());
    EXPECT_EQ(&dbUtility(), &dbUtility());
    EXPECT_EQ(numberUtility().MaxOf(-1.5, 2.0), 2.0);
    EXPECT_EQ(numberUtility().MaxOf(3.0, -4.0), 3.0);
}

TEST_F(OutsideObjectsTest, LanguageChoiceIsKeptBetweenUses) {
    languageProvider().setCurrentLanguage(QStringLiteral("Deutsch"));
    EXPECT_EQ(languageProvider().CurrentLanguage(), QStringLiteral("Deutsch"));
}

TEST_F(OutsideObjectsTest, SubstituteIsUsedUntilClearedThenANewDefault) {
    auto substitute = std::make_shared<IniProfileStore>();
    setProfileStore(substitute);
    EXPECT_EQ(&profileStore(), substitute.get());
    setProfileStore(nullptr);
    EXPECT_NE(&profileStore(), substitute.get());
    EXPECT_NE(dynamic_cast<IniProfileStore*>(&profileStore()), nullptr);
}

TEST_F(OutsideObjectsTest, EveryThreadHasItsOwnObjects) {
    auto substitute = std::make_shared<PlainNumberUtility>();
    setNumberUtility(substitute);
    LanguageProvider* mine = &languageProvider();
    NumberUtility* otherNumbers = nullptr;
    LanguageProvider* otherLanguage = nullptr;
    std::thread([&] {
        otherNumbers = &numberUtility();
        otherLanguage = &languageProvider();
    }).join();
    EXPECT_NE(otherNumbers, substitute.get());
    EXPECT_NE(otherLanguage, mine);
    EXPECT_EQ(&numberUtility(), substitute.get());
}

class StandInKeyboard : public ScreenKeyboard {
public:
    QVariant ShowFor(QWidget*) override { return {}; }
};

TEST_F(OutsideObjectsTest, KeyboardFactoryMakesANewKeyboardForEveryUse) {
    // Nothing plugged in: the component's own keyboard, a new one each time.
    const auto own = createScreenKeyboard();
    EXPECT_NE(dynamic_cast<DefaultScreenKeyboard*>(own.get()), nullptr);
    EXPECT_NE(own, createScreenKeyboard());
    int made = 0;
    setScreenKeyboardFactory([&made] {
        ++made;
        return std::make_unique<StandInKeyboard>();
    });
    const auto first = createScreenKeyboard();
    const auto second = createScreenKeyboard();
    EXPECT_NE(dynamic_cast<StandInKeyboard*>(first.get()), nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(made, 2);
    setScreenKeyboardFactory(nullptr);
    EXPECT_NE(dynamic_cast<DefaultScreenKeyboard*>(createScreenKeyboard().get()), nullptr);
    EXPECT_EQ(made, 2);
}

} // namespace
