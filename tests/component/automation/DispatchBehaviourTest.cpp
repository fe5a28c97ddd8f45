// What a late-bound client sees beyond the tables: the default member, automation Booleans, the
// optional argument, object assignment, argument conversion and its errors, the component's own errors
// passing through, and the collection filled by reference.

#include "access/DialogHooks.h"
#include "automation/Dispatcher.h"
#include "automation/VariantBool.h"
#include "automation/VariantConversion.h"
#include "support/ComponentFixture.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace zav::automation;

namespace {

// The number and description of the automation error the call raises; 0 when it succeeds.
template <typename F> std::pair<int, QString> failureOf(F&& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return {e.Number(), e.Description()};
    }
    return {0, QString()};
}
template <typename F> int errorOf(F&& call) {
    return failureOf(std::forward<F>(call)).first;
}

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override { login = env.createComponent(); }
    void TearDown() override {
        zav::access::setChangePasswordOpener(nullptr);
        login.reset();
    }

    QObject* level() { return login->CurrentLevel().get(); }
    QObject* rights() { return login->CurrentLevel()->cLevelEnable().get(); }

    zav::test::ComponentEnvironment env;
    std::shared_ptr<ZAV_Login> login;
};

TEST_F(DispatchTest, TheDefaultMemberAnswersAReadWithoutAName) {
    login->CurrentLevel()->setLevelName(QStringLiteral("Service"));
    EXPECT_EQ(Invoke(level(), DispIdValue, Get).toString(), QStringLiteral("Service"));
    Invoke(level(), DispIdValue, Let, {QStringLiteral("Setter")});
    EXPECT_EQ(login->CurrentLevel()->LevelName(), QStringLiteral("Setter"));

    QObject* op = login->CurrentOperator().get();
    Invoke(op, DispIdValue, Let, {QStringLiteral("anna")});
    EXPECT_EQ(Invoke(op, DispIdValue, Method | Get).toString(), QStringLiteral("anna"));
    // The component itself has no default member.
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), DispIdValue, Get); }), 438);
}

TEST_F(DispatchTest, BooleansCrossAsAutomationBooleans) {
    const QVariant allowed = Invoke(rights(), u"AllowManageLevel", Get);
    ASSERT_EQ(allowed.metaType(), QMetaType::fromType<VariantBool>());
    EXPECT_EQ(allowed.toInt(), -1);
    EXPECT_TRUE(allowed.toBool());
    EXPECT_EQ(allowed.toString(), QStringLiteral("True"));
    EXPECT_EQ(Invoke(login.get(), u"IsTouchScreen", Get).toInt(), 0);

    auto* enable = static_cast<Class_LevelEnable*>(rights());
    const std::pair<QVariant, bool> written[] = {{false, false},
                                                 {-1, true},
                                                 {QStringLiteral("False"), false},
                                                 {QStringLiteral("true"), true},
                                                 {0, false},
                                                 {1, true},
                                                 {QVariant::fromValue(VariantBool(false)), false},
                                                 {QStringLiteral("-1"), true}};
    for (const auto& [value, expected] : written) {
        Invoke(rights(), u"AllowDesktop", Let, {value});
        EXPECT_EQ(enable->AllowDesktop(), expected) << value.toString().toStdString();
    }
    EXPECT_EQ(errorOf([&] { Invoke(rights(), u"AllowDesktop", Let, {QStringLiteral("perhaps")}); }), 13);
}

TEST_F(DispatchTest, TheOptionalLockOldPwdDefaultsToFalse) {
    QList<bool> locks;
    zav::access::setChangePasswordOpener([&locks](zav::Class_Par& par, const std::shared_ptr<Class_Level>&,
                                                  const std::shared_ptr<Class_Operator>&) {
        locks << par.LockOldPWD;
        par.Result = true;
    });
    const QVariant saved = Invoke(level(), u"ChangePassword", Method);
    Invoke(level(), u"ChangePassword", Method, {true});
    Invoke(level(), u"ChangePassword", Method, {QVariant()}); // an argument left out
    Invoke(level(), u"ChangePassword", Method, {QStringLiteral("True")});
    EXPECT_EQ(locks, (QList<bool>{false, true, false, true}));
    EXPECT_EQ(saved.toInt(), -1);
    EXPECT_EQ(errorOf([&] { Invoke(level(), u"ChangePassword", Method, {true, true}); }), 450);
}

