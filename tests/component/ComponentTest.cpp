// The component object: its initial state, creating and completing the database, logout, the
// one-time grants, the captions, and the termination's shutdown decisions.

#include "support/ComponentFixture.h"

#include "access/Class_Par.h"
#include "component/CredentialCheck.h"
#include "component/ModuleComponent.h"
#include "operations/AuditTrail.h"
#include "operations/Clock.h"
#include "operations/LevelOperations.h"
#include "operations/LoginRecords.h"
#include "operations/PasswordHashing.h"
#include "operations/Policy.h"
#include "store/Schema.h"
#include "store/ServerRelay.h"
#include "store/StoreTestSupport.h"
#include "support/FaultyEngine.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>
#include <tuple>

using zav::CredentialOutcome;
using zav::LoginModeLevel;
using zav::LoginModeOperator;
using zav::store::test::Place;
using zav::test::ComponentEnvironment;

namespace {

const QString Key = QStringLiteral("Software\\ZEMRO_SW\\Login");

using zav::store::test::fileBytes;

class Component : public ::testing::Test {
protected:
    // A field of level `id` as stored.
    QVariant field(int id, const QString& name) {
        return env.value(QStringLiteral("Select * from Levels where ID = %1").arg(id), name);
    }
    ComponentEnvironment env;
};

TEST_F(Component, FirstAssignmentCreatesTheFileWithBothBuiltInLevels) {
    auto login = ZAV_Login::create();
    login->cRespEnable()->setAllowCustom(9, false);
    login->setDbPath(env.dbPath());

    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.value(0).text.toStdString();
    EXPECT_TRUE(QFile::exists(env.dbPath()));
    EXPECT_FALSE(login->cRespEnable()) << "the assignment releases cRespEnable";
    EXPECT_EQ(zav::Mod_Globali().profilePath, env.dbPath() + QStringLiteral(".INI"));

    EXPECT_EQ(field(0, QStringLiteral("NEnable")).toInt(), 100);
    EXPECT_EQ(field(0, QStringLiteral("PWD")).toString(), QStringLiteral("KWB_Merlato"));
    EXPECT_EQ(field(1, QStringLiteral("NEnable")).toInt(), 99);
    EXPECT_EQ(field(1, QStringLiteral("PWD")).toString(), QString());

    // The logout level is level 1, the largest ID.
    auto level = login->CurrentLevel();
    ASSERT_TRUE(level);
    EXPECT_EQ(level->ID(), 1);
    EXPECT_EQ(level->DBLevelName(), QStringLiteral("|1"));
    EXPECT_TRUE(login->IsLogoutLevel());
    EXPECT_TRUE(login->CurrentOperator()->OperatorNameText().isEmpty());
    EXPECT_TRUE(login->HaveLevels());
    EXPECT_FALSE(login->HaveOperators());

    // The logout level already holds the granted rights, so neither grant runs.
    EXPECT_TRUE(env.registry->values.isEmpty());
}

TEST_F(Component, LevelOneTakesExactlyTheRightsOfCRespEnable) {
    auto login = ZAV_Login::create();
    auto rights = Class_LevelEnable::create();
    rights->setAllowCustom(5, true);
    rights->setAllowCustom(7, true);
    login->setcRespEnable(rights);
    login->setDbPath(env.dbPath());

    EXPECT_FALSE(field(1, QStringLiteral("ManageLevel")).toBool());
    EXPECT_FALSE(field(1, QStringLiteral("Desktop")).toBool());
    const auto expectCustoms = [&](const QList<int>& granted) {
        for (int n = 1; n <= 100; ++n) {
            EXPECT_EQ(field(1, QStringLiteral("Custom%1").arg(n)).toBool(), granted.contains(n)) << n;
        }
    };
    expectCustoms({5, 7}); // a database made now gets no one-time grant
    EXPECT_TRUE(env.registry->values.isEmpty());
    // An older version's database recorded no grant: both run once, record the version, reach every level.
    env.execute(QStringLiteral("Delete * from OneTimeGrants"));
    EXPECT_TRUE(login->Fun_InitDatabase());
    expectCustoms({5, 7, 32, 33, 34});
    EXPECT_EQ(field(1, QStringLiteral("NEnable")).toInt(), 2) << "the grants leave NEnable alone";
    EXPECT_EQ(env.registry->values.value(Key + QStringLiteral("|PriceAddition")), QStringLiteral("1.0.8"));
    EXPECT_EQ(env.registry->values.value(Key + QStringLiteral("|ShowEditButtonAddition")),
              QStringLiteral("1.0.8"));
    EXPECT_TRUE(field(0, QStringLiteral("Custom33")).toBool());
    EXPECT_TRUE(login->CurrentLevel()->cLevelEnable()->AllowCustom(34));
    // A level without the desktop right hides the desktop when it comes into force.
    EXPECT_EQ(env.shell->calls().value(0), QStringLiteral("HideShell"));
}

TEST_F(Component, RecordedGrantsAreSkippedAndASecondRunChangesNothing) {
    env.markGrantsDone();
    auto rights = Class_LevelEnable::create();
    auto login = ZAV_Login::create();
    login->setcRespEnable(rights);
    login->setDbPath(env.dbPath());
    EXPECT_FALSE(field(1, QStringLiteral("Custom32")).toBool());

    const QByteArray before = fileBytes(env.dbPath());
    EXPECT_TRUE(login->Fun_InitDatabase());
    EXPECT_EQ(fileBytes(env.dbPath()), before);
    EXPECT_TRUE(env.messages.isEmpty());
}

TEST_F(Component, TheFileRemembersItsGrantsForEveryOtherUser) {
    // A file of an older version, provisioned by one user: the grants run and the file records them.
    auto login = ZAV_Login::create();
    login->setcRespEnable(Class_LevelEnable::create());
    login->setDbPath(env.dbPath());
    env.execute(QStringLiteral("Delete * from OneTimeGrants"));
    EXPECT_TRUE(login->Fun_InitDatabase() && field(0, QStringLiteral("Custom34")).toBool());
    env.execute(QStringLiteral("Update levels set Custom32 = false, Custom33 = false, Custom34 = false"));

    // Opened by another user, whose registry knows nothing: no level gains the rights again.
    env.registry->values.clear();
    EXPECT_TRUE(login->Fun_InitDatabase());
    EXPECT_EQ(env.count(QStringLiteral("Select * from Levels where Custom32 <> 0 or Custom34 <> 0")), 0);
    EXPECT_FALSE(login->CurrentLevel()->cLevelEnable()->AllowCustom(34));
    EXPECT_TRUE(env.registry->values.isEmpty());
}

TEST_F(Component, AFailedGrantIsSilentAndTriedAgainNextTime) {
    auto login = ZAV_Login::create();
    login->setcRespEnable(Class_LevelEnable::create());
    login->setDbPath(env.dbPath());
    env.execute(QStringLiteral("Delete * from OneTimeGrants")); // a file of an older version
    env.registry->failReads = true;
    EXPECT_TRUE(login->Fun_InitDatabase());
    EXPECT_TRUE(env.messages.isEmpty());
    EXPECT_TRUE(env.registry->values.isEmpty());
    EXPECT_FALSE(login->CurrentLevel()->cLevelEnable()->AllowCustom(32));

    env.registry->failReads = false;
    EXPECT_TRUE(login->Fun_InitDatabase());
    EXPECT_TRUE(field(1, QStringLiteral("Custom32")).toBool());
    EXPECT_EQ(env.registry->values.size(), 2);
}

TEST_F(Component, MissingPiecesAreCompletedAndNothingElseIsTouched) {
    auto login = env.createComponent();
    env.execute(QStringLiteral("Delete * from Levels where ID = 0"));
    env.execute(QStringLiteral("Update Levels Set PWD = 'kept' where ID = 1"));

    login->setcRespEnable(Class_LevelEnable::create());
    EXPECT_TRUE(login->Fun_InitDatabase());
    EXPECT_EQ(env.count(QStringLiteral("Select * from Levels order by ID")), 2);
    EXPECT_EQ(field(0, QStringLiteral("NEnable")).toInt(), 100);
    EXPECT_EQ(field(1, QStringLiteral("PWD")).toString(), QStringLiteral("kept"));
    auto db = env.open();
    EXPECT_EQ(db->Relations().size(), 1u);
}

TEST_F(Component, AFileWithAnotherPasswordOrNoPathIsReportedAndLeftAlone) {
    {
        auto db = zav::store::DefaultEngine().CreateDatabase(env.dbPath(), zav::store::LocaleArgument +
                                                                               QStringLiteral(";pwd=other"));
        db->Close();
    }
    const QByteArray before = fileBytes(env.dbPath());
    auto login = ZAV_Login::create();
    login->setDbPath(env.dbPath());
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0].title, QStringLiteral("ZAV_MLORVATO 3031"));
    EXPECT_EQ(env.messages[0].style, 48);
    EXPECT_EQ(fileBytes(env.dbPath()), before);
    EXPECT_FALSE(login->CurrentLevel());

    env.messages.clear();
    login->setDbPath(QString());
    EXPECT_FALSE(login->Fun_InitDatabase());
    EXPECT_EQ(env.messages.size(), 2);
}

