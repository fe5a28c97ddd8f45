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
        l->setLevelName(QStringLiteral("Setter"));
        l->setDBLevelName(QStringLiteral("Setter"));
        l->setPassword(password);
        return l;
    }
    QString storedLevelPassword(int id) {
        return env->value(QStringLiteral("Select * from Levels where ID = %1").arg(id), QStringLiteral("PWD"))
            .toString();
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<ComponentEnvironment>(false);
        login = env->createComponent();
        env->addLevel(2, QStringLiteral("Setter"), QStringLiteral("abc"));
        watchdog = std::make_unique<ModalWatchdog>(20000);
    }
    void cleanup() {
        watchdog.reset();
        login.reset();
        env.reset();
    }

    void lockedOldPasswordIsShownAndPassesAtOnce() {
        auto l = level(2, QStringLiteral("abc"));
        QString shown;
        bool editable = true;
        QString caption;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            shown = control<QLineEdit>(d, "Text_OldPWD")->text();
            editable = control<QLineEdit>(d, "Text_OldPWD")->isEnabled() &&
                       !control<QLineEdit>(d, "Text_OldPWD")->isReadOnly();
            caption = d->windowTitle();
            fill(d, QString(), QStringLiteral("new1"), QStringLiteral("new1"));
            click(d, "Cmd_Ok");
        });
        QVERIFY(l->ChangePassword(true));
        QCOMPARE(shown, QStringLiteral("abc"));
        QVERIFY(!editable);
        QCOMPARE(caption, QStringLiteral("Change Password - Setter"));
        QCOMPARE(l->Password(), QStringLiteral("new1"));
        QCOMPARE(storedLevelPassword(2), QStringLiteral("new1"));
    }

    void wrongCurrentPasswordAndWrongConfirmationAreRefused() {
        auto l = level(2, QStringLiteral("abc"));
        QStringList seen;
        QString confirmAfter = QStringLiteral("unset");
        bool focusOnNew = false;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, QStringLiteral("ABC"), QStringLiteral("x"), QStringLiteral("x"));
            answerNextMessage(seen);
            click(d, "Cmd_Ok"); // letter case matters
            fill(d, QStringLiteral("abc"), QStringLiteral("new1"), QStringLiteral("new2"));
            answerNextMessage(seen);
            d->activateWindow();
            click(d, "Cmd_Ok");
            confirmAfter = control<QLineEdit>(d, "Text_Confirm")->text();
            focusOnNew = d->focusWidget() == control<QLineEdit>(d, "Text_Pwd");
            click(d, "Cmd_Undo");
        });
        QVERIFY(!l->ChangePassword());
        QCOMPARE(seen, (QStringList{QStringLiteral("Warning: Wrong password"),
                                    QStringLiteral("Warning: Wrong Confirm")}));
        QVERIFY(confirmAfter.isEmpty());
        QVERIFY(focusOnNew);
        QCOMPARE(l->Password(), QStringLiteral("abc"));
        QCOMPARE(storedLevelPassword(2), QStringLiteral("abc"));
    }

    void aLevelRenumberedElsewhereIsNotWritten() {
        env->addLevel(3, QStringLiteral("Other"), QStringLiteral("zzz"));
        const std::vector<std::pair<int, int>> swaps{{2, 9}, {3, 2}, {9, 3}}; // Setter 3, Other 2
        for (const bool lowerNumberLeftEmpty : {false, true}) {
            auto l = level(2, QStringLiteral("abc")); // read before the renumbering
            for (const auto& [from, to] : swaps) {
                env->execute(QStringLiteral("Update Levels set ID = %1 where ID = %2").arg(to).arg(from));
            }
            if (lowerNumberLeftEmpty) {
                env->execute(QStringLiteral("Update Levels set ID = 5 where ID = 2")); // Other 5
            }
            QStringList seen;
            whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
                fill(d, QString(), QStringLiteral("new"), QStringLiteral("new"));
                answerNextMessage(seen);
                click(d, "Cmd_Ok");
            });
            QVERIFY(!l->ChangePassword(true));
            QCOMPARE(seen, QStringList{QStringLiteral("Login: The level was changed elsewhere.")});
            QCOMPARE(l->Password(), QStringLiteral("abc"));
            QCOMPARE(env->count(QStringLiteral("Select * from Levels where PWD = 'new'")), 0);
            for (const auto* restore :
                 {"7 where Name = 'Other'", "2 where Name = 'Setter'", "3 where ID = 7"}) {
                env->execute(QStringLiteral("Update Levels set ID = ") + QLatin1String(restore));
            }
        }
    }

    void anOperatorIsFoundByItsNameOnlyThroughQuoting() {
        env->addOperator(QStringLiteral("O'Brien"), QStringLiteral("o1"), 2);
        env->addOperator(QStringLiteral("Other"), QStringLiteral("keep"), 2);
        auto op = Class_Operator::create();
        op->setOperatorName(QStringLiteral("O'Brien"));
        op->setPassword(QStringLiteral("o1"));
        QString caption;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            caption = d->windowTitle();
            fill(d, QStringLiteral("o1"), QStringLiteral("o2"), QStringLiteral("o2"));
            click(d, "Cmd_Ok");
        });
        QVERIFY(op->ChangePassword());
        QCOMPARE(caption, QStringLiteral("Change Password - O'Brien"));
        QCOMPARE(env->value(QStringLiteral("Select * from Operators where Name = 'O''Brien'"),
                            QStringLiteral("PWD"))
                     .toString(),
                 QStringLiteral("o2"));
        QCOMPARE(
            env->value(QStringLiteral("Select * from Operators where Name = 'Other'"), QStringLiteral("PWD"))
                .toString(),
            QStringLiteral("keep"));
    }

    // Under hashed storage the current password is checked through its hash, and the object takes the
    // new hash, never the typed text.
    void hashedStorageChecksAndStoresHashes() {
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("password-storage"),
                                    QStringLiteral("hashed"));
        const QString hash = storedLevelPassword(2);
        auto l = level(2, hash);
        QStringList seen;
        bool refused = false;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, hash, QStringLiteral("new1"), QStringLiteral("new1"));
            answerNextMessage(seen);
            click(d, "Cmd_Ok"); // the hash is no password
            refused = d->isVisible();
            fill(d, QStringLiteral("abc"), QStringLiteral("new1"), QStringLiteral("new1"));
            click(d, "Cmd_Ok");
        });
        QVERIFY(l->ChangePassword());
        QVERIFY(refused);
        QCOMPARE(seen, QStringList{QStringLiteral("Warning: Wrong password")});
        QCOMPARE(l->Password(), storedLevelPassword(2));
        QVERIFY(zav::manage::IsPasswordHash(l->Password()) &&
                zav::manage::PasswordMatches(QStringLiteral("new1"), l->Password(),
                                             zav::manage::PasswordStorage::Hashed));
    }

    // Each rule of the policy, worded in the current language; the dialog stays open for another try.
    void thePolicyRefusesWeakPasswordsAndSaysWhy() {
        for (const char* key : {"password-require-digit", "password-require-letter"}) {
            zav::manage::SetPolicyEntry(env->dbPath(), QLatin1String(key), QStringLiteral("on"));
        }
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("password-min-length"),
                                    QStringLiteral("6"));
        env->addOperator(QStringLiteral("anna"), QStringLiteral("a1"), 2);
        auto op = Class_Operator::create();
        op->setOperatorName(QStringLiteral("anna"));
        op->setPassword(QStringLiteral("a1"));
        login->cDrvLanguage()->setCurrentLanguage(QStringLiteral("Deutsch"));
        QStringList seen;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            for (const char* password : {"ANNA", "kwb_merlato", "1234567", "secret7"}) {
                fill(d, QStringLiteral("a1"), QLatin1String(password), QLatin1String(password));
                answerNextMessage(seen);
                d->activateWindow();
                click(d, "Cmd_Ok");
            }
        });
        QVERIFY(op->ChangePassword());
        login->cDrvLanguage()->setCurrentLanguage(QStringLiteral("English"));
        const QString refused =
            QStringLiteral("Warnung: Das neue Passwort erfüllt die Passwortregeln nicht:\n");
        QCOMPARE(seen,
                 (QStringList{refused + QStringLiteral("Es braucht mindestens 6 Zeichen.\nEs braucht eine "
                                                       "Ziffer.\nEs darf nicht der Name sein."),
                              refused + QStringLiteral("Es braucht eine Ziffer.\nEs darf nicht der feste "
                                                       "Schlüssel der Datenbank sein."),
                              refused + QStringLiteral("Es braucht einen Buchstaben.")}));
        QCOMPARE(op->Password(), QStringLiteral("secret7"));
        QCOMPARE(
            env->value(QStringLiteral("Select * from Operators where Name = 'anna'"), QStringLiteral("PWD"))
                .toString(),
            QStringLiteral("secret7"));
    }
};

QTEST_MAIN(ChangePasswordDialogTest)
#include "ChangePasswordDialogTest.moc"
