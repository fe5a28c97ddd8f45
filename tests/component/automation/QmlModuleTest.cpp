// The QML module ZAV.PrjLogin as a Qt Quick host meets it: imported through its qmldir and plugin
// from the build tree, with the creatable types, the singleton, script errors and the types that
// only a component hands out.

#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// QML reads a binding's capitalised name as a type, so the members are assigned in script.
const QByteArray SessionQml = R"(
import ZAV.PrjLogin 1.0
ZAV_Login {
    property Class_LevelEnable rights: Class_LevelEnable {}
    property var madeBySingleton: ZAV.createLevelEnable()
    Component.onCompleted: {
        AutoShutDown = false;
        rights.AllowManageOperator = true;
    }
    function operatorsAllowed() { return rights.AllowManageOperator; }
    function errorOfIndex(index) {
        try { rights.AllowCustom(index); return 0; } catch (e) { return e.number; }
    }
}
)";

QVariant call(QObject* object, const char* method, const QVariant& argument = QVariant()) {
    QVariant result;
    const bool invoked = argument.isValid()
                             ? QMetaObject::invokeMethod(object, method, Q_RETURN_ARG(QVariant, result),
                                                         Q_ARG(QVariant, argument))
                             : QMetaObject::invokeMethod(object, method, Q_RETURN_ARG(QVariant, result));
    return invoked ? result : QVariant(QStringLiteral("<not invoked>"));
}

} // namespace

class QmlModuleTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QQmlEngine> engine;

    std::unique_ptr<QObject> create(const QByteArray& qml, QString* errors = nullptr) {
        QQmlComponent component(engine.get());
        // A local base address keeps loading synchronous.
        component.setData(qml, QUrl::fromLocalFile(QStringLiteral(ZAV_QML_IMPORT_DIR "/inline.qml")));
        std::unique_ptr<QObject> object(component.create());
        if (errors) {
            *errors = component.errorString();
        }
        return object;
    }

private Q_SLOTS:
    void init() {
        engine = std::make_unique<QQmlEngine>();
        engine->addImportPath(QStringLiteral(ZAV_QML_IMPORT_DIR));
    }
    void cleanup() { engine.reset(); }

    void aComponentIsCreatedAndUsedFromQml() {
        QString errors;
        auto login = create(SessionQml, &errors);
        QVERIFY2(login, qPrintable(errors));
        QCOMPARE(login->property("AutoShutDown"), QVariant(false));
        QCOMPARE(call(login.get(), "operatorsAllowed"), QVariant(true));
        QVERIFY(login->property("madeBySingleton").value<QObject*>());
        QCOMPARE(call(login.get(), "EnableDescription", 3), QVariant(QStringLiteral("Custom 3")));
        QCOMPARE(call(login.get(), "errorOfIndex", 0), QVariant(9));
        QCOMPARE(call(login.get(), "errorOfIndex", 100), QVariant(0));

        QTemporaryDir dir;
        QVERIFY(login->setProperty("DbPath", dir.filePath(QStringLiteral("qml.db"))));
        QCOMPARE(call(login.get(), "Logout"), QVariant(true));
        auto* level = login->property("CurrentLevel").value<QObject*>();
        QVERIFY(level);
        QCOMPARE(level->property("ID"), QVariant(1));
        QCOMPARE(level->property("LevelName"), QVariant(QStringLiteral("Operator")));
        QCOMPARE(call(login.get(), "HaveOperators"), QVariant(false));
        // No script engine took the level's view: it ends with the view it came from.
        const QPointer<QObject> levelView(level);
        login.reset();
        QVERIFY(!levelView);
    }

    void levelsOperatorsAndLanguagesComeOnlyFromAComponent() {
        for (const char* type : {"Class_Level", "Class_Operator", "Class_Language"}) {
            QString errors;
            auto object = create(QByteArray("import ZAV.PrjLogin 1.0\n") + type + " {}\n", &errors);
            QVERIFY(!object);
            QVERIFY2(errors.contains(QStringLiteral("%1 objects come from a ZAV_Login component").arg(type)),
                     qPrintable(errors));
        }
    }
};

QTEST_MAIN(QmlModuleTest)
#include "QmlModuleTest.moc"