TEST_F(Component, LogoutLoadsTheLargestLevelAndReplacesTheObjects) {
    auto login = env.createComponent();
    env.execute(QStringLiteral("Update Levels Set PWD = 'secret', Desktop = true where ID = 1"));
    env.addLevel(2, QStringLiteral("L2"), QStringLiteral("pw"));
    env.addLevel(3, QStringLiteral("L3"), QStringLiteral("pw"));
    auto heldLevel = login->CurrentLevel();
    env.shell->clear();
    EXPECT_TRUE(login->Logout());
    EXPECT_NE(login->CurrentLevel(), heldLevel);
    EXPECT_EQ(login->CurrentLevel()->ID(), 3);
    EXPECT_EQ(login->CurrentLevel()->LevelName(), QStringLiteral("L3"));
    EXPECT_TRUE(login->CurrentLevel()->Password().isEmpty());
    EXPECT_FALSE(login->CurrentLevel()->CanHavePassword());
    EXPECT_TRUE(login->IsLogoutLevel());
    EXPECT_EQ(login->LogoutLevelID(), 3);
    EXPECT_EQ(env.shell->calls(), QStringList{QStringLiteral("HideShell")});

    login->CurrentLevel()->setID(1);
    EXPECT_FALSE(login->IsLogoutLevel());

    env.execute(QStringLiteral("Delete * from Levels where ID > -1"));
    env.shell->clear();
    EXPECT_TRUE(login->Logout());
    EXPECT_EQ(login->CurrentLevel()->ID(), 0);
    EXPECT_EQ(login->CurrentLevel()->cLevelEnable()->CountCustom(), 0);
    EXPECT_TRUE(login->IsLogoutLevel());
    EXPECT_EQ(env.shell->calls(), QStringList{QStringLiteral("HideShell")});
}

