#pragma once

// The component for JavaScript (QJSEngine) and QML hosts.
//
//   QJSEngine engine;
//   zav::script::ScriptHost host;
//   host.install(engine);                   // the global object "ZAV"
//   engine.evaluate("const login = ZAV.create(); login.DbPath = path; login.Logout();");
//
// Scripts reach every member under its own name: properties as properties, methods and indexed
// properties as functions (`le.AllowCustom(3)`, `le.setAllowCustom(3, true)`). Booleans are script
// Booleans; a failing member throws an Error whose `number` and `description` are the automation
// error's. Objects keep their identity: `login.CurrentLevel === login.CurrentOperator.cLevel` after a
// login.

#include "ZAV_ScriptExport.h"

#include <QObject>
#include <QString>

class QJSEngine;

namespace zav::script {

class ZAV_SCRIPT_EXPORT ScriptHost : public QObject {
    Q_OBJECT

public:
    explicit ScriptHost(QObject* parent = nullptr);
    // Releases every object this host created that the script has not released.
    ~ScriptHost() override;

    // Makes this host the engine's global object `name`; the engine neither owns nor deletes it.
    void install(QJSEngine& engine, const QString& name = QStringLiteral("ZAV"));

    // A new component (ZAV_Login). It lives until release() or the end of this host; its
    // termination runs once, whichever comes first, unless the script called Terminate before.
    Q_INVOKABLE QObject* create();
    // A new permission set (Class_LevelEnable), every right False.
    Q_INVOKABLE QObject* createLevelEnable();
    // A new object of a creatable class by name ("ZAV_Login", "ZAV_PrjLogin.Class_LevelEnable") or
    // class ID; any other class throws error 429.
    Q_INVOKABLE QObject* createObject(const QString& classNameOrId);
    // Drops the script's hold on an object: a component without other holders terminates. Its
    // members fail with error 91 afterwards. Releasing twice does nothing more.
    Q_INVOKABLE void release(QObject* object);
};

// Registers the QML module "ZAV.PrjLogin" 1.0: the creatable types ZAV_Login and Class_LevelEnable,
// the types Class_Level, Class_Operator and Class_Language that only come from a component, and the
// singleton ZAV (a ScriptHost). The module's plugin calls this; an application that links the library
// may call it instead, before loading QML. QML reads a capitalised name in a binding as a type, so QML
// code assigns the members in script (`Component.onCompleted: { AutoShutDown = false }`), not as
// bindings.
ZAV_SCRIPT_EXPORT void registerQmlTypes(const char* uri = "ZAV.PrjLogin");

} // namespace zav::script
