// The login dialog driven as a user would: lists, passwords, the top password, touch-screen layout,
// the keyboard and the failure paths.

#include "base/Twips.h"
#include "component/Frm_Login.h"
#include "language/CurrentLanguageProvider.h"
#include "language/FakeLanguageProvider.h"
#include "outside/OutsideObjects.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using zav::Frm_Login;
using zav::test::ComponentEnvironment;
using zav::test::whenModal;

namespace {

const QString TopPassword = QStringLiteral("KWB_Merlato");

struct Seen {
    QStringList texts;
    QStringList titles;
    QList<QMessageBox::Icon> icons;
};

// Closes the next message box, noting what it said.
void answerNextMessage(Seen& seen) {
    whenModal<QMessageBox>([&seen](QMessageBox* box) {
        seen.texts << box->text();
        seen.titles << box->windowTitle();
        seen.icons << box->icon();
        box->accept();
    });
}

QComboBox* list(Frm_Login* d) {
    return d->findChild<QComboBox*>(QStringLiteral("Cbo_Login"));
}
QLineEdit* password(Frm_Login* d) {
    return d->findChild<QLineEdit*>(QStringLiteral("Text1"));
}
QPushButton* button(Frm_Login* d, const char* name) {
    return d->findChild<QPushButton*>(QLatin1String(name));
}

QStringList entries(QComboBox* box) {
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
    std::unique_ptr<zav::test::ModalWatchdog> watchdog;

    // Levels 0 to 3 (3 is the logout level) and two operators.
    void standardLevels() {
        env->addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"), true);
        env->addLevel(3, QStringLiteral("Guest"), QVariant());
        env->addOperator(QStringLiteral("Anna"), QStringLiteral("aPw"), 2);
        env->addOperator(QStringLiteral("Bert"), QVariant(), 1);
        login->Logout();
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<ComponentEnvironment>(false);
        login = env->createComponent();
        zav::Mod_Globali().loginTopPassword.clear();
        watchdog = std::make_unique<zav::test::ModalWatchdog>(20000);
    }
    void cleanup() {
        watchdog.reset();
        login.reset();
        env.reset();
    }

    void levelListSkipsTheLogoutLevelAndLevelZero() {
        standardLevels();
        QStringList shown;
        bool enabled = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            shown = entries(list(d));
            enabled = list(d)->isEnabled() && button(d, "Cmd_Ok")->isEnabled();
            QCOMPARE(list(d)->currentIndex(), -1);
            QCOMPARE(d->windowTitle(), QStringLiteral("Login"));
            button(d, "Cmd_Undo")->click();
        });
        QVERIFY(!login->LoginByLevel());
        QCOMPARE(shown, (QStringList{QStringLiteral("Setter=2"), QStringLiteral("Operator=1")}));
        QVERIFY(enabled);
        QCOMPARE(zav::Mod_Globali().loginTopPassword, TopPassword);
    }

    void operatorListIsGroupedByLevelFromTheLargest() {
        standardLevels();
        env->addOperator(QStringLiteral("Zoe"), QVariant(), 3);
        env->addOperator(QStringLiteral("carl"), QVariant(), 2);
        QStringList shown;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            shown = entries(list(d));
            d->reject();
        });
        QVERIFY(!login->LoginByOperator());
        QCOMPARE(shown, (QStringList{QStringLiteral("Zoe=3"), QStringLiteral("Anna=2"),
                                     QStringLiteral("carl=2"), QStringLiteral("Bert=1")}));
    }

    void rightPasswordLogsTheOperatorIn() {
        standardLevels();
        auto held = login->CurrentLevel();
        whenModal<Frm_Login>([&](Frm_Login* d) {
            list(d)->setCurrentIndex(list(d)->findText(QStringLiteral("Anna")));
            QTest::keyClicks(password(d), QStringLiteral("aPw"));
            button(d, "Cmd_Ok")->click();
        });
        env->shell->clear();
        QVERIFY(login->LoginByOperator());
        QCOMPARE(login->CurrentOperator()->OperatorName().toString(), QStringLiteral("Anna"));
        QCOMPARE(login->CurrentOperator()->Password(), QStringLiteral("aPw"));
        QCOMPARE(login->CurrentOperator()->cLevel(), login->CurrentLevel());
        QCOMPARE(login->CurrentLevel(), held); // rewritten in place: the host's reference follows
        QCOMPARE(held->ID(), 2);
        QCOMPARE(held->LevelName(), QStringLiteral("Setter"));
        QCOMPARE(held->Password(), QStringLiteral("set"));
        QVERIFY(held->CanHavePassword());
        QVERIFY(!login->IsLogoutLevel());
        QCOMPARE(env->shell->calls(), QStringList{QStringLiteral("ShowShell")});
    }

    void wrongOrCaseDifferingPasswordKeepsTheDialogOpen() {
        standardLevels();
        auto before = login->CurrentOperator();
        Seen seen;
        bool stillOpen = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            list(d)->setCurrentIndex(list(d)->findText(QStringLiteral("Anna")));
            QTest::keyClicks(password(d), QStringLiteral("APW"));
            answerNextMessage(seen);
            button(d, "Cmd_Ok")->click();
            stillOpen = d->isVisible() && password(d)->text() == QStringLiteral("APW");
            QCOMPARE(login->CurrentLevel()->ID(), 3);
            button(d, "Cmd_Undo")->click();
        });
        QVERIFY(!login->LoginByOperator());
        QVERIFY(stillOpen);
        QCOMPARE(seen.texts, QStringList{QStringLiteral("Wrong password")});
        QCOMPARE(seen.titles, QStringList{QStringLiteral("Warning")});
        QCOMPARE(seen.icons.value(0), QMessageBox::Warning);
        QCOMPARE(login->CurrentOperator(), before);
    }

    void nullPasswordAcceptsOnlyAnEmptyBox() {
        standardLevels();
        Seen seen;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            list(d)->setCurrentIndex(list(d)->findText(QStringLiteral("Bert")));
            QTest::keyClicks(password(d), QStringLiteral(" "));
            answerNextMessage(seen);
            button(d, "Cmd_Ok")->click();
            password(d)->clear();
            button(d, "Cmd_Ok")->click();
        });
        QVERIFY(login->LoginByOperator());
        QCOMPARE(seen.texts.size(), 1);
        QCOMPARE(login->CurrentLevel()->ID(), 1);
        QVERIFY(login->CurrentOperator()->Password().isEmpty());
    }

    void topPasswordFallsThroughToLevelZero() {
        standardLevels();
        QString text;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            QTest::keyClicks(password(d), TopPassword);
            button(d, "Cmd_Ok")->click();
        });
        zav::Class_Par par;
        par.LoginMode = zav::LoginModeLevel;
        Frm_Login::Run(par);
        QVERIFY(par.Result);
        QCOMPARE(par.Text, QStringLiteral("Operator")); // the last entry was selected on the way
        QCOMPARE(login->CurrentLevel()->ID(), 0);
        QVERIFY(login->CurrentLevel()->CanHavePassword());
        QVERIFY(login->CurrentOperator()->OperatorNameText().isEmpty());
    }

    void topPasswordInOperatorModeNeedsAnEarlierLevelLogin() {
        standardLevels();
        Seen seen;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            list(d)->setCurrentIndex(list(d)->findText(QStringLiteral("Anna")));
            QTest::keyClicks(password(d), TopPassword);
            answerNextMessage(seen);
            button(d, "Cmd_Ok")->click();
            d->reject();
        });
        QVERIFY(!login->LoginByOperator());
        QCOMPARE(seen.texts, QStringList{QStringLiteral("Wrong password")});

        whenModal<Frm_Login>([&](Frm_Login* d) { d->reject(); });
        QVERIFY(!login->LoginByLevel()); // the level list remembers level 0's password
        whenModal<Frm_Login>([&](Frm_Login* d) {
            list(d)->setCurrentIndex(list(d)->findText(QStringLiteral("Anna")));
            QTest::keyClicks(password(d), TopPassword);
            button(d, "Cmd_Ok")->click();
        });
        QVERIFY(login->LoginByOperator());
        QCOMPARE(login->CurrentLevel()->ID(), 0);
        QCOMPARE(login->CurrentOperator()->OperatorName().toString(), QStringLiteral("Anna"));
    }

    void topPasswordWithoutLevelZeroFails() {
        standardLevels();
        whenModal<Frm_Login>([&](Frm_Login* d) { d->reject(); });
        QVERIFY(!login->LoginByLevel());
        env->execute(QStringLiteral("Delete * from Levels where ID = 0"));
        bool stillOpen = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            list(d)->setCurrentIndex(list(d)->findText(QStringLiteral("Anna")));
            QTest::keyClicks(password(d), TopPassword);
            button(d, "Cmd_Ok")->click(); // no message: the attempt simply fails
            stillOpen = d->isVisible();
            d->reject();
        });
        QVERIFY(!login->LoginByOperator());
        QVERIFY(stillOpen);
        QCOMPARE(login->CurrentLevel()->ID(), 3);
    }

    void anyFailureOfTheCheckIsShownAndTheDialogStaysOpen() {
        if (!zav::test::InChild()) {
            QVERIFY(zav::test::RanCleanlyInChild(QTest::currentTestFunction()));
            return;
        }
        standardLevels();
        auto language = std::make_shared<zav::test::FakeLanguageProvider>();
        zav::language::setLanguageProvider(language);
        login->CurrentLevel()->setcLevelEnable(nullptr); // a script host assigned Nothing
        Seen seen;
        bool stillOpen = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            list(d)->setCurrentIndex(list(d)->findText(QStringLiteral("Anna")));
            QTest::keyClicks(password(d), QStringLiteral("aPw"));
            answerNextMessage(seen);
            button(d, "Cmd_Ok")->click();
            language->failingPlainly = true; // "Wrong password" cannot be looked up
            QTest::keyClicks(password(d), QStringLiteral("x"));
            answerNextMessage(seen);
            button(d, "Cmd_Ok")->click();
            stillOpen = d->isVisible();
            d->reject();
        });
        QVERIFY(!login->LoginByOperator());
        zav::language::setLanguageProvider(nullptr);
        QVERIFY(stillOpen);
        QCOMPARE(seen.texts, (QStringList{QStringLiteral("Object variable or With block variable not set"),
                                          QStringLiteral("The language provider failed.")}));
        QCOMPARE(seen.titles, (QStringList{QStringLiteral("Login"), QStringLiteral("Login")}));
        QCOMPARE(login->CurrentLevel()->ID(), 3);
    }

    void singleLevelGivesAnEmptyEnabledList() {
        env->execute(QStringLiteral("Delete * from Levels where ID = 0"));
        bool enabled = false;
        int count = -1;
        bool focusOnList = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            enabled = list(d)->isEnabled();
            count = list(d)->count();
            d->activateWindow();
            button(d, "Cmd_Ok")->click();
            focusOnList = d->focusWidget() == list(d);
            d->reject();
        });
        QVERIFY(!login->LoginByLevel());
        QVERIFY(enabled);
        QCOMPARE(count, 0);
        QVERIFY(focusOnList);
    }

    void levelZeroAndTheLogoutLevelOnlyOffersNoLevelLogin() {
        env->addOperator(QStringLiteral("Anna"), QStringLiteral("a"), 1);
        bool stillOpen = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            QCOMPARE(list(d)->count(), 0);
            QTest::keyClicks(password(d), TopPassword);
            button(d, "Cmd_Ok")->click();
            stillOpen = d->isVisible();
            d->reject();
        });
        QVERIFY(!login->LoginByLevel());
        QVERIFY(stillOpen);
        whenModal<Frm_Login>([&](Frm_Login* d) {
            list(d)->setCurrentIndex(0);
            QTest::keyClicks(password(d), QStringLiteral("a"));
            button(d, "Cmd_Ok")->click();
        });
        QVERIFY(login->LoginByOperator());
    }

    void emptyDatabaseOrUnreadableListLeavesOnlyCancel() {
        bool disabled = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            disabled = !list(d)->isEnabled() && !button(d, "Cmd_Ok")->isEnabled();
            d->reject();
        });
        QVERIFY(!login->LoginByOperator()); // no operators at all
        QVERIFY(disabled);

        login->setcRespEnable(Class_LevelEnable::create());
        login->setDbPath(env->path(QStringLiteral("gone.db")));
        QFile::remove(env->path(QStringLiteral("gone.db")));
        Seen seen;
        answerNextMessage(seen); // the failure while loading the list
        whenModal<Frm_Login>([&](Frm_Login* d) {
            disabled = !list(d)->isEnabled() && list(d)->count() == 0 && !button(d, "Cmd_Ok")->isEnabled();
            d->reject();
        });
        QVERIFY(!login->LoginByOperator());
        QVERIFY(disabled);
        QCOMPARE(seen.titles, QStringList{QStringLiteral("Login")});
    }

    void enterMovesTheFocusOn() {
        standardLevels();
        QWidget* focusAfterEnter = nullptr;
        bool open = false;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            d->activateWindow();
            password(d)->setFocus();
            QTest::keyClick(password(d), Qt::Key_Return);
            focusAfterEnter = d->focusWidget();
            open = d->isVisible();
            focusAfterEnter = focusAfterEnter == button(d, "Cmd_Ok") ? focusAfterEnter : nullptr;
            d->reject();
        });
        QVERIFY(!login->LoginByLevel());
        QVERIFY(open);
        QVERIFY(focusAfterEnter != nullptr);
    }

    void keyboardOnlyInTouchScreenMode() {
        standardLevels();
        QStringList shownFor;
        zav::outside::setScreenKeyboardFactory([&shownFor] {
            struct Recorder : zav::outside::ScreenKeyboard {
                QStringList* log;
                explicit Recorder(QStringList* l) : log(l) {}
                QVariant ShowFor(QWidget* box) override {
                    *log << box->objectName();
                    static_cast<QLineEdit*>(box)->setText(QStringLiteral("set"));
                    return {};
                }
            };
            return std::make_unique<Recorder>(&shownFor);
        });
        whenModal<Frm_Login>([&](Frm_Login* d) {
            QTest::mouseClick(password(d), Qt::LeftButton);
            QTest::qWait(50);
            d->reject();
        });
        QVERIFY(!login->LoginByLevel());
        QVERIFY(shownFor.isEmpty());

        login->setIsTouchScreen(true);
        whenModal<Frm_Login>([&](Frm_Login* d) {
            QTest::mouseClick(password(d), Qt::LeftButton);
            QTest::mouseClick(password(d), Qt::LeftButton);
            QTest::qWait(50); // the keyboard opens once the click has been handled
            list(d)->setCurrentIndex(list(d)->findText(QStringLiteral("Setter")));
            button(d, "Cmd_Ok")->click(); // the keyboard typed the password into the box
        });
        QVERIFY(login->LoginByLevel());
        QCOMPARE(shownFor, (QStringList{QStringLiteral("Text1"), QStringLiteral("Text1")}));
        zav::outside::setScreenKeyboardFactory(nullptr);
    }

    void touchScreenEnlargesTheDialog() {
        standardLevels();
        login->setIsTouchScreen(true);
        QSize normal;
        whenModal<Frm_Login>([&](Frm_Login* d) {
            QComboBox* cbo = list(d);
            QLineEdit* text = password(d);
            QCOMPARE(cbo->font().pointSize(), 18);
            QCOMPARE(text->font().pointSize(), 18);
            QCOMPARE(text->height(), cbo->height());
            QVERIFY(qAbs(text->y() - (cbo->y() + cbo->height() + zav::TwipsToPixelsY(60, d))) <= 1);
            QWidget* image = d->findChild<QWidget*>(QStringLiteral("Image1"));
            QVERIFY(qAbs(image->y() - (text->y() + text->height() + zav::TwipsToPixelsY(120, d))) <= 1);
            QVERIFY(qAbs(button(d, "Cmd_Ok")->y() -
                         (image->y() + image->height() + zav::TwipsToPixelsY(180, d))) <= 1);
            QCOMPARE(button(d, "Cmd_Undo")->y(), button(d, "Cmd_Ok")->y());
            QVERIFY(!d->findChild<QFrame*>(QStringLiteral("Shape1"))->isVisible());
            QVERIFY(button(d, "Cmd_Ok")->geometry().bottom() < d->height());
            d->reject();
        });
        QVERIFY(!login->LoginByLevel());
    }
};

QTEST_MAIN(LoginDialogTest)
#include "LoginDialogTest.moc"