TEST_F(Component, DialogsWithoutAGuiApplicationFailInsteadOfAborting) {
    auto login = env.createComponent();
    for (const auto& open : std::vector<std::function<void()>>{
             [&] { login->LoginByLevel(); }, [&] { login->CurrentLevel()->ShowStructure(); },
             [&] {
                 login->CurrentLevel()->setLevelName(QStringLiteral("x"));
                 login->CurrentLevel()->ChangePassword();
             }}) {
        try {
            open();
            ADD_FAILURE() << "a dialog opened without an application";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Number(), 5);
        }
    }
}

TEST_F(Component, CaptionsLiveInTheProfileFileNextToTheDatabase) {
    auto login = env.createComponent();
    EXPECT_EQ(login->EnableDescription(3), QStringLiteral("Custom 3"));

    login->setEnableDescription(7, QStringLiteral("Edit prices, quickly; safely"));
    login->setAllowDesktopDescription(QStringLiteral("Desktop"));
    EXPECT_EQ(login->EnableDescription(7), QStringLiteral("Edit prices, quickly; safely"));
    QFile ini(env.dbPath() + QStringLiteral(".INI"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ini.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[Description]")));
    EXPECT_TRUE(text.contains(QStringLiteral("7=Edit prices, quickly; safely")));
    EXPECT_TRUE(text.contains(QStringLiteral("AD=Desktop")));
}

// The component's database and its credential check, on a file and on a database of the server.
class ComponentPlaces : public ::testing::TestWithParam<Place> {
protected:
    // Levels 0 to 3 (3 is the logout level) and an operator of level 2; nobody logged in.
    std::shared_ptr<ZAV_Login> standardLevels() {
        auto login = env.createComponent();
        env.addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"));
        env.addLevel(3, QStringLiteral("Guest"), QVariant());
        env.addOperator(QStringLiteral("O'Anna"), QStringLiteral("aPw"), 2);
        QObject::connect(login.get(), &ZAV_Login::loginFailed, [this](const QString& name, int mode) {
            refused << name + QLatin1Char('/') + QString::number(mode);
        });
        // A panel starting again on the database it completed before: nobody is logged in.
        EXPECT_TRUE(login->Fun_InitDatabase());
        return login;
    }
    CredentialOutcome check(int mode, int levelId, const QString& name, const QString& typed,
                            QDateTime* until = nullptr) {
        return zav::CheckCredentials(mode, levelId, name, typed, until);
    }
    void TearDown() override { zav::manage::SetClockForTests(nullptr); }
    zav::store::test::Places places{GetParam()};
    ComponentEnvironment env{true, places.fresh()};
    QStringList refused;
    QDateTime now = QDateTime::currentDateTimeUtc(); // the clock of tests that move it
};

TEST_P(ComponentPlaces, OnlyTheExactPasswordLogsInByNameOrByLevel) {
    auto login = standardLevels();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.value(0).text.toStdString();
    // A server stores passwords hashed from the start.
    const QString top =
        env.value(QStringLiteral("Select * from Levels where ID = 0"), QStringLiteral("PWD")).toString();
    EXPECT_EQ(top == QStringLiteral("KWB_Merlato"), GetParam() == zav::store::test::Place::File);
    EXPECT_TRUE(zav::manage::PasswordMatches(QStringLiteral("KWB_Merlato"), top,
                                             zav::manage::PasswordStorage::Hashed));
    const auto held = login->CurrentLevel();
    EXPECT_EQ(held->ID(), 3);
    // Letter case counts in a password, not in a name; a name nobody has is a wrong password.
    EXPECT_EQ(check(LoginModeOperator, 0, QStringLiteral("o'anna"), QStringLiteral("APW")),
              CredentialOutcome::WrongPassword);
    EXPECT_EQ(check(LoginModeOperator, 0, QStringLiteral("nobody"), QString()),
              CredentialOutcome::WrongPassword);
    EXPECT_EQ(check(LoginModeLevel, 2, QString(), QStringLiteral("SET")), CredentialOutcome::WrongPassword);
    EXPECT_EQ(login->CurrentLevel()->ID(), 3);
    EXPECT_EQ(refused, (QStringList{"o'anna/1", "nobody/1", "Setter/0"}));

    EXPECT_EQ(check(LoginModeOperator, 0, QStringLiteral("o'anna"), QStringLiteral("aPw")),
              CredentialOutcome::Accepted);
    EXPECT_EQ(login->CurrentOperator()->OperatorNameText(), QStringLiteral("O'Anna"));
    EXPECT_EQ(login->CurrentLevel(), held); // rewritten in place
    EXPECT_EQ(held->ID(), 2);
    EXPECT_EQ(held->LevelName(), QStringLiteral("Setter"));
    EXPECT_TRUE(login->Logout());
    EXPECT_EQ(check(LoginModeLevel, 2, QString(), QStringLiteral("set")), CredentialOutcome::Accepted);
    EXPECT_EQ(login->CurrentLevel()->ID(), 2);
    EXPECT_TRUE(login->CurrentOperator()->OperatorNameText().isEmpty());

    // While another process holds the database alone, a login is "in use" and changes nothing.
    zav::store::test::Helper holder({QStringLiteral("hold"), env.dbPath(), QStringLiteral("exclusive")});
    ASSERT_EQ(holder.firstLine(), QStringLiteral("open"));
    EXPECT_EQ(zav::store::test::errorNumberOf(
                  [&] { check(LoginModeOperator, 0, QStringLiteral("O'Anna"), QStringLiteral("aPw")); }),
              zav::store::ErrFileInUse);
    EXPECT_TRUE(login->CurrentOperator()->OperatorNameText().isEmpty());
}

TEST_P(ComponentPlaces, RepeatedWrongPasswordsLockTheEntryAndOnlyTheTopPasswordStillOpens) {
    auto login = standardLevels();
    zav::manage::SetClockForTests([this] { return now; });
    zav::manage::SetPolicyEntry(env.dbPath(), QStringLiteral("lockout-attempts"), QStringLiteral("2"));
    zav::manage::SetPolicyEntry(env.dbPath(), QStringLiteral("lockout-minutes"), QStringLiteral("0"));
    const QString anna = QStringLiteral("O'Anna");
    EXPECT_EQ(check(LoginModeOperator, 0, anna, QStringLiteral("bad")), CredentialOutcome::WrongPassword);
    EXPECT_EQ(check(LoginModeOperator, 0, anna, QStringLiteral("bad")), CredentialOutcome::LockedOut);
    QDateTime until = QDateTime::currentDateTimeUtc();
    EXPECT_EQ(check(LoginModeOperator, 0, anna, QStringLiteral("aPw"), &until), CredentialOutcome::LockedOut);
    EXPECT_FALSE(until.isValid()) << "locked until a manager unlocks";
    EXPECT_EQ(login->CurrentLevel()->ID(), 3);
    // The level's own entry counts apart from its operator's.
    EXPECT_EQ(check(LoginModeLevel, 2, QString(), QStringLiteral("set")), CredentialOutcome::Accepted);
    // Level 0's password was tried with each of anna's: it waits, and once that has passed it opens
    // level 0 for nobody in particular.
    EXPECT_EQ(check(LoginModeOperator, 0, anna, QStringLiteral("KWB_Merlato")), CredentialOutcome::LockedOut);
    now = now.addSecs(61);
    EXPECT_EQ(check(LoginModeOperator, 0, anna, QStringLiteral("KWB_Merlato")), CredentialOutcome::Accepted);
    EXPECT_EQ(login->CurrentLevel()->ID(), 0);
    EXPECT_TRUE(login->CurrentOperator()->OperatorNameText().isEmpty());
    EXPECT_EQ(refused.size(), 4);
}

// Another panel renumbers the levels between the login's read of its operator and of that operator's
// level: the login still reaches the level the operator had when it began.
TEST_P(ComponentPlaces, ALoginReadsItsOperatorAndItsLevelAtOneMoment) {
    auto login = standardLevels();
    zav::test::FaultyEngine engine;
    int elsewhere = -1; // what the other panel's change met
    engine.beforeRecordset = [&](const QString& sql) {
        if (elsewhere == -1 && sql.startsWith(QStringLiteral("Select * from Levels where ID"))) {
            elsewhere = 0;
            // Guest gains the desktop right and moves above Setter, whose number passes to another level.
            std::thread([&] {
                auto desktop = Class_LevelEnable::create();
                desktop->setAllowDesktop(true);
                elsewhere = zav::store::test::errorNumberOf([&] {
                    zav::manage::StoreLevelRights(env.dbPath(), 3, QStringLiteral("Guest"), *desktop);
                });
            }).join();
        }
    };
    EXPECT_EQ(check(LoginModeOperator, 0, QStringLiteral("O'Anna"), QStringLiteral("aPw")),
              CredentialOutcome::Accepted);
    EXPECT_EQ(login->CurrentLevel()->DBLevelName(), QStringLiteral("Setter"));
    // The engines differ in how: on the file the reading login holds writers off, so the other panel's
    // change waits out the busy time and is refused as locked; on the server the login reads one
    // snapshot and the change goes through beside it.
    EXPECT_EQ(elsewhere, GetParam() == Place::File ? zav::store::ErrLocked : 0);
}

// Another panel's wrong passwords lock the entry after the check read it and before it is recorded: the
// right password typed meanwhile is refused, and the lock stays.
TEST_P(ComponentPlaces, ALockSetWhileALoginIsInFlightHolds) {
    auto login = standardLevels();
    zav::manage::SetPolicyEntry(env.dbPath(), QStringLiteral("lockout-attempts"), QStringLiteral("2"));
    zav::manage::SetPolicyEntry(env.dbPath(), QStringLiteral("lockout-minutes"), QStringLiteral("0"));
    const zav::manage::LockoutEntry anna{zav::manage::LockoutKind::Operator, QStringLiteral("O'Anna")};
    ASSERT_EQ(check(LoginModeOperator, 0, anna.name, QStringLiteral("bad")),
              CredentialOutcome::WrongPassword);
    zav::test::FaultyEngine engine;
    bool elsewhere = false;
    engine.beforeOpen = [&](zav::store::OpenMode mode) {
        if (!elsewhere && mode == zav::store::OpenMode::SharedReadWrite) {
            elsewhere = true; // the login's write is next: another panel fails first
            std::thread([&] {
                zav::manage::RecordFailedLogin(env.dbPath(), zav::manage::AttemptAgainst(anna),
                                               zav::manage::ReadPolicy(env.dbPath()));
            }).join();
        }
    };
    EXPECT_EQ(check(LoginModeOperator, 0, anna.name, QStringLiteral("aPw")), CredentialOutcome::LockedOut);
    EXPECT_TRUE(elsewhere);
    EXPECT_EQ(login->CurrentLevel()->ID(), 3);
    EXPECT_TRUE(zav::manage::ReadLockStateUnderPolicy(env.dbPath(), anna)->locked);
}

// Four panels guess one operator's password at once: in all, exactly lockout-attempts failures count
// before the lock, every later guess is answered "locked", and so is the right password afterwards.
TEST_P(ComponentPlaces, FourPanelsGuessingAtOnceGetNoMoreTriesThanTheLockoutAllows) {
    auto login = standardLevels();
    for (const auto& [key, value] :
         {std::pair{"audit", "on"}, {"lockout-attempts", "3"}, {"lockout-minutes", "0"}}) {
        zav::manage::SetPolicyEntry(env.dbPath(), QLatin1String(key), QLatin1String(value));
    }
    std::vector<std::unique_ptr<QProcess>> panels;
    for (int i = 0; i < 4; ++i) {
        auto& panel = panels.emplace_back(std::make_unique<QProcess>());
        panel->start(QStringLiteral(ZAV_LOGIN_GUESSER),
                     {env.dbPath(), QStringLiteral("O'Anna"), QStringLiteral("wrong"), QStringLiteral("6")});
        ASSERT_TRUE(panel->waitForReadyRead(30000));
        ASSERT_EQ(panel->readLine().trimmed(), QByteArray("ready"));
    }
    for (auto& panel : panels) {
        panel->write("go\n");
        panel->closeWriteChannel();
    }
    QMap<QString, int> answers; // outcome -> how often
    for (auto& panel : panels) {
        ASSERT_TRUE(panel->waitForFinished(60000));
        for (const QByteArray& line : panel->readAllStandardOutput().split('\n')) {
            if (!line.isEmpty()) {
                ++answers[QString::fromUtf8(line)];
            }
        }
    }
    const QString wrong = QString::number(int(CredentialOutcome::WrongPassword));
    const QString locked = QString::number(int(CredentialOutcome::LockedOut));
    EXPECT_EQ(answers, (QMap<QString, int>{{wrong, 2}, {locked, 22}}));
    const QString entry = QStringLiteral("Select * from Lockout where Kind = 'operator'");
    EXPECT_EQ(env.value(entry, QStringLiteral("Failures")).toInt(), 3);
    EXPECT_TRUE(env.value(entry, QStringLiteral("Locked")).toBool());
    int counted = 0, locks = 0; // the trail's wrong passwords and lockouts; the rest were "locked out"
    for (const auto& row : zav::manage::ReadAuditRows(env.dbPath())) {
        counted +=
            row.event == QStringLiteral("login-failed") && row.detail.contains(QStringLiteral(", wrong"));
        locks += row.event == QStringLiteral("lockout");
    }
    EXPECT_TRUE(counted == 3 && locks == 1) << counted << " wrong passwords, " << locks << " lockouts";
    EXPECT_EQ(check(LoginModeOperator, 0, QStringLiteral("O'Anna"), QStringLiteral("aPw")),
              CredentialOutcome::LockedOut);
}

// A logout always happens, also while another process holds the database alone: the logout level read
// last is in force with its rights, the desktop follows them and the host hears it. Its audit row is
// written once the database can be reached, and the real logout level is read again then.
void expectLogoutWhileUnreachable(ZAV_Login& login, ComponentEnvironment& env,
                                  const std::function<void()>& takeAway,
                                  const std::function<void()>& bringBack) {
    zav::manage::SetPolicyEntry(env.dbPath(), QStringLiteral("audit"), QStringLiteral("on"));
    int loggedOut = 0;
    QObject::connect(&login, &ZAV_Login::loggedOut, [&loggedOut] { ++loggedOut; });
    ASSERT_EQ(zav::CheckCredentials(LoginModeLevel, 1, QString(), QString()), CredentialOutcome::Accepted);
    env.addLevel(4, QStringLiteral("Visitor"), QVariant()); // the logout level the component has not read
    env.shell->clear();
    takeAway();
    EXPECT_TRUE(login.Logout());
    EXPECT_EQ(login.CurrentLevel()->DBLevelName(), QStringLiteral("Guest"));
    EXPECT_FALSE(login.CurrentLevel()->cLevelEnable()->AllowManageLevel());
    EXPECT_TRUE(login.IsLogoutLevel());
    EXPECT_TRUE(login.CurrentOperator()->OperatorNameText().isEmpty());
    EXPECT_EQ(env.shell->calls(), QStringList{QStringLiteral("HideShell")});
    EXPECT_EQ(loggedOut, 1);
    bringBack();
    // The server lets go of a lock of a process that ended, and takes connections again, a moment later.
    for (int tries = 0; tries < 100 && zav::store::test::errorNumberOf(
                                           [&] { env.count(QStringLiteral("Select * from Levels")); }) != 0;
         ++tries) {
        QThread::msleep(50);
    }
    EXPECT_TRUE(login.Logout());
    EXPECT_EQ(login.CurrentLevel()->DBLevelName(), QStringLiteral("Visitor"));
    const auto trail = zav::manage::ReadAuditRows(env.dbPath());
    ASSERT_FALSE(trail.empty());
    EXPECT_EQ(trail.back().event, QStringLiteral("logout"));
    EXPECT_EQ(trail.back().level, QStringLiteral("|1"));
    EXPECT_TRUE(trail.back().detail.startsWith(QStringLiteral("by request, at ")) &&
                trail.back().detail.endsWith(QStringLiteral("recorded late")))
        << trail.back().detail.toStdString();
    EXPECT_EQ(loggedOut, 1);
}

TEST_P(ComponentPlaces, ALogoutAlwaysHappensEvenWhileTheDatabaseIsHeldElsewhere) {
    auto login = standardLevels();
    std::unique_ptr<zav::store::test::Helper> holder;
    expectLogoutWhileUnreachable(
        *login, env,
        [&] {
            holder = std::make_unique<zav::store::test::Helper>(
                QStringList{QStringLiteral("hold"), env.dbPath(), QStringLiteral("exclusive")});
            ASSERT_EQ(holder->firstLine(), QStringLiteral("open"));
        },
        [&] { holder.reset(); });
}

TEST(ComponentOnAServer, ALogoutAlwaysHappensEvenWithTheServerDown) {
    zav::store::test::PrivateServer server;
    ASSERT_FALSE(server.uri().isEmpty());
    ComponentEnvironment env{true, server.uri()};
    auto login = env.createComponent();
    env.addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"));
    env.addLevel(3, QStringLiteral("Guest"), QVariant());
    ASSERT_TRUE(login->Logout());
    expectLogoutWhileUnreachable(
        *login, env, [&] { ASSERT_TRUE(server.run(QStringLiteral("pause"))); },
        [&] { ASSERT_TRUE(server.run(QStringLiteral("resume"))); });
}

// A server that stops answering holds the screen no longer than its deadline (connect_timeout=1): a timer
// measures the event loop's longest pause while the component reads and logs out, one call per turn.
TEST(ComponentOnAServer, AServerThatStopsAnsweringNeverFreezesTheScreen) {
    int argc = 1;
    char name[] = "component_object";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv); // the event loop the watchdog measures
    zav::store::test::PrivateServer server;
    ASSERT_FALSE(server.uri().isEmpty());
    zav::store::test::ServerRelay relay(server.folder());
    ComponentEnvironment env{true, relay.through(server.uri()) + QStringLiteral("&connect_timeout=1")};
    auto login = env.createComponent();
    zav::manage::SetPolicyEntry(env.dbPath(), QStringLiteral("audit"),
                                QStringLiteral("on")); // a logout writes
    ASSERT_TRUE(login->Logout());
    relay.setMode(zav::store::test::ServerRelay::Mode::Silent);
    QElapsedTimer sinceTick;
    qint64 longestPause = 0;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout,
                     [&] { longestPause = std::max(longestPause, sinceTick.restart()); });
    std::vector<int> numbers;
    QEventLoop loop;
    const std::function<void()> calls[] = {
        [&] { numbers.push_back(zav::store::test::errorNumberOf([&] { login->HaveOperators(); })); },
        [&] { numbers.push_back(zav::store::test::errorNumberOf([&] { login->HaveLevels(); })); },
        [&] { EXPECT_TRUE(login->Logout()); }, // a logout never fails for the database
        [&] { loop.quit(); },
    };
    int next = 0;
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout, [&] { calls[next++](); });
    sinceTick.start();
    watchdog.start(5);
    turns.start(100);
    loop.exec();
    EXPECT_EQ(numbers, (std::vector<int>{zav::store::ErrDiskOrNetwork, zav::store::ErrDiskOrNetwork}));
    EXPECT_LT(longestPause, 1500);
    EXPECT_GT(longestPause, 900); // the watchdog did see the calls wait
}

