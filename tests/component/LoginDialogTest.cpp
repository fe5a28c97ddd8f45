// The login dialog driven as a user would: lists, passwords, the top password, Enter and the failure
// paths.

#include "component/Frm_Login.h"
#include "operations/PasswordOperations.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"
#include <ZAV_PrjLogin/Class_Language.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QtTest>

using zav::Frm_Login;
using namespace zav::test;

namespace {

const QString TopPassword = QStringLiteral("KWB_Merlato");

// "text=level" for every entry of the list.
QStringList entries(const Frm_Login* d) {
    const auto* box = control<QComboBox>(d, "Cbo_Login");
    QStringList out;
    for (int i = 0; i < box->count(); ++i) {
        out << box->itemText(i) + QLatin1Char('=') + box->itemData(i).toString();
    }
    return out;
}

} // namespace

class LoginDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::unique_ptr<ModalWatchdog> watchdog;

    // Levels 0 to 3 (3 is the logout level) and two operators, one whose name holds an apostrophe.
    void standardLevels() {
        env->addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"), true);
        env->addLevel(3, QStringLiteral("Guest"), QVariant());
        env->addOperator(QStringLiteral("O'Anna"), QStringLiteral("aPw"), 2);
        env->addOperator(QStringLiteral("Bert"), QVariant(), 1);
        login->Logout();
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<ComponentEnvironment>(false);
        login = env->createComponent();
        watchdog = std::make_unique<ModalWatchdog>(20000);
    }
    void cleanup() {
        watchdog.reset();
        login.reset();
        env.reset();
    }

    // A question's buttons speak the operator's language too.
    void messageBoxButtonsFollowTheLanguage() {
        login->cDrvLanguage()->setCurrentLanguage(QStringLiteral("Deutsch"));
        QStringList captions;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons()) {
                captions << button->text();
            }
            box->button(QMessageBox::No)->click();
        });
        QCOMPARE(zav::MsgBox(QStringLiteral("?"), zav::vbYesNo | zav::vbQuestion), zav::vbNo);
        login->cDrvLanguage()->setCurrentLanguage(QStringLiteral("English"));
        captions.sort();
        QCOMPARE(captions, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein")}));
    }

    void listsSkipTheLogoutLevelAndLevelZeroAndGroupOperatorsFromTheLargestLevel() {
        standardLevels();
        env->addOperator(QStringLiteral("Zoe"), QVariant(), 3);
        env->addOperator(QStringLiteral("carl"), QVariant(), 2);
        QStringList levels, operators;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            levels = entries(d);
            QVERIFY(control(d, "Cbo_Login")->isEnabled() && control(d, "Cmd_Ok")->isEnabled());
            QCOMPARE(control<QComboBox>(d, "Cbo_Login")->currentIndex(), -1);
            QCOMPARE(d->windowTitle(), QStringLiteral("Login"));
            click(d, "Cmd_Undo");
        });
        QVERIFY(!login->LoginByLevel());
        QCOMPARE(levels, (QStringList{"Setter=2", "Operator=1"}));
        whenModal<Frm_Login>([&](Frm_Login* d) {
            operators = entries(d);
            d->reject();
        });
        QVERIFY(!login->LoginByOperator());
        QCOMPARE(operators, (QStringList{"Zoe=3", "carl=2", "O'Anna=2", "Bert=1"}));
    }

    void onlyTheExactPasswordLogsTheOperatorIn() {
        standardLevels();
        auto held = login->CurrentLevel();
        auto before = login->CurrentOperator();
        QStringList seen;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            choose(d, "Cbo_Login", QStringLiteral("O'Anna"));
            QTest::keyClicks(control(d, "Text1"), QStringLiteral("APW")); // letter case counts
            answerNextMessage(seen);
            click(d, "Cmd_Ok");
            QVERIFY(d->isVisible());
            QCOMPARE(control<QLineEdit>(d, "Text1")->text(), QStringLiteral("APW"));
            QCOMPARE(login->CurrentLevel()->ID(), 3);
            QCOMPARE(login->CurrentOperator(), before);
            type(d, "Text1", QStringLiteral("aPw"));
            click(d, "Cmd_Ok");
        });
        env->shell->clear();
        QVERIFY(login->LoginByOperator());
        QCOMPARE(seen, QStringList{QStringLiteral("Warning: Wrong password")});
        QCOMPARE(login->CurrentOperator()->OperatorName().toString(), QStringLiteral("O'Anna"));
        QCOMPARE(login->CurrentOperator()->Password(), QStringLiteral("aPw"));
        QCOMPARE(login->CurrentOperator()->cLevel(), login->CurrentLevel());
        QCOMPARE(login->CurrentLevel(), held); // rewritten in place: the host's reference follows
        QCOMPARE(held->ID(), 2);
        QCOMPARE(held->LevelName(), QStringLiteral("Setter"));
        QCOMPARE(held->Password(), QStringLiteral("set"));
        QCOMPARE(env->shell->calls(), QStringList{QStringLiteral("ShowShell")});
    }

    // Level 0's password is read at every try, never kept: changed elsewhere, the new one opens at once
    // and the old one no longer does; with nothing chosen or after another's name, by operator as by
    // level, on a thread where no login by level ran. It names nobody. Also once passwords are hashed.
    void topPasswordIsReadAtEveryTryAndNamesNobody() {
        standardLevels();
        QSignalSpy in(login.get(), &ZAV_Login::loggedIn), failed(login.get(), &ZAV_Login::loginFailed);
        QString old = TopPassword;
        for (const bool hashed : {false, true}) {
            if (hashed) {
                zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("password-storage"),
                                            QStringLiteral("hashed"));
            }
            QVERIFY(LogInThroughDialog(*login, false, QString(), {old}));
            QCOMPARE(login->CurrentLevel()->ID(), 0);
            QVERIFY(login->CurrentOperator()->OperatorNameText().isEmpty());
            login->Logout();
            const QString changed = old + QStringLiteral("+");
            zav::manage::StoreLevelPassword(env->dbPath(), 0, QStringLiteral("|0"), changed);
            QStringList seen;
            QVERIFY(LogInThroughDialog(*login, true, QString(), {old, changed}, &seen));
            QCOMPARE(seen, QStringList{QStringLiteral("Warning: Wrong password")});
            login->Logout();
            QVERIFY(LogInThroughDialog(*login, false, QStringLiteral("O'Anna"), {changed}));
            QCOMPARE(login->CurrentLevel()->ID(), 0);
            QVERIFY(login->CurrentOperator()->OperatorNameText().isEmpty());
            login->Logout();
            old = changed;
        }
        QCOMPARE(QList<QVariantList>(failed), (QList<QVariantList>{{QString(), 0}, {QString(), 0}}));
        QCOMPARE(in.size(), 6);
        for (const QVariantList& signal : QList<QVariantList>(in)) {
            QCOMPARE(signal, (QVariantList{QString(), 0}));
        }
    }

    // Each login is refused once first; a slot that throws changes nothing.
    void theHostHearsLoginsRefusalsAndLogoutsButNeverAPassword() {
        standardLevels();
        QSignalSpy in(login.get(), &ZAV_Login::loggedIn), out(login.get(), &ZAV_Login::loggedOut),
            failed(login.get(), &ZAV_Login::loginFailed);
        connect(login.get(), &ZAV_Login::loggedIn, [] { throw std::runtime_error("a host's fault"); });
        QStringList seen;
        const QString wrong = QStringLiteral("wrong");
        QVERIFY(LogInThroughDialog(*login, true, QStringLiteral("Setter"), {wrong, QStringLiteral("set")},
                                   &seen));
        login->Logout();
        login->Logout(); // already at the logout level: nothing to tell
        QVERIFY(LogInThroughDialog(*login, false, QStringLiteral("O'Anna"), {wrong, QStringLiteral("aPw")},
                                   &seen));
        login->Terminate();
        using R = ZAV_Login::LogoutReason;
        QCOMPARE(seen.size(), 2);
        QCOMPARE(QList<QVariantList>(failed), (QList<QVariantList>{{"Setter", 0}, {"O'Anna", 1}}));
        QCOMPARE(QList<QVariantList>(in), (QList<QVariantList>{{QString(), 2}, {"O'Anna", 2}}));
        QCOMPARE(QList<QVariantList>(out), (QList<QVariantList>{{QVariant::fromValue(R::ByRequest)},
                                                                {QVariant::fromValue(R::Terminated)}}));
    }

    void emptyDatabaseOrUnreadableListLeavesOnlyCancel() {
        const auto onlyCancel = [](const Frm_Login* d) {
            return !control(d, "Cbo_Login")->isEnabled() && !control(d, "Cmd_Ok")->isEnabled() &&
                   control<QComboBox>(d, "Cbo_Login")->count() == 0;
        };
        bool disabled = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            disabled = onlyCancel(d);
            d->reject();
        });
        QVERIFY(!login->LoginByOperator()); // no operators at all
        QVERIFY(disabled);

        login->setcRespEnable(Class_LevelEnable::create());
        login->setDbPath(env->path(QStringLiteral("gone.db")));
        QFile::remove(env->path(QStringLiteral("gone.db")));
        QStringList seen;
        answerNextMessage(seen); // the failure while loading the list
        whenModal<Frm_Login>([&](Frm_Login* d) {
            disabled = onlyCancel(d);
            d->reject();
        });
        QVERIFY(!login->LoginByOperator());
        QVERIFY(disabled);
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen[0].startsWith(QStringLiteral("Login: ")));
    }

    void enterMovesTheFocusOn() {
        standardLevels();
        bool movedToOk = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            d->activateWindow();
            control(d, "Text1")->setFocus();
            QTest::keyClick(control(d, "Text1"), Qt::Key_Return);
            movedToOk = d->isVisible() && d->focusWidget() == control(d, "Cmd_Ok");
            d->reject();
        });
        QVERIFY(!login->LoginByLevel());
        QVERIFY(movedToOk);
    }
};

QTEST_MAIN(LoginDialogTest)
#include "LoginDialogTest.moc"
