// The level, operator and permission-set objects: initial values, the custom-right bounds, the name
// variant, and the guards in front of their dialogs.

#include "access/DialogHooks.h"

#include <ZAV_PrjLogin/AutomationError.h>
#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_LevelEnable.h>
#include <ZAV_PrjLogin/Class_Operator.h>

#include <QMetaObject>
#include <QMetaProperty>
#include <gtest/gtest.h>

namespace {

void expectSubscriptError(const std::function<void()>& call) {
    try {
        call();
        FAIL() << "no error raised";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), 9);
        EXPECT_EQ(e.Description(), QStringLiteral("Subscript out of range"));
    }
}

TEST(LevelEnable, NewSetHoldsNoRightAndBoundsAreOneToHundred) {
    auto rights = Class_LevelEnable::create();
    EXPECT_FALSE(rights->AllowManageLevel());
    EXPECT_FALSE(rights->AllowManageOperator());
    EXPECT_FALSE(rights->DisShutDown());
    EXPECT_FALSE(rights->AllowDesktop());
    for (int i = 1; i <= 100; ++i) {
        EXPECT_FALSE(rights->AllowCustom(i)) << i;
    }
    rights->setAllowCustom(1, true);
    rights->setAllowCustom(100, true);
    EXPECT_TRUE(rights->AllowCustom(1));
    EXPECT_TRUE(rights->AllowCustom(100));
    EXPECT_EQ(rights->CountCustom(), 2);

    for (int bad : {0, 101, -1}) {
        expectSubscriptError([&] { (void)rights->AllowCustom(bad); });
        expectSubscriptError([&] { rights->setAllowCustom(bad, true); });
    }
    // A refused write changes nothing, not even a neighbour.
    EXPECT_EQ(rights->CountCustom(), 2);
    EXPECT_TRUE(rights->AllowCustom(100));
    EXPECT_FALSE(rights->AllowCustom(99));
}

TEST(Level, StartsEmptyWithItsOwnRights) {
    auto level = Class_Level::create();
    EXPECT_EQ(level->ID(), 0);
    EXPECT_TRUE(level->LevelName().isEmpty());
    EXPECT_TRUE(level->DBLevelName().isEmpty());
    EXPECT_TRUE(level->Password().isEmpty());
    EXPECT_TRUE(level->CanHavePassword());
    ASSERT_TRUE(level->cLevelEnable());
    EXPECT_FALSE(level->cLevelEnable()->AllowManageLevel());

    auto other = Class_Level::create();
    EXPECT_NE(level->cLevelEnable(), other->cLevelEnable());
}

TEST(Level, RightsAreSharedByReference) {
    auto level = Class_Level::create();
    auto held = level->cLevelEnable();
    held->setAllowDesktop(true);
    EXPECT_TRUE(level->cLevelEnable()->AllowDesktop());
    // The meta-object hands out the same object.
    auto* viaProperty = level->property("cLevelEnable").value<Class_LevelEnable*>();
    EXPECT_EQ(viaProperty, held.get());
}

TEST(Operator, NameIsAVariantHoldingTextOrAnObject) {
    auto op = Class_Operator::create();
    EXPECT_FALSE(op->OperatorName().isValid());
    EXPECT_TRUE(op->OperatorNameText().isEmpty());

    op->setOperatorName(QStringLiteral("Anna"));
    EXPECT_EQ(op->OperatorName().toString(), QStringLiteral("Anna"));

    auto object = std::static_pointer_cast<QObject>(Class_Level::create());
    std::weak_ptr<QObject> watch = object;
    op->setOperatorNameObject(object);
    object.reset();
    ASSERT_FALSE(watch.expired()) << "the operator holds the object it was given";
    EXPECT_EQ(op->OperatorName().value<QObject*>(), watch.lock().get());
    EXPECT_TRUE(op->OperatorNameText().isEmpty());

    op->setOperatorName(42);
    EXPECT_TRUE(watch.expired()) << "a let drops the object held before";
    EXPECT_EQ(op->OperatorName().toInt(), 42);
}

struct OpenerLog {
    int manageCalls = 0;
    std::shared_ptr<Class_Level> manageOwner;
    int passwordCalls = 0;
    zav::Class_Par lastPar;
    std::shared_ptr<Class_Level> level;
    std::shared_ptr<Class_Operator> op;
};

