// A script's function connected to the component's signals runs.

#include "component/Frm_Login.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <ZAV_PrjLoginScript/ScriptHost.h>

#include <QJSEngine>
#include <QtTest>

using namespace zav::test;

class ScriptSignalsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void connectedFunctionsHearTheLoginAndTheLogout() {
        ComponentEnvironment env(false);
        env.createComponent().reset(); // levels 0 and 1
        env.addLevel(2, QStringLiteral("Guest"), QVariant());
        QJSEngine engine;
        zav::script::ScriptHost host;
        host.install(engine);
        engine.globalObject().setProperty(QStringLiteral("path"), env.dbPath());
        whenModal<zav::Frm_Login>([](zav::Frm_Login* d) {
            choose(d, "Cbo_Login", QStringLiteral("Operator"));
            click(d, "Cmd_Ok");
        });
        const QJSValue heard = engine.evaluate(QStringLiteral(R"(
            const login = ZAV.create(), heard = [];
            login.AutoShutDown = false;
            login.DbPath = path;
            login.loggedIn.connect((name, id) => heard.push("in '" + name + "' " + id));
            login.loggedOut.connect(reason => heard.push("out " + reason));
            login.LoginByLevel();
            login.Logout();
            heard.join())"));
        QCOMPARE(heard.toString(), QStringLiteral("in '' 1,out 0"));
    }
};

QTEST_MAIN(ScriptSignalsTest)
#include "ScriptSignalsTest.moc"
