// The demo panel driven offscreen through its buttons: the login dialog, the management window, the
// password dialog, logout and quit, checked against what the window shows, the credential file and the
// recorded desktop and shutdown calls.

#include "PanelWindow.h"

#include "component/Frm_Login.h"
#include "dialogs/Frm_ChangePwd.h"
#include "dialogs/Frm_Manage.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using zav::panel::PanelOptions;
using zav::panel::PanelWindow;
using zav::test::ComponentEnvironment;
using zav::test::whenModal;

namespace {

QPushButton* button(PanelWindow& w, const char* name) {
    return w.findChild<QPushButton*>(QLatin1String(name));
}
QString text(PanelWindow& w, const char* name) {
    return w.findChild<QLabel*>(QLatin1String(name))->text();
}

// "caption=1" for a granted right, "caption=0" otherwise, in list order.
QStringList rights(PanelWindow& w) {
    const auto* list = w.findChild<QListWidget*>(QStringLiteral("RightsList"));
    QStringList result;
    for (int i = 0; i < list->count(); ++i) {
        result << list->item(i)->text() + (list->item(i)->checkState() == Qt::Checked ? "=1" : "=0");
    }
    return result;
}

QStringList enabledButtons(PanelWindow& w) {
    QStringList result;
    for (const char* name : {"LoginByOperatorButton", "LoginByLevelButton", "LogoutButton", "ManageButton",
                             "ChangePasswordButton", "QuitButton"}) {
        if (button(w, name)->isEnabled()) {
            result << QString::fromLatin1(name);
        }
    }
    return result;
}

// Chooses `entry` in the open login dialog, types `password` and presses OK.
void logInWith(zav::Frm_Login* dialog, const QString& entry, const QString& password) {
    auto* list = dialog->findChild<QComboBox*>(QStringLiteral("Cbo_Login"));
    list->setCurrentIndex(list->findText(entry));
    dialog->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(password);
    dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
}

const QStringList AllButtons = {"LoginByOperatorButton", "LoginByLevelButton",   "LogoutButton",
                                "ManageButton",          "ChangePasswordButton", "QuitButton"};
const QStringList LoggedOutButtons = {"LoginByOperatorButton", "LoginByLevelButton", "QuitButton"};

} // namespace

class PanelWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ComponentEnvironment> env;
    std::unique_ptr<zav::test::ModalWatchdog> watchdog;

    PanelOptions options() const {
        PanelOptions o;
        o.dbPath = env->dbPath();
        return o;
    }
    // A database whose logout level is "Guest" (ID 2: no rights, no desktop, no password), so that the
    // built-in level 1 can be chosen in the login list.
    void prepareGuestLevel() {
        env->createComponent().reset();
        env->addLevel(2, QStringLiteral("Guest"), QVariant());
        env->shell->clear();
    }
    QString storedPassword(const QString& sql) { return env->value(sql, QStringLiteral("PWD")).toString(); }

