// Runs the JavaScript tests in scripts/: every function whose name starts with "test" runs in a fresh
// engine with a fresh script host (the global ZAV), the test API (the global Test) and a component
// environment of its own.

#include "ScriptTestApi.h"

#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <ZAV_PrjLoginScript/ScriptHost.h>

#include <QDir>
#include <QJSEngine>
#include <QJSValueIterator>
#include <QPointer>
#include <QtTest>

namespace {

QString source(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
}

QString errorText(const QJSValue& error) {
    return QStringLiteral("%1 (line %2)\n%3")
        .arg(error.toString(), error.property(QStringLiteral("lineNumber")).toString(),
             error.property(QStringLiteral("stack")).toString());
}

} // namespace

class ScriptTestRunner : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void run_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("function");
        const QDir dir(QStringLiteral(ZAV_SCRIPT_TEST_DIR));
        const QStringList files = dir.entryList({QStringLiteral("*.js")}, QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString& file : files) {
            QJSEngine probe;
            const QJSValue loaded = probe.evaluate(source(dir.filePath(file)), file);
            QVERIFY2(!loaded.isError(), qPrintable(errorText(loaded)));
            for (QJSValueIterator it(probe.globalObject()); it.hasNext();) {
                it.next();
                if (it.name().startsWith(QLatin1String("test")) && it.value().isCallable()) {
                    QTest::addRow("%s:%s", qPrintable(file), qPrintable(it.name()))
                        << dir.filePath(file) << it.name();
                }
            }
        }
    }

    void run() {
        QFETCH(QString, path);
        QFETCH(QString, function);
        zav::test::ComponentEnvironment env;
        env.markGrantsDone();
        zav::test::ModalWatchdog watchdog(20000);
        QJSEngine engine;
        engine.installExtensions(QJSEngine::ConsoleExtension);
        zav::script::ScriptHost host;
        host.install(engine);
        zav::test::ScriptTestApi api(engine, env);
        QJSEngine::setObjectOwnership(&api, QJSEngine::CppOwnership);
        engine.globalObject().setProperty(QStringLiteral("Test"), engine.newQObject(&api));

        const QJSValue loaded = engine.evaluate(source(path), path);
        QVERIFY2(!loaded.isError(), qPrintable(errorText(loaded)));
        const QJSValue result = engine.globalObject().property(function).call();
        QVERIFY2(!result.isError(), qPrintable(errorText(result)));
        QVERIFY2(api.failures().isEmpty(), qPrintable(api.failures().join(QLatin1Char('\n'))));
        QVERIFY2(api.checks() > 0, "the script checked nothing");
    }

    // What a script keeps lives until the host ends, whatever the collector does; the host's end then
    // terminates it once. Views of levels that the collector took are made anew on the next read.
    void theHostsEndReleasesWhatTheScriptKept() {
        zav::test::ComponentEnvironment env;
        env.markGrantsDone();
        QJSEngine engine;
        auto host = std::make_unique<zav::script::ScriptHost>();
        host->install(engine);
        engine.globalObject().setProperty(QStringLiteral("path"), env.dbPath());
        const auto run = [&engine](const char* code) {
            const QJSValue result = engine.evaluate(QString::fromLatin1(code));
            if (result.isError()) {
                qWarning("%s", qPrintable(errorText(result)));
            }
            return result;
        };
        run("var kept = ZAV.create(); kept.DbPath = path;");
        env.addLevel(2, QStringLiteral("Line"), QVariant(), false);
        QCOMPARE(run("kept.Logout(); kept.CurrentLevel.ID").toInt(), 2);
        const QPointer<QObject> levelView = run("kept.CurrentLevel").toQObject();
        QVERIFY(levelView);
        engine.collectGarbage();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!levelView);
        QCOMPARE(run("kept.CurrentLevel.LevelName").toString(), QStringLiteral("Line"));

        run("kept = null;");
        engine.collectGarbage();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!env.shell->calls().contains(QStringLiteral("ExitWindows 1")));

        host.reset();
        QCOMPARE(env.shell->calls().count(QStringLiteral("ExitWindows 1")), 1);
    }
};

QTEST_MAIN(ScriptTestRunner)
#include "ScriptTestRunner.moc"
