// Every member of every interface, by name and by dispatch ID, against the published tables: the
// descriptions list exactly these members in this order with these accessors; a name in any case
// finds the dispatch ID; invoking by dispatch ID runs each listed accessor on a real object, while
// every other accessor kind fails with 438.

#include "ExpectedSurface.h"

#include "access/DialogHooks.h"
#include "automation/Dispatcher.h"
#include "automation/TypeLibrary.h"
#include "automation/VariantConversion.h"
#include "component/Frm_Login.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace zav::automation;
using zav::test::ExpectedInterfaces;

namespace {

QString text(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

const std::pair<Kind, const char*> AllKinds[] = {
    {Method, "method"}, {Get, "get"}, {Let, "let"}, {Set, "set"}};

QStringList accessorNames(const MemberDesc& member) {
    QStringList names;
    for (const Kind kind : member.accessors) {
        for (const auto& [known, name] : AllKinds) {
            if (kind == known) {
                names << QLatin1String(name);
            }
        }
    }
    return names;
}

} // namespace

class SurfaceTableTest : public QObject {
    Q_OBJECT

    std::unique_ptr<zav::test::ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::vector<std::shared_ptr<QObject>> samples;

    QObject* objectOf(const QString& iface) {
        if (iface == QLatin1String("_ZAV_Login")) {
            return login.get();
        }
        if (iface == QLatin1String("_Class_Level")) {
            return login->CurrentLevel().get();
        }
        if (iface == QLatin1String("_Class_Operator")) {
            return login->CurrentOperator().get();
        }
        if (iface == QLatin1String("_Class_LevelEnable")) {
            return login->CurrentLevel()->cLevelEnable().get();
        }
        return login->cDrvLanguage().get();
    }

    // A fresh object for a set: one of the member's interface, a level for a Variant member.
    QObject* sampleFor(const MemberDesc& member) {
        std::shared_ptr<QObject> object;
        if (member.objectInterface == "_Class_LevelEnable") {
            object = Class_LevelEnable::create();
        } else if (member.objectInterface == "_Class_Language") {
            object = Class_Language::create();
        } else if (member.objectInterface == "_Class_Operator") {
            object = Class_Operator::create();
        } else {
            object = Class_Level::create();
        }
        samples.push_back(object);
        return object.get();
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

    void descriptionsListTheTablesInOrder() {
        const LibraryDesc& library = TypeLibrary();
        QCOMPARE(text(library.name), QStringLiteral("ZAV_PrjLogin"));
        QCOMPARE(text(library.libid), zav::test::ExpectedLibraryId);
        QCOMPARE(library.lcid, zav::test::ExpectedLocale);
        QCOMPARE(library.majorVersion, 1);
        QCOMPARE(library.minorVersion, 0);
        QCOMPARE(library.interfaces.size(), ExpectedInterfaces().size());
        for (std::size_t i = 0; i < ExpectedInterfaces().size(); ++i) {
            const auto& expected = ExpectedInterfaces()[i];
            const InterfaceDesc& iface = library.interfaces[i];
            QCOMPARE(text(iface.name), expected.name);
            QCOMPARE(text(iface.iid), expected.iid);
            QCOMPARE(text(iface.coclass), expected.coclass);
            QCOMPARE(text(iface.clsid), expected.clsid);
            QCOMPARE(iface.creatable, expected.creatable);
            QStringList described, published;
            for (const MemberDesc& m : iface.members) {
                described << QStringLiteral("%1 %2 %3")
                                 .arg(text(m.name), accessorNames(m).join(u'/'))
                                 .arg(static_cast<quint32>(m.dispId), 0, 16);
            }
            for (const auto& m : expected.members) {
                published << QStringLiteral("%1 %2 %3")
                                 .arg(m.name, m.accessors.join(u'/'))
                                 .arg(static_cast<quint32>(m.dispId), 0, 16);
            }
            QCOMPARE(described, published);
        }
    }

    void onlyTheCreatableClassesCanBeCreated() {
        for (const auto& expected : ExpectedInterfaces()) {
            for (const QString& id : {expected.coclass, QStringLiteral("ZAV_PrjLogin.") + expected.coclass,
                                      expected.clsid, expected.clsid.mid(1, 36).toLower()}) {
                int number = 0;
                std::shared_ptr<QObject> object;
                try {
                    object = CreateObject(id);
                } catch (const AutomationError& e) {
                    number = e.Number();
                }
                if (expected.creatable) {
                    QVERIFY2(object, qPrintable(id));
                    QCOMPARE(text(InterfaceOf(object.get())->name), expected.name);
                } else {
                    QCOMPARE(number, 429);
                }
            }
        }
        QVERIFY_THROWS_EXCEPTION(AutomationError, CreateObject(u"Scripting.Dictionary"));
    }

    void everyMember_data() {
        QTest::addColumn<QString>("iface");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QStringList>("accessors");
        QTest::addColumn<qint32>("dispId");
        for (const auto& iface : ExpectedInterfaces()) {
            for (const auto& m : iface.members) {
                QTest::addRow("%s.%s", qPrintable(iface.name), qPrintable(m.name))
                    << iface.name << m.name << m.accessors << m.dispId;
            }
        }
    }

    void everyMember() {
        QFETCH(QString, iface);
        QFETCH(QString, member);
        QFETCH(QStringList, accessors);
        QFETCH(qint32, dispId);
        QObject* target = objectOf(iface);
        QVERIFY(target);
        QCOMPARE(text(InterfaceOf(target)->name), iface);
        for (const QString& spelling : {member, member.toUpper(), member.toLower()}) {
            QCOMPARE(GetIDOfName(target, spelling), dispId);
        }
        const MemberDesc* desc = FindMember(*InterfaceOf(target), dispId);
        QVERIFY(desc);
        for (const auto& [kind, kindName] : AllKinds) {
            const bool listed = accessors.contains(QLatin1String(kindName));
            QVariantList args = argumentsFor(target, *desc, kind);
            if (listed && kind == Method && member.startsWith(QLatin1String("LoginBy"))) {
                zav::test::whenModal<zav::Frm_Login>([](zav::Frm_Login* dialog) { dialog->reject(); });
            }
            int number = 0;
            QString description;
            QVariant result;
            try {
                result = Invoke(target, dispId, kind, args);
            } catch (const AutomationError& e) {
                number = e.Number();
                description = e.Description();
            }
            if (!listed) {
                QVERIFY2(number == 438, kindName);
                QCOMPARE(description, QStringLiteral("Object doesn't support this property or method"));
                continue;
            }
            QVERIFY2(number == 0,
                     qPrintable(QStringLiteral("%1: %2 %3").arg(kindName).arg(number).arg(description)));
            if (kind == Set) {
                // The very object that was set comes back.
                QCOMPARE(ObjectOf(Invoke(target, dispId, Get)), ObjectOf(args.last()));
            }
            if (kind == Get && desc->type == VarType::Object && ObjectOf(result)) {
                QCOMPARE(text(InterfaceOf(ObjectOf(result))->name), text(desc->objectInterface));
            }
        }
    }
};

QTEST_MAIN(SurfaceTableTest)
#include "SurfaceTableTest.moc"
