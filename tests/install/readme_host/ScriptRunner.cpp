// Runs the README's script and QML examples as its C++ lines host them. Arguments: the script file,
// the QML file, the database path and the QML import folder.
#include <ZAV_PrjLoginScript/ScriptHost.h>

#include <QApplication>
#include <QFile>
#include <QJSEngine>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <cstdio>
#include <memory>

static QByteArray contentOf(const char* path) {
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5) {
        return 2;
    }
    const QString dbPath = QString::fromLocal8Bit(argv[3]);
    {
        QJSEngine engine;
        engine.installExtensions(QJSEngine::ConsoleExtension);
        zav::script::ScriptHost host;
        host.install(engine);
        engine.globalObject().setProperty("path", dbPath);
        const QJSValue result = engine.evaluate(QString::fromUtf8(contentOf(argv[1])));
        if (result.isError()) {
            std::fprintf(stderr, "script: %s\n", qPrintable(result.toString()));
            return 1;
        }
    }
    QQmlEngine qml;
    qml.addImportPath(QString::fromLocal8Bit(argv[4]));
    qml.rootContext()->setContextProperty("dbPath", dbPath);
    QQmlComponent component(&qml);
    component.setData(contentOf(argv[2]), QUrl::fromLocalFile(QStringLiteral("/readme.qml")));
    const std::unique_ptr<QObject> object(component.create());
    if (!object) {
        std::fprintf(stderr, "qml: %s\n", qPrintable(component.errorString()));
        return 1;
    }
    return 0;
}
