#include "outside/SettingsRegistryAccess.h"

#include "outside/OutsideErrors.h"

#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <memory>

namespace zav::outside {

namespace {

// Opens the settings for the key path and enters its group.
std::unique_ptr<QSettings> openKey(const QString& settingsFile, const QString& keyPath) {
    QStringList parts = keyPath.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    if (!settingsFile.isEmpty()) {
        auto settings = std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
        settings->beginGroup(parts.join(u'/'));
        return settings;
    }
    if (!parts.isEmpty() && parts.front().compare(QStringLiteral("Software"), Qt::CaseInsensitive) == 0) {
        parts.removeFirst();
    }
    if (parts.size() < 2) {
        failInvalidCall(QStringLiteral("registry key \"%1\"").arg(keyPath));
    }
    const QString organization = parts.takeFirst();
    const QString application = parts.takeFirst();
    auto settings =
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization, application);
    settings->beginGroup(parts.join(u'/'));
    return settings;
}

} // namespace

SettingsRegistryAccess::SettingsRegistryAccess()
    : m_settingsFile(qEnvironmentVariable("ZAV_REGISTRY_FILE")) {}

SettingsRegistryAccess::SettingsRegistryAccess(const QString& settingsFile) : m_settingsFile(settingsFile) {}

QString SettingsRegistryAccess::ReadValue(const QString& keyPath, const QString& valueName,
                                          const QString& defaultText) {
    const auto settings = openKey(m_settingsFile, keyPath);
    return settings->contains(valueName) ? settings->value(valueName).toString() : defaultText;
}

void SettingsRegistryAccess::WriteValue(const QString& keyPath, const QString& valueName,
                                        const QString& text) {
    const auto settings = openKey(m_settingsFile, keyPath);
    settings->setValue(valueName, text);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        failPathFileAccess(QStringLiteral("registry key \"%1\"").arg(keyPath));
    }
}

} // namespace zav::outside