private Q_SLOTS:
    void init() {
        env = std::make_unique<ComponentEnvironment>();
        env->markGrantsDone();
        watchdog = std::make_unique<zav::test::ModalWatchdog>(20000);
    }
    void cleanup() {
        watchdog.reset();
        env.reset();
        // The language choice is kept per thread: later tests expect the built-in English.
        auto language = Class_Language::create();
        language->setDbLanguagePath(QString());
        language->setCurrentLanguage(QStringLiteral("English"));
    }

    void firstRunSaysHowToGetIn() {
        QVERIFY(!QFile::exists(env->dbPath()));
        {
            PanelWindow window(options());
            window.show();
            QVERIFY(QFile::exists(env->dbPath()));
            QVERIFY(window.findChild<QLabel*>(QStringLiteral("FirstRunHint"))->isVisible());
            const QString hint = text(window, "FirstRunHint");
            QVERIFY2(hint.contains(QStringLiteral("\"Operator\" (ID 1)")) &&
                         hint.contains(QStringLiteral("no password")),
                     qPrintable(hint));
            QCOMPARE(text(window, "LevelLabel"), QStringLiteral("Level: Operator (ID 1)"));
            QCOMPARE(text(window, "OperatorLabel"), QStringLiteral("Operator: (none)"));
            QVERIFY(text(window, "LogoutLevelLabel").contains(QStringLiteral("yes")));
            // The built-in level 1 holds every right but is exempt from the automatic shutdown; the six
            // custom rights carry the panel's captions.
            QCOMPARE(rights(window),
                     (QStringList{"Allow Manage Levels=1", "Allow Manage Operators=1",
                                  "Automatic shut down=0", "Show Desktop=1", "Start and stop the machine=1",
                                  "Edit recipes=1", "Change tool offsets=1", "Acknowledge alarms=1",
                                  "Export production data=1", "Service mode=1"}));
            QCOMPARE(enabledButtons(window), (QStringList{"LoginByOperatorButton", "LoginByLevelButton",
                                                          "ManageButton", "QuitButton"}));
            QVERIFY(!window.component()->IsTouchScreen());
            QVERIFY(!window.component()->AutoShutDown());

            // A level added below while the window is open: after the next dialog the window says that
            // level 1 is no longer what a logout puts in force, and Log out leaves the level with every
            // right.
            env->addLevel(2, QStringLiteral("Guest"), QVariant());
            whenModal<zav::manage::Frm_Manage>([](zav::manage::Frm_Manage* m) {
                m->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
            });
            button(window, "ManageButton")->click();
            QVERIFY(!window.findChild<QLabel*>(QStringLiteral("FirstRunHint"))->isVisible());
            QVERIFY2(text(window, "LogoutLevelLabel").contains(QStringLiteral("log out to put level 2")),
                     qPrintable(text(window, "LogoutLevelLabel")));
            QVERIFY(button(window, "LogoutButton")->isEnabled());
            button(window, "LogoutButton")->click();
            QCOMPARE(text(window, "LevelLabel"), QStringLiteral("Level: Guest (ID 2)"));
            QCOMPARE(enabledButtons(window), LoggedOutButtons);
        }
        {
            // A folder the panel makes for the credentials is its owner's alone.
            PanelOptions elsewhere = options();
            elsewhere.dbPath = env->path(QStringLiteral("new/login.db"));
            PanelWindow window(elsewhere);
            QCOMPARE(QFileInfo(env->path(QStringLiteral("new"))).permissions() &
                         (QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther),
                     QFileDevice::Permissions());
        }
        PanelWindow again(options());
        again.show();
        QVERIFY(!again.findChild<QLabel*>(QStringLiteral("FirstRunHint"))->isVisible());
        QCOMPARE(rights(again).size(), 10);
        QVERIFY(env->messages.isEmpty());
    }

    void loginByLevelManageLogoutAndQuit() {
        prepareGuestLevel();
        PanelWindow window(options());
        window.show();
        QCOMPARE(text(window, "LevelLabel"), QStringLiteral("Level: Guest (ID 2)"));
        QCOMPARE(enabledButtons(window), LoggedOutButtons);
        QVERIFY(rights(window).contains(QStringLiteral("Allow Manage Levels=0")));
        QCOMPARE(env->shell->calls(), QStringList{QStringLiteral("HideShell")});

        QStringList offered;
        whenModal<zav::Frm_Login>([&](zav::Frm_Login* d) {
            const auto* list = d->findChild<QComboBox*>(QStringLiteral("Cbo_Login"));
            for (int i = 0; i < list->count(); ++i) {
                offered << list->itemText(i);
            }
            logInWith(d, QStringLiteral("Operator"), QString());
        });
        button(window, "LoginByLevelButton")->click();
        QCOMPARE(offered, QStringList{QStringLiteral("Operator")});
        QCOMPARE(text(window, "LevelLabel"), QStringLiteral("Level: Operator (ID 1)"));
        QCOMPARE(text(window, "OperatorLabel"), QStringLiteral("Operator: (none)"));
        QCOMPARE(text(window, "LogoutLevelLabel"), QStringLiteral("Logout level: no"));
        QCOMPARE(text(window, "StatusLabel"), QStringLiteral("Logged in."));
        QVERIFY(rights(window).contains(QStringLiteral("Allow Manage Levels=1")));
        QCOMPARE(enabledButtons(window), AllButtons);
        QCOMPARE(env->shell->calls().last(), QStringLiteral("ShowShell"));

        QStringList managedLevels;
        whenModal<zav::manage::Frm_Manage>([&](zav::manage::Frm_Manage* m) {
            const auto* levels = m->findChild<QTreeWidget*>(QStringLiteral("Lv_Level"));
            for (int i = 0; i < levels->topLevelItemCount(); ++i) {
                managedLevels << levels->topLevelItem(i)->text(0);
            }
            m->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
        });
        button(window, "ManageButton")->click();
        QCOMPARE(managedLevels, QStringList{QStringLiteral("Guest")});
        QCOMPARE(text(window, "StatusLabel"), QStringLiteral("Management window closed."));

        button(window, "LogoutButton")->click();
        QCOMPARE(text(window, "LevelLabel"), QStringLiteral("Level: Guest (ID 2)"));
        QCOMPARE(enabledButtons(window), LoggedOutButtons);
        QCOMPARE(env->shell->calls().last(), QStringLiteral("HideShell"));

        // Guest is a level the automatic shutdown applies to, without a question: only --auto-shutdown may
        // let quitting reach it.
        button(window, "QuitButton")->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(env->shell->calls().last(), QStringLiteral("ShowShell"));
        QVERIFY(!env->shell->calls().join(u' ').contains(QStringLiteral("ExitWindows")));
        QVERIFY(!window.component()->cDrvLanguage()); // the component has terminated
        QCOMPARE(enabledButtons(window), QStringList{QStringLiteral("QuitButton")});
        QVERIFY(env->messages.isEmpty());
    }

    void quittingWithAutoShutdownShutsDown() {
        prepareGuestLevel();
        PanelOptions o = options();
        o.autoShutDown = true;
        PanelWindow window(o);
        window.show();
        window.close();
        QCOMPARE(env->shell->calls(),
                 (QStringList{"HideShell", "ShowShell", "EnableShutdownPrivilege", "ExitWindows 1"}));
    }

    void changePasswordChangesTheOperatorsOrTheLevels() {
        prepareGuestLevel();
        env->addOperator(QStringLiteral("anna"), QStringLiteral("pw"), 1);
        PanelWindow window(options());
        window.show();

        whenModal<zav::Frm_Login>([&](zav::Frm_Login* d) {
            logInWith(d, QStringLiteral("anna"), QStringLiteral("PW")); // refused: letter case counts
            logInWith(d, QStringLiteral("anna"), QStringLiteral("pw"));
        });
        button(window, "LoginByOperatorButton")->click();
        QCOMPARE(env->messages.size(), 1);
        QCOMPARE(env->messages[0].text, QStringLiteral("Wrong password"));
        QCOMPARE(text(window, "OperatorLabel"), QStringLiteral("Operator: anna"));
        QCOMPARE(text(window, "LevelLabel"), QStringLiteral("Level: Operator (ID 1)"));

        const auto changeTo = [](const QString& old, const QString& fresh) {
            whenModal<zav::Frm_ChangePwd>([=](zav::Frm_ChangePwd* d) {
                d->findChild<QLineEdit*>(QStringLiteral("Text_OldPWD"))->setText(old);
                d->findChild<QLineEdit*>(QStringLiteral("Text_Pwd"))->setText(fresh);
                d->findChild<QLineEdit*>(QStringLiteral("Text_Confirm"))->setText(fresh);
                d->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
            });
        };
        changeTo(QStringLiteral("pw"), QStringLiteral("anna2"));
        button(window, "ChangePasswordButton")->click();
        QCOMPARE(text(window, "StatusLabel"), QStringLiteral("Password changed."));
        QCOMPARE(storedPassword(QStringLiteral("Select * from Operators where Name = 'anna'")),
                 QStringLiteral("anna2"));
        QVERIFY(storedPassword(QStringLiteral("Select * from Levels where ID = 1")).isEmpty());

        // Logged in by level, the level's password is the one to change.
        button(window, "LogoutButton")->click();
        QVERIFY(!button(window, "ChangePasswordButton")->isEnabled());
        whenModal<zav::Frm_Login>(
            [&](zav::Frm_Login* d) { logInWith(d, QStringLiteral("Operator"), QString()); });
        button(window, "LoginByLevelButton")->click();
        QCOMPARE(text(window, "OperatorLabel"), QStringLiteral("Operator: (none)"));
        changeTo(QString(), QStringLiteral("level1"));
        button(window, "ChangePasswordButton")->click();
        QCOMPARE(storedPassword(QStringLiteral("Select * from Levels where ID = 1")),
                 QStringLiteral("level1"));
        QCOMPARE(storedPassword(QStringLiteral("Select * from Operators where Name = 'anna'")),
                 QStringLiteral("anna2"));
    }

    void hostSettingsReachTheComponent() {
        QTemporaryDir languages;
        QFile file(languages.filePath(QStringLiteral("suomi.lang")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xEF\xBB\xBF# Finnish\nlanguage = Suomi, fi\n101 = K\xC3\xA4ytt\xC3\xA4j\xC3\xA4\n");
        file.close();

        PanelOptions o = options();
        o.touch = true;
        o.enableCount = 2;
        o.languageFile = file.fileName();
        PanelWindow window(o);
        QVERIFY(window.component()->IsTouchScreen());
        QCOMPARE(window.component()->EnableCount(), 2);
        QCOMPARE(window.component()->cDrvLanguage()->CurrentLanguage(), QStringLiteral("Suomi"));
        QCOMPARE(text(window, "LevelLabel"), QStringLiteral("Level: Käyttäjä (ID 1)"));
        QCOMPARE(rights(window).size(), 4 + 2);
        QCOMPARE(rights(window).last(), QStringLiteral("Edit recipes=1"));
    }

    void languageChoice() {
        PanelOptions o = options();
        o.language = QStringLiteral("de");
        {
            PanelWindow window(o);
            QCOMPARE(text(window, "LevelLabel"), QStringLiteral("Level: Bediener (ID 1)"));
        }
        // A language that is not on offer stops the start before the database is touched.
        QFile::remove(env->dbPath());
        o.language = QStringLiteral("Klingon");
        try {
            PanelWindow window(o);
            QFAIL("an unknown language was accepted");
        } catch (const AutomationError& e) {
            QCOMPARE(e.Number(), 5);
        }
        QVERIFY(!QFile::exists(env->dbPath()));
    }

    void unreadableDatabaseLeavesOnlyQuit() {
        QFile junk(env->dbPath());
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        PanelWindow window(options());
        window.show();
        QCOMPARE(env->messages.size(), 1); // the component's own report
        QVERIFY(env->messages[0].title.startsWith(QStringLiteral("ZAV_MLORVATO")));
        QCOMPARE(enabledButtons(window), QStringList{QStringLiteral("QuitButton")});
        QVERIFY(text(window, "StatusLabel").contains(QStringLiteral("could not be opened")));
        QVERIFY(rights(window).isEmpty());
        button(window, "QuitButton")->click();
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(PanelWindowTest)
#include "PanelWindowTest.moc"