TEST_F(DispatchTest, ObjectPropertiesTakeASetAndRefuseALet) {
    auto rightsSet = Class_LevelEnable::create();
    Invoke(login.get(), u"cRespEnable", Set, {ObjectValue(rightsSet.get())});
    EXPECT_EQ(login->cRespEnable(), rightsSet);
    EXPECT_EQ(rightsSet.use_count(), 2); // shared with the component, not copied
    EXPECT_EQ(ObjectOf(Invoke(login.get(), u"cRespEnable", Get)), rightsSet.get());

    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"cRespEnable", Let, {ObjectValue(rightsSet.get())}); }),
              438);
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"cRespEnable", Set, {QStringLiteral("x")}); }), 424);
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"cRespEnable", Set, {ObjectValue(level())}); }), 13);
    QObject foreign;
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"cRespEnable", Set, {ObjectValue(&foreign)}); }), 13);

    // Nothing clears the reference.
    Invoke(login.get(), u"cRespEnable", Set, {ObjectValue(nullptr)});
    EXPECT_EQ(login->cRespEnable(), nullptr);
    EXPECT_TRUE(IsNothing(Invoke(login.get(), u"cRespEnable", Get)));

    // A level set as the current one is the same object the host holds.
    auto held = Class_Level::create();
    Invoke(login.get(), u"CurrentLevel", Set, {ObjectValue(held.get())});
    EXPECT_EQ(login->CurrentLevel(), held);
    EXPECT_EQ(ObjectOf(Invoke(login.get(), u"CurrentLevel", Get)), held.get());
}

TEST_F(DispatchTest, ArgumentsConvertOrFailAsAutomationDoes) {
    EXPECT_EQ(errorOf([&] { Invoke(rights(), u"AllowCustom", Get); }), 449);
    EXPECT_EQ(errorOf([&] { Invoke(rights(), u"AllowCustom", Get, {1, 2}); }), 450);
    EXPECT_EQ(errorOf([&] { Invoke(rights(), u"AllowCustom", Let, {true}); }), 449);
    EXPECT_EQ(errorOf([&] { Invoke(rights(), u"AllowCustom", Get, {QStringLiteral("three")}); }), 13);
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"EnableDescription", Get, {40000}); }), 6);
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"DbPath", Let, {QVariant::fromValue(nullptr)}); }), 94);
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"DbPath", Let); }), 449);
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"NoSuchMember", Get); }), 438);
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), 0x12345, Get); }), 438);
    EXPECT_EQ(errorOf([&] { Invoke(nullptr, u"DbPath", Get); }), 91);
    QObject foreign;
    EXPECT_EQ(errorOf([&] { Invoke(&foreign, DispIdValue, Get); }), 438);
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"Logout", Get); }), 438);
    EXPECT_EQ(errorOf([&] { Invoke(login.get(), u"DbPath", Method); }), 438);

    // Numbers round half to even into integers; numeric text converts.
    EXPECT_EQ(Invoke(login.get(), u"EnableDescription", Get, {2.5}).toString(), QStringLiteral("Custom 2"));
    EXPECT_EQ(Invoke(login.get(), u"EnableDescription", Get, {3.5}).toString(), QStringLiteral("Custom 4"));
    Invoke(login.get(), u"EnableCount", Let, {QStringLiteral(" 12 ")});
    const QVariant count = Invoke(login.get(), u"EnableCount", Method | Get);
    EXPECT_EQ(count.typeId(), QMetaType::Int);
    EXPECT_EQ(count.toInt(), 12);
    Invoke(level(), u"Password", Let, {true});
    EXPECT_EQ(login->CurrentLevel()->Password(), QStringLiteral("True"));
}

TEST_F(DispatchTest, TheComponentsOwnErrorsComeThroughWithNumberAndDescription) {
    EXPECT_EQ(failureOf([&] { Invoke(rights(), u"AllowCustom", Get, {0}); }),
              std::make_pair(9, QStringLiteral("Subscript out of range")));
    EXPECT_EQ(errorOf([&] { Invoke(rights(), u"AllowCustom", Let, {101, true}); }), 9);

    QFile::remove(env.dbPath());
    const auto direct = failureOf([&] { login->HaveOperators(); });
    ASSERT_EQ(direct.first, 3024);
    EXPECT_EQ(failureOf([&] { Invoke(login.get(), u"HaveOperators", Method); }), direct);

    auto fresh = ZAV_Login::create();
    EXPECT_EQ(errorOf([&] { Invoke(fresh.get(), u"IsLogoutLevel", Get); }), 91);
}

TEST_F(DispatchTest, EnumLanguagesFillsTheCollectionByReference) {
    QObject* language = login->cDrvLanguage().get();
    QVariantList args{QStringLiteral("dropped")};
    const QVariant count = Invoke(language, u"EnumLanguages", Method, args);
    const QStringList names = args.first().toStringList();
    EXPECT_EQ(count.toInt(), names.size());
    EXPECT_EQ(names, login->cDrvLanguage()->EnumLanguages());
    EXPECT_FALSE(names.isEmpty());
    EXPECT_EQ(errorOf([&] { Invoke(language, u"EnumLanguages", Method); }), 449);
}

} // namespace
