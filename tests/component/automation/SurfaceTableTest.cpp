// Every member of every interface, as the tables describe it: a name in any case finds the dispatch ID,
// invoking by dispatch ID runs each listed accessor on a real object, every other accessor kind fails
// with 438, and only the creatable classes can be created.

#include "access/DialogHooks.h"
#include "automation/Dispatcher.h"
#include "automation/TypeLibrary.h"
#include "automation/VariantConversion.h"
#include "component/Frm_Login.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace zav::automation;

namespace {

QString text(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

const std::pair<Kind, const char*> AllKinds[] = {
    {Method, "method"}, {Get, "get"}, {Let, "let"}, {Set, "set"}};

} // namespace

class SurfaceTableTest : public QObject {
    Q_OBJECT

    std::unique_ptr<zav::test::ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::vector<std::shared_ptr<QObject>> samples;

    QObject* objectOf(std::string_view iface) {
        const std::map<std::string_view, QObject*> objects{
            {"_ZAV_Login", login.get()},
            {"_Class_Level", login->CurrentLevel().get()},
            {"_Class_Operator", login->CurrentOperator().get()},
            {"_Class_LevelEnable", login->CurrentLevel()->cLevelEnable().get()},
            {"_Class_Language", login->cDrvLanguage().get()}};
        return objects.at(iface);
    }

    // A fresh object for a set: one of the member's interface, a level for a Variant member.
    QObject* sampleFor(const MemberDesc& member) {
        const std::string_view iface = member.objectInterface;
        samples.push_back(iface == "_Class_LevelEnable"
                              ? std::shared_ptr<QObject>(Class_LevelEnable::create())
                          : iface == "_Class_Language" ? std::shared_ptr<QObject>(Class_Language::create())
                          : iface == "_Class_Operator" ? std::shared_ptr<QObject>(Class_Operator::create())
                                                       : std::shared_ptr<QObject>(Class_Level::create()));
        return samples.back().get();
    }

    // Arguments for one accessor: index 3 for indexed properties, a list for the collection, the
    // optional argument left out; a let writes back what a get reads.
    QVariantList argumentsFor(QObject* target, const MemberDesc& member, Kind kind) {
        QVariantList args;
        for (const ParamDesc& param : member.params) {
            if (param.byRef) {
                args << QVariant(QStringList());
            } else if (!param.optional) {
                args << 3;
            }
        }
        if (kind == Let) {
            args << (member.has(Get) ? Invoke(target, member.dispId, Get, QVariantList(args)) : QVariant(-1));
        } else if (kind == Set) {
            args << ObjectValue(sampleFor(member));
        }
        return args;
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<zav::test::ComponentEnvironment>();
        login = env->createComponent();
        zav::access::setManageWindowOpener([](const std::shared_ptr<Class_Level>&) {});
        zav::access::setChangePasswordOpener([](zav::Class_Par&, const std::shared_ptr<Class_Level>&,
                                                const std::shared_ptr<Class_Operator>&) {});
    }

    void cleanup() {
        zav::access::setManageWindowOpener(nullptr);
        zav::access::setChangePasswordOpener(nullptr);
        samples.clear();
        login.reset();
        env.reset();
    }

    void onlyTheCreatableClassesCanBeCreated() {
        for (const InterfaceDesc& iface : TypeLibrary().interfaces) {
            const QString coclass = text(iface.coclass), clsid = text(iface.clsid);
            for (const QString& id :
                 {coclass, QStringLiteral("ZAV_PrjLogin.") + coclass, clsid, clsid.mid(1, 36).toLower()}) {
                int number = 0;
                std::shared_ptr<QObject> object;
                try {
                    object = CreateObject(id);
                } catch (const AutomationError& e) {
                    number = e.Number();
                }
                QCOMPARE(object != nullptr, iface.creatable);
                QCOMPARE(number, iface.creatable ? 0 : 429);
                QVERIFY(!object || InterfaceOf(object.get()) == &iface);
            }
        }
        QVERIFY_THROWS_EXCEPTION(AutomationError, CreateObject(u"Scripting.Dictionary"));
    }

    void everyMember() {
        for (const InterfaceDesc& iface : TypeLibrary().interfaces) {
            for (const MemberDesc& desc : iface.members) {
                cleanup(); // a fresh component for each member: Terminate, for one, ends the component
                init();
                QObject* target = objectOf(iface.name);
                QCOMPARE(InterfaceOf(target), &iface);
                const QString member = text(desc.name);
                for (const QString& spelling : {member, member.toUpper(), member.toLower()}) {
                    QCOMPARE(GetIDOfName(target, spelling), desc.dispId);
                }
                for (const auto& [kind, kindName] : AllKinds) {
                    const QString where = QStringLiteral("%1.%2 %3").arg(text(iface.name), member, kindName);
                    QVariantList args = argumentsFor(target, desc, kind);
                    if (desc.has(kind) && kind == Method && member.startsWith(QLatin1String("LoginBy"))) {
                        zav::test::whenModal<zav::Frm_Login>(
                            [](zav::Frm_Login* dialog) { dialog->reject(); });
                    }
                    int number = 0;
                    QString description;
                    QVariant result;
                    try {
                        result = Invoke(target, desc.dispId, kind, args);
                    } catch (const AutomationError& e) {
                        number = e.Number();
                        description = e.Description();
                    }
                    if (!desc.has(kind)) {
                        QVERIFY2(number == 438, qPrintable(where));
                        QCOMPARE(description,
                                 QStringLiteral("Object doesn't support this property or method"));
                        continue;
                    }
                    QVERIFY2(number == 0,
                             qPrintable(QStringLiteral("%1: %2 %3").arg(where).arg(number).arg(description)));
                    if (kind == Set) { // the very object that was set comes back
                        QCOMPARE(ObjectOf(Invoke(target, desc.dispId, Get)), ObjectOf(args.last()));
                    }
                    if (kind == Get && desc.type == VarType::Object && ObjectOf(result)) {
                        QCOMPARE(InterfaceOf(ObjectOf(result)), FindInterface(desc.objectInterface));
                    }
                }
            }
        }
    }
};

QTEST_MAIN(SurfaceTableTest)
#include "SurfaceTableTest.moc"
