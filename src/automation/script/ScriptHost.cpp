#include <ZAV_PrjLoginScript/ScriptHost.h>

#include "automation/AutomationErrors.h"
#include "automation/Dispatcher.h"
#include "automation/script/ScriptClasses.h"

#include <QJSEngine>

namespace zav::script {

ScriptHost::ScriptHost(QObject* parent) : QObject(parent) {}

// The objects this host made are its children: deleting them releases what the script still holds.
ScriptHost::~ScriptHost() = default;

void ScriptHost::install(QJSEngine& engine, const QString& name) {
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
    engine.globalObject().setProperty(name, engine.newQObject(this));
}

QObject* ScriptHost::create() {
    return createObject(QStringLiteral("ZAV_Login"));
}

QObject* ScriptHost::createLevelEnable() {
    return createObject(QStringLiteral("Class_LevelEnable"));
}

QObject* ScriptHost::createObject(const QString& classNameOrId) {
    try {
        ScriptObject* view = ScriptObject::of(automation::CreateObject(classNameOrId));
        // Kept by this host, never by the script engine's collector.
        view->setParent(this);
        QJSEngine::setObjectOwnership(view, QJSEngine::CppOwnership);
        return view;
    } catch (const AutomationError& error) {
        if (!RaiseInScript(this, error)) {
            throw;
        }
    }
    return nullptr;
}

void ScriptHost::release(QObject* object) {
    if (!object) {
        return;
    }
    auto* view = qobject_cast<ScriptObject*>(object);
    if (!view) {
        const AutomationError error(ErrTypeMismatch, automation::StandardDescription(ErrTypeMismatch));
        if (!RaiseInScript(this, error)) {
            throw error;
        }
        return;
    }
    view->release();
}

} // namespace zav::script
