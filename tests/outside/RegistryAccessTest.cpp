#include "outside/SettingsRegistryAccess.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString LoginKey = QStringLiteral("Software\\ZEMRO_SW\\Login");

class RegistryAccessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    QString settingsFile() const { return folder.filePath(QStringLiteral("registry.ini")); }

    QTemporaryDir folder;
};

TEST_F(RegistryAccessTest, AbsentValueReadsAsDefaultStoredValueAsStored) {
    zav::outside::SettingsRegistryAccess registry(settingsFile());
    EXPECT_EQ(registry.ReadValue(LoginKey, "PriceAddition", "<none>"), QStringLiteral("<none>"));
    registry.WriteValue(LoginKey, "PriceAddition", "1.0.8");
    registry.WriteValue(LoginKey, "ShowEditButtonAddition", "");
    EXPECT_EQ(registry.ReadValue(LoginKey, "PriceAddition", "<none>"), QStringLiteral("1.0.8"));
    EXPECT_EQ(registry.ReadValue(LoginKey, "ShowEditButtonAddition", "<none>"), QString());

    // A new instance (another run of the host) sees what was stored; another key path does not.
    zav::outside::SettingsRegistryAccess later(settingsFile());
    EXPECT_EQ(later.ReadValue(LoginKey, "PriceAddition", "<none>"), QStringLiteral("1.0.8"));
    EXPECT_EQ(later.ReadValue("Software\\ZEMRO_SW\\Other", "PriceAddition", "<none>"),
              QStringLiteral("<none>"));
}

TEST_F(RegistryAccessTest, EnvironmentVariableRedirectsTheDefaultInstance) {
    qputenv("ZAV_REGISTRY_FILE", settingsFile().toLocal8Bit());
    zav::outside::SettingsRegistryAccess redirected;
    qunsetenv("ZAV_REGISTRY_FILE");
    redirected.WriteValue(LoginKey, "PriceAddition", "1.0.8");
    zav::outside::SettingsRegistryAccess direct(settingsFile());
    EXPECT_EQ(direct.ReadValue(LoginKey, "PriceAddition", "<none>"), QStringLiteral("1.0.8"));
}

TEST_F(RegistryAccessTest, LoginKeyIsTheNativeSettingsOfOrganisationAndApplication) {
    // Only inside the sealed test environment: this writes the user's native settings.
    if (!qEnvironmentVariable("XDG_CONFIG_HOME").contains(QStringLiteral("test-env")) ||
        qEnvironmentVariableIsSet("ZAV_REGISTRY_FILE")) {
        GTEST_SKIP() << "needs the test environment of ctest";
    }
    zav::outside::SettingsRegistryAccess registry;
    registry.WriteValue(LoginKey, "ShowEditButtonAddition", "9.9.9");
    {
        QSettings native(QSettings::NativeFormat, QSettings::UserScope, "ZEMRO_SW", "Login");
        EXPECT_EQ(native.value("ShowEditButtonAddition").toString(), QStringLiteral("9.9.9"));
        native.setValue("PriceAddition", "1.2.3");
    }
    EXPECT_EQ(registry.ReadValue("software/ZEMRO_SW/Login", "PriceAddition", ""), QStringLiteral("1.2.3"));
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "ZEMRO_SW", "Login").clear();
}

TEST_F(RegistryAccessTest, KeyPathWithoutOrganisationAndApplicationIsRefused) {
    if (qEnvironmentVariableIsSet("ZAV_REGISTRY_FILE")) {
        GTEST_SKIP() << "the settings file takes every key path";
    }
    zav::outside::SettingsRegistryAccess registry;
    try {
        registry.ReadValue("Software\\ZEMRO_SW", "PriceAddition", "");
        FAIL() << "no error";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), 5);
    }
}

} // namespace
