// A host built against the installed script package: a script drives the component, and a QML
// engine imports the installed module. Arguments: database path, QML import folder.
#include <ZAV_PrjLoginScript/ScriptHost.h>

#include <QApplication>
#include <QJSEngine>
#include <QQmlComponent>
#include <QQmlEngine>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        return 2;
    }
    {
        QJSEngine engine;
        zav::script::ScriptHost host;
        host.install(engine);
        engine.globalObject().setProperty(QStringLiteral("path"), QString::fromLocal8Bit(argv[1]));
        const QJSValue result = engine.evaluate(
            QStringLiteral("const login = ZAV.create(); login.AutoShutDown = false; login.DbPath = path;"
                           "let number = 0; try { login.CurrentLevel.cLevelEnable.AllowCustom(0); } catch "
                           "(e) { number = e.number; }"
                           "login.Logout() && login.CurrentLevel.ID === 1 && number === 9"));
        if (!result.toBool()) {
            std::fprintf(stderr, "script: %s\n", qPrintable(result.toString()));
            return 1;
        }
    }
    QQmlEngine qml;
    qml.addImportPath(QString::fromLocal8Bit(argv[2]));
    QQmlComponent component(&qml);
    component.setData("import ZAV.PrjLogin 1.0\nClass_LevelEnable {}\n",
                      QUrl::fromLocalFile(QStringLiteral("/inline.qml")));
    std::unique_ptr<QObject> rights(component.create());
    if (!rights || rights->property("AllowDesktop") != QVariant(false)) {
        std::fprintf(stderr, "qml: %s\n", qPrintable(component.errorString()));
        return 1;
    }
    return 0;
}