INSTANTIATE_TEST_SUITE_P(Places, ComponentPlaces, ::testing::Values(Place::File, Place::Server),
                         zav::store::test::placeName);

// The termination's decisions, level by level.
class Termination : public Component {
protected:
    std::shared_ptr<ZAV_Login> loginWithLevel(bool disShutDown, bool desktop, bool autoShutDown) {
        auto login = env.createComponent();
        login->CurrentLevel()->cLevelEnable()->setDisShutDown(disShutDown);
        login->CurrentLevel()->cLevelEnable()->setAllowDesktop(desktop);
        login->setAutoShutDown(autoShutDown);
        env.shell->clear();
        env.messages.clear();
        return login;
    }
};

TEST_F(Termination, OnlyAutoShutDownWithoutDisShutDownShutsDownAndALevelWithoutDesktopIsNotAsked) {
    const QStringList shown{QStringLiteral("ShowShell")};
    for (const auto& [disShutDown, autoShutDown, calls] : std::vector<std::tuple<bool, bool, QStringList>>{
             {false, true, shown + QStringList{"EnableShutdownPrivilege", "ExitWindows 1"}},
             {false, false, shown},
             {true, true, shown}}) {
        loginWithLevel(disShutDown, false, autoShutDown).reset();
        EXPECT_TRUE(env.messages.isEmpty());
        EXPECT_EQ(env.shell->calls(), calls) << disShutDown << autoShutDown;
        EXPECT_EQ(zav::ModuleComponent(), nullptr);
    }
}

