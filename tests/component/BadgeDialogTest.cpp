// Badges through the dialogs: a reader's burst in the login dialog against a person's typing, the PIN pad
// after a badge with a PIN, and the badge prompt of the management window.

#include "component/Frm_Login.h"
#include "dialogs/Frm_Badge.h"
#include "dialogs/Frm_Manage.h"
#include "dialogs/Frm_Pin.h"
#include "operations/LevelOperations.h"
#include "operations/Policy.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QtTest>

using namespace zav::test;
using zav::Frm_Login;
using zav::manage::Frm_Badge;
using zav::manage::LoginMethod;

namespace {
// Keys `stepMs` apart by the events' stamps, then Enter, sent at once into the dialog's focus widget: a
// reader at 5 ms, or a person's typing delivered late in one go.
void keys(QWidget* dialog, const QString& text, int stepMs) {
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    ulong stamp = 1000;
    for (const QChar c : text + u'\r') {
        const bool enter = c == u'\r';
        QKeyEvent key(QEvent::KeyPress, enter ? int(Qt::Key_Return) : int(c.toUpper().unicode()),
                      Qt::NoModifier, QString(c));
        key.setTimestamp(stamp += stepMs);
        QApplication::sendEvent(QApplication::focusWidget(), &key);
    }
}

void answerPin(
    const QString& pin, const std::function<void()>& then = [] {}) {
    whenModal<zav::Frm_Pin>([pin, then](zav::Frm_Pin* pad) {
        type(pad, "Text_Pin", pin);
        click(pad, "Cmd_Ok");
        then();
    });
}

// The management window, noting the enabled items of a menu instead of showing it.
class MenuNotingManage : public zav::manage::Frm_Manage {
public:
    QStringList offered;

protected:
    void ShowPopupMenu(QMenu* menu) override {
        offered.clear();
        for (const QAction* action : menu->actions()) {
            offered << (action->isEnabled() ? action->objectName() : QString());
        }
    }
};
} // namespace

class BadgeDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir keyFolder;
    std::unique_ptr<ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::unique_ptr<ModalWatchdog> watchdog;

    QStringList messages() const {
        QStringList texts;
        for (const ShownMessage& message : env->messages) {
            texts << message.text;
        }
        return texts;
    }

private Q_SLOTS:
    void initTestCase() {
        zav::manage::CreateBadgeKey(keyFolder.filePath("badge.key"));
        qputenv("ZAV_BADGE_KEY_FILE", keyFolder.filePath("badge.key").toLocal8Bit());
    }
    void init() {
        env = std::make_unique<ComponentEnvironment>(true);
        login = env->createComponent();
        env->addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"));
        env->addOperator(QStringLiteral("anna"), QStringLiteral("anna-pw"), 2);
        env->addOperator(QStringLiteral("bob"), QStringLiteral("bob-pw"), 2);
        login->Logout();
        zav::manage::SetPolicyEntry(env->dbPath(), "badge-login", "on");
        watchdog = std::make_unique<ModalWatchdog>(10000);
    }
    void cleanup() {
        watchdog.reset();
        login.reset();
        env.reset();
    }

    void aReadersBurstLogsInAndLandsInNoBoxWhileAPersonsTypingStaysTyping() {
        zav::manage::SetBadge(env->dbPath(), "anna", "0012345678", LoginMethod::Badge);
        QString left = QStringLiteral("still open");
        whenModal<Frm_Login>([&](Frm_Login* d) {
            auto* box = control<QLineEdit>(d, "Text1");
            box->setFocus();
            QTest::keyClicks(box, QStringLiteral("12"), Qt::NoModifier, 100); // a person: 100 ms a key
            QTRY_COMPARE(box->text(), QStringLiteral("12"));
            keys(d, QStringLiteral("3456"), 100);
            QCOMPARE(box->text(), QStringLiteral("123456"));
            QVERIFY(!box->hasFocus()); // Enter moved on, as ever
            box->clear();
            box->setFocus();
            connect(d, &QDialog::finished,
                    [&, d, box] { left = box->text() + control<QComboBox>(d, "Cbo_Login")->currentText(); });
            keys(d, QStringLiteral("12345678"), 5);
        });
        QVERIFY(login->LoginByOperator());
        QCOMPARE(left, QString());
        QCOMPARE(login->CurrentOperator()->OperatorNameText(), QStringLiteral("anna"));
    }

    void aBadgeWithAPinOpensOnlyWithThatPin() {
        zav::manage::SetBadge(env->dbPath(), "bob", "C0FFEE", LoginMethod::BadgeAndPin, "4321");
        whenModal<Frm_Login>([&](Frm_Login* d) {
            answerPin(QStringLiteral("1111"), [&, d] {
                whenModal<Frm_Login>([&](Frm_Login* again) {
                    answerPin(QStringLiteral("4321"));
                    keys(again, QStringLiteral("c0ffee"), 5);
                });
            });
            keys(d, QStringLiteral("C0FFEE"), 5);
        });
        QVERIFY(login->LoginByOperator());
        QCOMPARE(messages(), QStringList{QStringLiteral("Wrong PIN")});
        QCOMPARE(login->CurrentOperator()->OperatorNameText(), QStringLiteral("bob"));
    }

    void theManagerGivesABadgeFromTheOperatorMenuWhileThePolicyTakesBadges() {
        MenuNotingManage window;
        window.cOwnerLevel = Class_Level::create();
        zav::manage::LoadLevel(env->dbPath(), 0, *window.cOwnerLevel);
        window.show();
        auto* levels = control<QTreeWidget>(&window, "Lv_Level");
        levels->setCurrentItem(levels->findItems(QStringLiteral("Setter"), Qt::MatchExactly).value(0));
        auto* operators = control<QTreeWidget>(&window, "LV_Operator");
        for (const bool on : {false, true}) {
            zav::manage::SetPolicyEntry(env->dbPath(), "badge-login", on ? "on" : "off");
            operators->setCurrentItem(operators->topLevelItem(on ? 0 : 1));
            window.LV_Operator_MouseUp(2, 0, 0, 0);
            QCOMPARE(window.offered.contains(QStringLiteral("OpBadge")), on);
        }
        // anna: a PIN too short is told, the next one is stored with the badge; bob cannot have it too.
        for (const char* name : {"Opt_BadgeAndPin", "Opt_Badge"}) {
            whenModal<Frm_Badge>([name](Frm_Badge* d) {
                click(d, name);
                type(d, "Text_Badge", QStringLiteral("777001"));
                answerPin(QStringLiteral("12"), [d] { answerPin(QStringLiteral("2468")); });
                click(d, "Cmd_Ok");
                click(d, "Cmd_Ok");
                d->reject();
            });
            window.OpBadge_Click();
            operators->setCurrentItem(operators->topLevelItem(1));
        }
        QCOMPARE(messages(),
                 (QStringList{"A PIN has at least 4 digits.", "Another operator has this badge."}));
        const auto methods = zav::manage::ReadLoginMethods(env->dbPath());
        QVERIFY(methods.size() == 1 && methods.at("anna") == LoginMethod::BadgeAndPin);
    }
};

QTEST_MAIN(BadgeDialogTest)
#include "BadgeDialogTest.moc"
