#include <ZAV_PrjLoginScript/ScriptHost.h>

#include "automation/script/ScriptClasses.h"

#include <QQmlEngine>

namespace zav::script {

void registerQmlTypes(const char* uri) {
    const QString fromComponent = QStringLiteral("%1 objects come from a ZAV_Login component");
    qmlRegisterType<ScriptLogin>(uri, 1, 0, "ZAV_Login");
    qmlRegisterType<ScriptLevelEnable>(uri, 1, 0, "Class_LevelEnable");
    qmlRegisterUncreatableType<ScriptLevel>(uri, 1, 0, "Class_Level", fromComponent.arg(u"Class_Level"));
    qmlRegisterUncreatableType<ScriptOperator>(uri, 1, 0, "Class_Operator",
                                               fromComponent.arg(u"Class_Operator"));
    qmlRegisterUncreatableType<ScriptLanguage>(uri, 1, 0, "Class_Language",
                                               fromComponent.arg(u"Class_Language"));
    qmlRegisterSingletonType<ScriptHost>(uri, 1, 0, "ZAV", [](QQmlEngine*, QJSEngine*) -> QObject* {
        // The engine owns the singleton: its end releases what QML scripts created through it.
        return new ScriptHost;
    });
}

} // namespace zav::script
