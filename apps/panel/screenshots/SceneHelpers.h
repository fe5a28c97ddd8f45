#pragma once

// What every scene needs: a dialog's control by name, and a level as stored.

#include "operations/CredentialDatabase.h"

#include <ZAV_PrjLogin/Class_Level.h>

#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string>

namespace zav::screenshots {

// The control `name` of `parent`; a scene that lacks it cannot be shown, so this throws.
template <typename T> T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (!found) {
        throw std::runtime_error(std::string("no control ") + name);
    }
    return found;
}

inline std::shared_ptr<Class_Level> storedLevel(const QString& dbPath, int id) {
    auto level = Class_Level::create();
    manage::LoadLevel(dbPath, id, *level);
    return level;
}

} // namespace zav::screenshots
