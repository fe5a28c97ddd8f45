// The password change dialog driven as a user would, for levels and operators.

#include "dialogs/Frm_ChangePwd.h"
#include "language/CurrentLanguageProvider.h"
#include "language/FakeLanguageProvider.h"
#include "outside/OutsideObjects.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using zav::Frm_ChangePwd;
using zav::test::ComponentEnvironment;
using zav::test::whenModal;

namespace {

QLineEdit* box(Frm_ChangePwd* d, const char* name) {
    return d->findChild<QLineEdit*>(QLatin1String(name));
}
void clickOk(Frm_ChangePwd* d) {
    d->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"))->click();
}

void fill(Frm_ChangePwd* d, const QString& old, const QString& pwd, const QString& confirm) {
    if (box(d, "Text_OldPWD")->isEnabled()) {
        box(d, "Text_OldPWD")->setText(old);
    }
    box(d, "Text_Pwd")->setText(pwd);
    box(d, "Text_Confirm")->setText(confirm);
}

// Closes the next message box and returns "title: text" through `seen`.
void answerNextMessage(QStringList& seen) {
    whenModal<QMessageBox>([&seen](QMessageBox* m) {
        seen << m->windowTitle() + QStringLiteral(": ") + m->text();
        m->accept();
    });
}

} // namespace

class ChangePasswordDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::unique_ptr<zav::test::ModalWatchdog> watchdog;

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
        watchdog = std::make_unique<zav::test::ModalWatchdog>(20000);
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
            shown = box(d, "Text_OldPWD")->text();
            editable = box(d, "Text_OldPWD")->isEnabled() && !box(d, "Text_OldPWD")->isReadOnly();
            caption = d->windowTitle();
            fill(d, QString(), QStringLiteral("new1"), QStringLiteral("new1"));
            clickOk(d);
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
            clickOk(d); // letter case matters
            fill(d, QStringLiteral("abc"), QStringLiteral("new1"), QStringLiteral("new2"));
            answerNextMessage(seen);
            d->activateWindow();
            clickOk(d);
            confirmAfter = box(d, "Text_Confirm")->text();
            focusOnNew = d->focusWidget() == box(d, "Text_Pwd");
            d->findChild<QPushButton*>(QStringLiteral("Cmd_Undo"))->click();
        });
        QVERIFY(!l->ChangePassword());
        QCOMPARE(seen, (QStringList{QStringLiteral("Warning: Wrong password"),
                                    QStringLiteral("Warning: Wrong Confirm")}));
        QVERIFY(confirmAfter.isEmpty());
        QVERIFY(focusOnNew);
        QCOMPARE(l->Password(), QStringLiteral("abc"));
        QCOMPARE(storedLevelPassword(2), QStringLiteral("abc"));
    }

    void enterMovesTheFocusOnAndConfirmsNothing() {
        auto l = level(2, QStringLiteral("abc"));
        QWidget* focusAfterEnter = nullptr;
        bool open = false;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            d->activateWindow();
            box(d, "Text_OldPWD")->setFocus();
            QTest::keyClick(box(d, "Text_OldPWD"), Qt::Key_Return);
            focusAfterEnter = d->focusWidget() == box(d, "Text_Pwd") ? d->focusWidget() : nullptr;
            open = d->isVisible();
            d->reject();
        });
        QVERIFY(!l->ChangePassword());
        QVERIFY(open);
        QVERIFY(focusAfterEnter != nullptr);
    }

    void removingAPasswordNeedsTheLock() {
        auto l = level(2, QStringLiteral("abc"));
        bool stillOpen = false;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, QStringLiteral("abc"), QString(), QString());
            clickOk(d); // refused without a message
            stillOpen = d->isVisible();
            d->reject();
        });
        QVERIFY(!l->ChangePassword(false));
        QVERIFY(stillOpen);

        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, QString(), QString(), QString());
            clickOk(d);
        });
        QVERIFY(l->ChangePassword(true));
        QVERIFY(l->Password().isEmpty());
        QCOMPARE(storedLevelPassword(2), QString());
        QVERIFY(
            !env->value(QStringLiteral("Select * from Levels where ID = 2"), QStringLiteral("PWD")).isNull());
    }

    void aLevelWithoutPasswordAcceptsAnEmptyCurrentBox() {
        env->addLevel(4, QStringLiteral("Night"), QVariant());
        auto l = level(4, QString());
        l->setDBLevelName(QStringLiteral("Night"));
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, QString(), QStringLiteral("n"), QStringLiteral("n"));
            clickOk(d);
        });
        QVERIFY(l->ChangePassword());
        QCOMPARE(storedLevelPassword(4), QStringLiteral("n"));
    }

    void aMissingRowWritesNothingAndKeepsTheOldPassword() {
        auto l = level(9, QStringLiteral("abc"));
        l->setDBLevelName(QStringLiteral("Removed"));
        int boxes = 0;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, QString(), QStringLiteral("new"), QStringLiteral("new"));
            clickOk(d);
            const auto widgets = QApplication::topLevelWidgets();
            boxes = static_cast<int>(std::count_if(widgets.begin(), widgets.end(), [](QWidget* w) {
                return qobject_cast<QMessageBox*>(w) != nullptr && w->isVisible();
            }));
        });
        QVERIFY(!l->ChangePassword(true));
        QCOMPARE(boxes, 0);
        QCOMPARE(l->Password(), QStringLiteral("abc"));
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
                clickOk(d);
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

    void aFailedSaveIsReportedAndTheObjectKeepsThePasswordOfTheFile() {
        auto l = level(2, QStringLiteral("abc"));
        QStringList seen;
        std::shared_ptr<zav::store::Database> holder;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            fill(d, QString(), QStringLiteral("new"), QStringLiteral("new"));
            holder = env->open(zav::store::OpenMode::Exclusive); // someone else has the file
            answerNextMessage(seen);
            clickOk(d);
            holder.reset();
        });
        QVERIFY(!l->ChangePassword(true));
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen[0].startsWith(QStringLiteral("Login: ")));
        QCOMPARE(l->Password(), QStringLiteral("abc"));
        QCOMPARE(storedLevelPassword(2), QStringLiteral("abc"));
    }

    void aTextThatCannotBeLookedUpIsShownAndTheDialogStaysOpen() {
        if (!zav::test::InChild()) {
            QVERIFY(zav::test::RanCleanlyInChild(QTest::currentTestFunction()));
            return;
        }
        auto language = std::make_shared<zav::test::FakeLanguageProvider>();
        zav::language::setLanguageProvider(language);
        auto l = level(2, QStringLiteral("abc"));
        QStringList seen;
        bool stillOpen = false;
        whenModal<Frm_ChangePwd>([&](Frm_ChangePwd* d) {
            language->failing = true;
            fill(d, QStringLiteral("wrong"), QStringLiteral("new"), QStringLiteral("new"));
            answerNextMessage(seen);
            clickOk(d);
            stillOpen = d->isVisible();
            d->reject();
        });
        QVERIFY(!l->ChangePassword());
        zav::language::setLanguageProvider(nullptr);
        QVERIFY(stillOpen);
        QCOMPARE(seen, QStringList{QStringLiteral("ZAV_PrjLogin: ActiveX component can't create object")});
        QCOMPARE(storedLevelPassword(2), QStringLiteral("abc"));
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
            clickOk(d);
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
};

QTEST_MAIN(ChangePasswordDialogTest)
#include "ChangePasswordDialogTest.moc"