TEST_F(Termination, ALevelWithDesktopIsAskedFirstAndOnlyOnce) {
    auto login = loginWithLevel(false, true, true);
    env.answer = [](const zav::test::ShownMessage&) { return zav::vbNo; };
    EXPECT_FALSE(login->Terminate().isValid());
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0].text, QStringLiteral("Automatic shut down?"));
    EXPECT_EQ(env.messages[0].title, QStringLiteral("Confirm"));
    EXPECT_EQ(env.messages[0].style, 4 + 32);
    EXPECT_EQ(env.shell->calls(), QStringList{QStringLiteral("ShowShell")});
    EXPECT_FALSE(login->cDrvLanguage());
    login.reset();
    EXPECT_EQ(env.messages.size(), 1) << "release after Terminate asks nothing";

    auto again = loginWithLevel(false, true, true);
    again->setDisShutDownDescription(QStringLiteral("Switch off"));
    env.answer = [](const zav::test::ShownMessage&) { return zav::vbYes; };
    again.reset();
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0].text, QStringLiteral("Switch off?"));
    EXPECT_TRUE(env.shell->calls().contains(QStringLiteral("ExitWindows 1")));
}

TEST_F(Termination, EndingAnOlderComponentLeavesTheNewerOneInPlace) {
    auto older = loginWithLevel(true, true, true);
    auto newer = ZAV_Login::create();
    older->Terminate();
    older.reset();
    EXPECT_EQ(zav::ModuleComponent(), newer);
}

} // namespace
