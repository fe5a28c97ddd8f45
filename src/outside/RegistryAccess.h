#pragma once

#include <QString>

namespace zav::outside {

// Marker values kept outside the database (the registry on Windows, a settings file elsewhere).
class RegistryAccess {
public:
    virtual ~RegistryAccess() = default;
    // The stored text, or the default when the value is absent.
    virtual QString ReadValue(const QString& keyPath, const QString& valueName,
                              const QString& defaultText) = 0;
    virtual void WriteValue(const QString& keyPath, const QString& valueName, const QString& text) = 0;
};

} // namespace zav::outside
