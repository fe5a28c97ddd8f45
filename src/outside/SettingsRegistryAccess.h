#pragma once

#include "outside/RegistryAccess.h"

namespace zav::outside {

// Registry values through QSettings. A key path "Software\Org\App[\Sub...]" is the native settings
// of organisation Org and application App (on Windows HKEY_CURRENT_USER\Software\Org\App, elsewhere
// Qt's per-user settings file), below it the group Sub. With a settings file, every key path is a
// group of that one file instead.
class SettingsRegistryAccess : public RegistryAccess {
public:
    // The native settings, or the file named by the environment variable ZAV_REGISTRY_FILE when set.
    SettingsRegistryAccess();
    explicit SettingsRegistryAccess(const QString& settingsFile);

    QString ReadValue(const QString& keyPath, const QString& valueName, const QString& defaultText) override;
    void WriteValue(const QString& keyPath, const QString& valueName, const QString& text) override;

private:
    QString m_settingsFile;
};

} // namespace zav::outside