class DialogGuards : public ::testing::Test {
protected:
    void SetUp() override {
        zav::access::setManageWindowOpener([this](const std::shared_ptr<Class_Level>& owner) {
            ++log.manageCalls;
            log.manageOwner = owner;
        });
        zav::access::setChangePasswordOpener([this](zav::Class_Par& par,
                                                    const std::shared_ptr<Class_Level>& level,
                                                    const std::shared_ptr<Class_Operator>& op) {
            ++log.passwordCalls;
            log.lastPar = par;
            log.level = level;
            log.op = op;
            par.Result = true;
        });
    }
    void TearDown() override {
        zav::access::setManageWindowOpener(nullptr);
        zav::access::setChangePasswordOpener(nullptr);
    }
    OpenerLog log;
};

TEST_F(DialogGuards, ShowStructureOpensOnlyWithAManagementRightAndReturnsFalse) {
    auto level = Class_Level::create();
    EXPECT_FALSE(level->ShowStructure());
    EXPECT_EQ(log.manageCalls, 0);

    level->cLevelEnable()->setAllowManageOperator(true);
    EXPECT_FALSE(level->ShowStructure());
    EXPECT_EQ(log.manageCalls, 1);
    EXPECT_EQ(log.manageOwner, level);

    level->cLevelEnable()->setAllowManageOperator(false);
    level->cLevelEnable()->setAllowManageLevel(true);
    EXPECT_FALSE(level->ShowStructure());
    EXPECT_EQ(log.manageCalls, 2);

    level->setcLevelEnable(nullptr); // a script host assigns Nothing
    try {
        level->ShowStructure();
        ADD_FAILURE() << "no error for a level without rights";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), 91);
    }
    EXPECT_EQ(log.manageCalls, 2);
}

TEST_F(DialogGuards, ChangePasswordNeedsANameAndPassesTheLockFlag) {
    auto level = Class_Level::create();
    EXPECT_FALSE(level->ChangePassword());
    EXPECT_EQ(log.passwordCalls, 0);

    level->setLevelName(QStringLiteral("Shift lead"));
    EXPECT_TRUE(level->ChangePassword());
    EXPECT_EQ(log.passwordCalls, 1);
    EXPECT_EQ(log.lastPar.LoginMode, 0);
    EXPECT_FALSE(log.lastPar.LockOldPWD) << "without an argument the old password is not locked";
    EXPECT_EQ(log.level, level);
    EXPECT_EQ(log.op, nullptr);

    EXPECT_TRUE(level->ChangePassword(true));
    EXPECT_TRUE(log.lastPar.LockOldPWD);

    auto op = Class_Operator::create();
    EXPECT_FALSE(op->ChangePassword(true));
    op->setOperatorName(QString());
    EXPECT_FALSE(op->ChangePassword(true));
    EXPECT_EQ(log.passwordCalls, 2);

    op->setOperatorName(QStringLiteral("Anna"));
    EXPECT_TRUE(op->ChangePassword(true));
    EXPECT_EQ(log.lastPar.LoginMode, 1);
    EXPECT_EQ(log.op, op);
}

TEST(MetaObject, EveryMemberIsReachableByName) {
    const QMetaObject& level = Class_Level::staticMetaObject;
    for (const char* p : {"cLevelEnable", "LevelName", "DBLevelName", "Password", "ID", "CanHavePassword"}) {
        EXPECT_GE(level.indexOfProperty(p), 0) << p;
    }
    EXPECT_GE(level.indexOfMethod("ShowStructure()"), 0);
    EXPECT_GE(level.indexOfMethod("ChangePassword(bool)"), 0);
    EXPECT_GE(level.indexOfMethod("ChangePassword()"), 0);
    EXPECT_FALSE(level.property(level.indexOfProperty("CanHavePassword")).isWritable())
        << "CanHavePassword is read-only for clients";

    const QMetaObject& op = Class_Operator::staticMetaObject;
    for (const char* p : {"cLevel", "Password", "OperatorName"}) {
        EXPECT_GE(op.indexOfProperty(p), 0) << p;
    }
    const QMetaObject& rights = Class_LevelEnable::staticMetaObject;
    for (const char* p : {"AllowManageLevel", "AllowManageOperator", "DisShutDown", "AllowDesktop"}) {
        EXPECT_GE(rights.indexOfProperty(p), 0) << p;
    }
    EXPECT_GE(rights.indexOfMethod("AllowCustom(int)"), 0);
    EXPECT_GE(rights.indexOfMethod("setAllowCustom(int,bool)"), 0);
}

} // namespace
