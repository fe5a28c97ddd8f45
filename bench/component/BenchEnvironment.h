#pragma once

// Benchmarks run sealed like the tests: the recording shell, an in-memory registry and message boxes
// written to standard error.

#include "QuietMessageBoxes.h"
#include "base/Mod_Globali.h"
#include "outside/OutsideObjects.h"
#include "shell/RecordingShell.h"

#include <QMap>
#include <QTemporaryDir>
#include <memory>

namespace zav::bench {

class MemoryRegistry : public outside::RegistryAccess {
public:
    QString ReadValue(const QString& keyPath, const QString& valueName, const QString& defaultText) override {
        return values.value(keyPath + QLatin1Char('|') + valueName, defaultText);
    }
    void WriteValue(const QString& keyPath, const QString& valueName, const QString& text) override {
        values.insert(keyPath + QLatin1Char('|') + valueName, text);
    }
    QMap<QString, QString> values;
};

inline void sealEnvironment() {
    shell::setShellServices(std::make_shared<shell::RecordingShell>());
    outside::setRegistryAccess(std::make_shared<MemoryRegistry>());
    answerMessageBoxes();
}

} // namespace zav::bench
