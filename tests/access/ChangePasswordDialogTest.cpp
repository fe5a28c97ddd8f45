// The password change dialog driven as a user would, for levels and operators.

#include "dialogs/Frm_ChangePwd.h"
#include "operations/PasswordHashing.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QtTest>

using zav::Frm_ChangePwd;
using namespace zav::test;

namespace {

// Fills the three boxes (the current one only when it may be typed into).
void fill(Frm_ChangePwd* d, const QString& old, const QString& pwd, const QString& confirm) {
    if (control(d, "Text_OldPWD")->isEnabled()) {
        type(d, "Text_OldPWD", old);
    }
    type(d, "Text_Pwd", pwd);
    type(d, "Text_Confirm", confirm);
}

} // namespace

class ChangePasswordDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::unique_ptr<ModalWatchdog> watchdog;

    std::shared_ptr<Class_Level> level(int id, const QString& password) {
        auto l = Class_Level::create();
        l->setID(id);
        l->setLevelName("Setter");
        l->setDBLevelName("Setter");
        l->setPassword(password);
        return l;
    }
    // The stored password of the row `where` names: "Levels where ID = 2".
    QString stored(const QString& where) { return env->value("Select * from " + where, "PWD").toString(); }

private Q_SLOTS:
    void init() {
        env = std::make_unique<ComponentEnvironment>(false);
        login = env->createComponent();
        env->addLevel(2, "Setter", "abc");
        watchdog = std::make_unique<ModalWatchdog>(20000);
    }
    void cleanup() {
        watchdog.reset();
        login.reset();
        env.reset();
    }

    void theCurrentPasswordMustMatchUnlessLockedAndTheConfirmationAlways() {
        auto l = level(2, "abc");
        QStringList seen;
        QString confirmAfter = "unset";
        bool focusOnNew = false;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, "ABC", "x", "x");
            answerNextMessage(seen);
            click(d, "Cmd_Ok"); // letter case matters
            fill(d, "abc", "new1", "new2");
            answerNextMessage(seen);
            d->activateWindow();
            click(d, "Cmd_Ok");
            confirmAfter = control<QLineEdit>(d, "Text_Confirm")->text();
            focusOnNew = d->focusWidget() == control<QLineEdit>(d, "Text_Pwd");
            click(d, "Cmd_Undo");
        });
        QVERIFY(!l->ChangePassword());
        QCOMPARE(seen, (QStringList{QStringLiteral("Warning: Wrong password"), "Warning: Wrong Confirm"}));
        QVERIFY(confirmAfter.isEmpty() && focusOnNew);
        QVERIFY(l->Password() == "abc" && stored("Levels where ID = 2") == "abc");

        // Locked, the current password is shown, cannot be edited, and passes at once.
        QString shown, caption;
        bool editable = true;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            const auto* old = control<QLineEdit>(d, "Text_OldPWD");
            shown = old->text();
            editable = old->isEnabled() && !old->isReadOnly();
            caption = d->windowTitle();
            fill(d, QString(), "new1", "new1");
            click(d, "Cmd_Ok");
        });
        QVERIFY(l->ChangePassword(true));
        QVERIFY(shown == "abc" && !editable);
        QCOMPARE(caption, QStringLiteral("Change Password - Setter"));
        QVERIFY(l->Password() == "new1" && stored("Levels where ID = 2") == "new1");
    }

    void aLevelRenumberedElsewhereIsNotWritten() {
        env->addLevel(3, "Other", "zzz");
        auto l = level(2, "abc"); // read before Setter and Other swap numbers
        for (const char* swap : {"9 where ID = 2", "2 where ID = 3", "3 where ID = 9"}) {
            env->execute("Update Levels set ID = " + QLatin1String(swap));
        }
        QStringList seen;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, QString(), "new", "new");
            answerNextMessage(seen);
            click(d, "Cmd_Ok");
        });
        QVERIFY(!l->ChangePassword(true));
        QCOMPARE(seen, QStringList{QStringLiteral("Login: The level was changed elsewhere.")});
        QVERIFY(l->Password() == "abc" && env->count("Select * from Levels where PWD = 'new'") == 0);
    }

    // Under hashed storage the current password is checked through its hash; the object takes the new hash.
    void hashedStorageChecksAndStoresHashes() {
        zav::manage::SetPolicyEntry(env->dbPath(), "password-storage", "hashed");
        const QString hash = stored("Levels where ID = 2");
        auto l = level(2, hash);
        QStringList seen;
        bool refused = false;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, hash, "new1", "new1");
            answerNextMessage(seen);
            click(d, "Cmd_Ok"); // the hash is no password
            refused = d->isVisible();
            fill(d, "abc", "new1", "new1");
            click(d, "Cmd_Ok");
        });
        QVERIFY(l->ChangePassword() && refused);
        QCOMPARE(seen, QStringList{QStringLiteral("Warning: Wrong password")});
        QCOMPARE(l->Password(), stored("Levels where ID = 2"));
        QVERIFY(zav::manage::IsPasswordHash(l->Password()) &&
                zav::manage::PasswordMatches("new1", l->Password(), zav::manage::PasswordStorage::Hashed));
    }

    // Each rule of the policy, worded in the current language; the dialog stays open for another try. Only
    // the operator named, through quoting, gets the new password.
    void thePolicyRefusesWeakPasswordsAndSaysWhy() {
        for (const char* key : {"password-require-digit", "password-require-letter"}) {
            zav::manage::SetPolicyEntry(env->dbPath(), QLatin1String(key), "on");
        }
        zav::manage::SetPolicyEntry(env->dbPath(), "password-min-length", "6");
        env->addOperator("O'Day", "a1", 2);
        env->addOperator("Other", "keep", 2);
        auto op = Class_Operator::create();
        op->setOperatorName("O'Day");
        op->setPassword("a1");
        login->cDrvLanguage()->setCurrentLanguage("Deutsch");
        QStringList seen;
        QString caption;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            caption = d->windowTitle();
            for (const char* password : {"O'DAY", "kwb_merlato", "1234567", "secret7"}) {
                fill(d, "a1", QLatin1String(password), QLatin1String(password));
                answerNextMessage(seen);
                d->activateWindow();
                click(d, "Cmd_Ok");
            }
        });
        QVERIFY(op->ChangePassword());
        login->cDrvLanguage()->setCurrentLanguage("English");
        QVERIFY2(caption.endsWith(QStringLiteral(" - O'Day")), qPrintable(caption));
        const QString refused = "Warnung: Das neue Passwort erfüllt die Passwortregeln nicht:\n";
        QCOMPARE(seen,
                 (QStringList{refused + QStringLiteral("Es braucht mindestens 6 Zeichen.\nEs braucht eine "
                                                       "Ziffer.\nEs darf nicht der Name sein."),
                              refused + QStringLiteral("Es braucht eine Ziffer.\nEs darf nicht der feste "
                                                       "Schlüssel der Datenbank sein."),
                              refused + "Es braucht einen Buchstaben."}));
        QVERIFY(op->Password() == "secret7" && stored("Operators where Name = 'O''Day'") == "secret7");
        QCOMPARE(stored("Operators where Name = 'Other'"), QStringLiteral("keep"));
    }
};

QTEST_MAIN(ChangePasswordDialogTest)
#include "ChangePasswordDialogTest.moc"
