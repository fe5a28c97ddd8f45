#include "outside/SettingsRegistryAccess.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString LoginKey = QStringLiteral("Software\\ZEMRO_SW\\Login");

TEST(RegistryAccess, AbsentValueReadsAsDefaultStoredValueAsStored) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString settingsFile = folder.filePath(QStringLiteral("registry.ini"));
    zav::outside::SettingsRegistryAccess registry(settingsFile);
    EXPECT_EQ(registry.ReadValue(LoginKey, "PriceAddition", "<none>"), QStringLiteral("<none>"));
    registry.WriteValue(LoginKey, "PriceAddition", "1.0.8");
    registry.WriteValue(LoginKey, "ShowEditButtonAddition", "");
    EXPECT_EQ(registry.ReadValue(LoginKey, "PriceAddition", "<none>"), QStringLiteral("1.0.8"));
    EXPECT_EQ(registry.ReadValue(LoginKey, "ShowEditButtonAddition", "<none>"), QString());

    // A new instance (another run of the host) sees what was stored; another key path does not.
    zav::outside::SettingsRegistryAccess later(settingsFile);
    EXPECT_EQ(later.ReadValue(LoginKey, "PriceAddition", "<none>"), QStringLiteral("1.0.8"));
    EXPECT_EQ(later.ReadValue("Software\\ZEMRO_SW\\Other", "PriceAddition", "<none>"),
              QStringLiteral("<none>"));
}

} // namespace
