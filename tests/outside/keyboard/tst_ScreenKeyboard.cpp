#include "base/Mod_Globali.h"
#include "dialogs/KeyboardCall.h"
#include "outside/DefaultScreenKeyboard.h"
#include "outside/OutsideObjects.h"
#include "outside/ScreenKeyboardWidget.h"
#include "support/TestSupport.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QApplication>
#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

using zav::outside::ScreenKeyboard;
using zav::outside::ScreenKeyboardWidget;
using zav::test::whenModal;

namespace {

void press(QWidget* keyboard, const QString& name) {
    auto* key = keyboard->findChild<QPushButton*>(name);
    QVERIFY2(key, qPrintable(name));
    QVERIFY2(key->isVisible(), qPrintable(name + " is hidden"));
    QTest::mouseClick(key, Qt::LeftButton);
}

void pressAll(QWidget* keyboard, const QStringList& names) {
    for (const QString& name : names) {
        press(keyboard, name);
    }
}

QLineEdit* displayOf(QWidget* keyboard) {
    return keyboard->findChild<QLineEdit*>(QStringLiteral("Display"));
}

// Shows the default keyboard for `box` and presses `keys` on it (the last one should close it).
void typeOnKeyboard(QWidget* box, const QStringList& keys) {
    whenModal<ScreenKeyboardWidget>([keys](ScreenKeyboardWidget* keyboard) { pressAll(keyboard, keys); });
    zav::outside::makeDefaultScreenKeyboard()->ShowFor(box);
}

// How many keyboards went modal while `call` ran (each is cancelled at once).
int keyboardsShownBy(const std::function<void()>& call) {
    auto shown = std::make_shared<int>(0);
    whenModal<ScreenKeyboardWidget>(
        [shown](ScreenKeyboardWidget* keyboard) {
            ++*shown;
            keyboard->reject();
        },
        100);
    call();
    QTest::qWait(150);
    return *shown;
}

// A keyboard that records what happens to its instances.
struct FakeLog {
    int created = 0;
    int alive = 0;
    int mostAliveDuringCall = 0;
    QList<QWidget*> shownFor;
};

enum class Failure { None, NoInstance, FactoryThrows, ShowThrows, ShowThrowsNonStd };

class FakeKeyboard : public ScreenKeyboard {
public:
    FakeKeyboard(FakeLog& log, Failure failure) : m_log(log), m_failure(failure) {
        ++m_log.created;
        ++m_log.alive;
    }
    ~FakeKeyboard() override { --m_log.alive; }

    QVariant ShowFor(QWidget* box) override {
        m_log.shownFor.append(box);
        m_log.mostAliveDuringCall = std::max(m_log.mostAliveDuringCall, m_log.alive);
        if (m_failure == Failure::ShowThrows) {
            throw AutomationError(429, QStringLiteral("ActiveX component can't create object"));
        }
        if (m_failure == Failure::ShowThrowsNonStd) {
            throw 5;
        }
        return QStringLiteral("ignored");
    }

private:
    FakeLog& m_log;
    Failure m_failure;
};

void useFakeKeyboard(FakeLog& log, Failure failure = Failure::None) {
    zav::outside::setScreenKeyboardFactory([&log, failure]() -> std::unique_ptr<ScreenKeyboard> {
        if (failure == Failure::NoInstance) {
            return nullptr;
        }
        if (failure == Failure::FactoryThrows) {
            throw AutomationError(429, QStringLiteral("ActiveX component can't create object"));
        }
        return std::make_unique<FakeKeyboard>(log, failure);
    });
}

} // namespace

Q_DECLARE_METATYPE(Failure)

class ScreenKeyboardTest : public QObject {
    Q_OBJECT

    zav::test::ModalWatchdog m_watchdog{10000};
    std::unique_ptr<QWidget> m_window;
    QLineEdit* m_box = nullptr;

private slots:
    void init() {
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        m_box = new QLineEdit(m_window.get());
        m_box->setObjectName(QStringLiteral("Text1"));
        layout->addWidget(m_box);
        m_window->move(40, 40);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() {
        zav::Mod_Globali().touchScreen = false;
        zav::outside::setScreenKeyboardFactory(nullptr);
        m_window.reset();
    }

    void typesIntoPasswordBoxWithoutShowingIt() {
        m_box->setEchoMode(QLineEdit::Password);
        QSignalSpy edits(m_box, &QLineEdit::textEdited);
        whenModal<ScreenKeyboardWidget>([this](ScreenKeyboardWidget* keyboard) {
            pressAll(keyboard, {"Key_Shift", "Key_a", "Key_b", "Key_1"});
            QLineEdit* display = displayOf(keyboard);
            QVERIFY(display);
            QCOMPARE(display->echoMode(), QLineEdit::Password);
            QCOMPARE(display->displayText().size(), 3);
            for (QChar typed : QStringLiteral("Ab1")) {
                QVERIFY(!display->displayText().contains(typed));
            }
            // Shift applied to one letter only, and no caption or tip anywhere repeats what was typed.
            QCOMPARE(keyboard->findChild<QPushButton*>("Key_b")->text(), QStringLiteral("b"));
            for (QWidget* widget : keyboard->findChildren<QWidget*>()) {
                const auto* button = qobject_cast<QPushButton*>(widget);
                QVERIFY(!(button && button->text().contains(QStringLiteral("Ab1"))));
                QVERIFY(widget->toolTip().isEmpty());
            }
            QVERIFY(m_box->text().isEmpty());
            press(keyboard, "Key_Ok");
        });
        zav::outside::makeDefaultScreenKeyboard()->ShowFor(m_box);
        QCOMPARE(m_box->text(), QStringLiteral("Ab1"));
        QCOMPARE(edits.count(), 1);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void displayMirrorsEchoMode_data() {
        QTest::addColumn<QLineEdit::EchoMode>("boxMode");
        QTest::addColumn<QLineEdit::EchoMode>("displayMode");
        QTest::newRow("normal") << QLineEdit::Normal << QLineEdit::Normal;
        QTest::newRow("password") << QLineEdit::Password << QLineEdit::Password;
        QTest::newRow("clear while editing") << QLineEdit::PasswordEchoOnEdit << QLineEdit::Password;
        QTest::newRow("no echo") << QLineEdit::NoEcho << QLineEdit::NoEcho;
    }
    void displayMirrorsEchoMode() {
        QFETCH(QLineEdit::EchoMode, boxMode);
        QFETCH(QLineEdit::EchoMode, displayMode);
        m_box->setEchoMode(boxMode);
        m_box->setText(QStringLiteral("secret"));
        ScreenKeyboardWidget keyboard(m_box);
        keyboard.show();
        QCOMPARE(displayOf(&keyboard)->echoMode(), displayMode);
        if (displayMode != QLineEdit::Normal) {
            QVERIFY(!displayOf(&keyboard)->displayText().contains(QStringLiteral("secret")));
        }
    }

    void cancelLeavesBoxUnchanged() {
        m_box->setText(QStringLiteral("keep"));
        QSignalSpy changes(m_box, &QLineEdit::textChanged);
        typeOnKeyboard(m_box, {"Key_Backspace", "Key_x", "Key_Cancel"});
        QCOMPARE(m_box->text(), QStringLiteral("keep"));
        QCOMPARE(changes.count(), 0);
    }

    void backspaceEditsTheBoxText() {
        m_box->setText(QStringLiteral("abc"));
        typeOnKeyboard(m_box, {"Key_Backspace", "Key_Backspace", "Key_z", "Key_Space", "Key_At", "Key_Ok"});
        QCOMPARE(m_box->text(), QStringLiteral("az @"));
    }

    void boxLimitsApply() {
        m_box->setMaxLength(4);
        m_box->setValidator(new QRegularExpressionValidator(QRegularExpression("[a-z]*"), m_box));
        // The capital B and the fifth letter are refused, as typing them into the box would be.
        typeOnKeyboard(m_box, {"Key_a", "Key_Shift", "Key_b", "Key_c", "Key_d", "Key_e", "Key_q", "Key_Ok"});
        QCOMPARE(m_box->text(), QStringLiteral("acde"));
    }

    void layoutFollowsTheBox_data() {
        QTest::addColumn<QString>("marker");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("plain") << "" << false;
        QTest::newRow("DigitsOnly false") << "property false" << false;
        QTest::newRow("DigitsOnly") << "property" << true;
        QTest::newRow("input hint") << "hint" << true;
        QTest::newRow("int validator") << "validator" << true;
    }
    void layoutFollowsTheBox() {
        QFETCH(QString, marker);
        QFETCH(bool, numeric);
        if (marker.startsWith("property")) {
            m_box->setProperty("DigitsOnly", marker == "property");
        } else if (marker == "hint") {
            m_box->setInputMethodHints(Qt::ImhDigitsOnly);
        } else if (marker == "validator") {
            m_box->setValidator(new QIntValidator(0, 9999, m_box));
        }
        ScreenKeyboardWidget keyboard(m_box);
        keyboard.show();
        auto* letters = keyboard.findChild<QWidget*>("LetterLayout");
        auto* digits = keyboard.findChild<QWidget*>("NumericLayout");
        QCOMPARE(keyboard.numericLayoutShown(), numeric);
        QCOMPARE(digits->isVisible(), numeric);
        QCOMPARE(letters->isVisible(), !numeric);
        press(&keyboard, "Key_Layout");
        QCOMPARE(keyboard.numericLayoutShown(), !numeric);
        QCOMPARE(letters->isVisible(), numeric);
    }

    void numericPadTypesDigits() {
        m_box->setProperty("DigitsOnly", true);
        m_box->setEchoMode(QLineEdit::Password);
        typeOnKeyboard(m_box, {"Pad_4", "Pad_2", "Key_Layout", "Key_x", "Key_Layout", "Pad_0", "Key_Ok"});
        QCOMPARE(m_box->text(), QStringLiteral("42x0"));
    }

    void keysAreLargeAndKeyboardStaysOnScreen_data() {
        QTest::addColumn<bool>("boxAtBottom");
        QTest::newRow("box at the top") << false;
        QTest::newRow("box at the bottom") << true;
    }
    void keysAreLargeAndKeyboardStaysOnScreen() {
        QFETCH(bool, boxAtBottom);
        const QRect area = m_window->screen()->availableGeometry();
        m_window->resize(area.width() / 2, 60);
        m_window->move(area.right() - m_window->width() - 10,
                       boxAtBottom ? area.bottom() - m_window->frameGeometry().height() - 10
                                   : area.top() + 10);
        QTest::qWait(20);
        whenModal<ScreenKeyboardWidget>([this, area, boxAtBottom](ScreenKeyboardWidget* keyboard) {
            const QRect placed = keyboard->frameGeometry();
            const QRect box(m_box->mapToGlobal(QPoint(0, 0)), m_box->size());
            QVERIFY2(area.contains(placed), qPrintable(QStringLiteral("keyboard at %1,%2 %3x%4")
                                                           .arg(placed.x())
                                                           .arg(placed.y())
                                                           .arg(placed.width())
                                                           .arg(placed.height())));
            QVERIFY(!placed.intersects(box));
            QCOMPARE(placed.bottom() < box.top(), boxAtBottom);
            const double minimum = 0.4 * keyboard->screen()->logicalDotsPerInch();
            const QList<QPushButton*> keys = keyboard->findChildren<QPushButton*>();
            QVERIFY(keys.size() > 40);
            for (const QPushButton* key : keys) {
                if (key->isVisible()) {
                    QVERIFY2(std::min(key->width(), key->height()) >= minimum, qPrintable(key->objectName()));
                }
            }
            keyboard->reject();
        });
        zav::outside::makeDefaultScreenKeyboard()->ShowFor(m_box);
    }

    void onlyInputBoxesGetAKeyboard() {
        auto* combo = new QComboBox(m_window.get());
        combo->setEditable(true);
        QVariant result = QStringLiteral("not called");
        const auto keyboard = zav::outside::makeDefaultScreenKeyboard();
        QCOMPARE(keyboardsShownBy([&] { result = keyboard->ShowFor(combo); }), 0);
        QVERIFY(!result.isValid());
        QCOMPARE(keyboardsShownBy([&] { result = keyboard->ShowFor(nullptr); }), 0);
        m_box->setReadOnly(true);
        QCOMPARE(keyboardsShownBy([&] { keyboard->ShowFor(m_box); }), 0);
        m_box->setReadOnly(false);
        QCOMPARE(keyboardsShownBy([&] { result = keyboard->ShowFor(m_box); }), 1);
        QVERIFY(!result.isValid());
    }

    void keyboardOnlyForTouchAndOpenBoxes_data() {
        QTest::addColumn<bool>("touch");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("instances");
        QTest::newRow("touch off") << false << false << true << 0;
        QTest::newRow("locked box") << true << true << true << 0;
        QTest::newRow("disabled box") << true << false << false << 0;
        QTest::newRow("touch on") << true << false << true << 1;
    }
    void keyboardOnlyForTouchAndOpenBoxes() {
        QFETCH(bool, touch);
        QFETCH(bool, readOnly);
        QFETCH(bool, enabled);
        QFETCH(int, instances);
        FakeLog log;
        useFakeKeyboard(log);
        zav::Mod_Globali().touchScreen = touch;
        m_box->setReadOnly(readOnly);
        m_box->setEnabled(enabled);
        zav::OfferScreenKeyboard(m_box);
        QCOMPARE(log.created, instances);
        QCOMPARE(log.shownFor.size(), instances);
        QCOMPARE(log.alive, 0);
    }

    void everyClickUsesANewInstance() {
        FakeLog log;
        useFakeKeyboard(log);
        zav::Mod_Globali().touchScreen = true;
        zav::OfferScreenKeyboard(m_box);
        QCOMPARE(log.alive, 0);
        zav::OfferScreenKeyboard(m_box);
        QCOMPARE(log.created, 2);
        QCOMPARE(log.shownFor, (QList<QWidget*>{m_box, m_box}));
        // Each instance was the only one alive during its call and is gone now.
        QCOMPARE(log.mostAliveDuringCall, 1);
        QCOMPARE(log.alive, 0);
    }

    void failingKeyboardLeavesBoxUsable_data() {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<int>("shown");
        QTest::newRow("no instance") << Failure::NoInstance << 0;
        QTest::newRow("creation fails") << Failure::FactoryThrows << 0;
        QTest::newRow("ShowFor fails") << Failure::ShowThrows << 1;
        QTest::newRow("ShowFor throws anything") << Failure::ShowThrowsNonStd << 1;
    }
    void failingKeyboardLeavesBoxUsable() {
        QFETCH(Failure, failure);
        QFETCH(int, shown);
        FakeLog log;
        useFakeKeyboard(log, failure);
        zav::Mod_Globali().touchScreen = true;
        m_box->setText(QStringLiteral("ab"));
        zav::OfferScreenKeyboard(m_box);
        QCOMPARE(log.shownFor.size(), shown);
        QCOMPARE(log.alive, 0);
        QCOMPARE(m_box->text(), QStringLiteral("ab"));
        m_box->setFocus();
        QTest::keyClicks(m_box, QStringLiteral("cd"));
        QCOMPARE(m_box->text(), QStringLiteral("abcd"));
    }

    void clickingTheBoxOffersTheKeyboard() {
        FakeLog log;
        useFakeKeyboard(log);
        zav::Mod_Globali().touchScreen = true;
        zav::OfferKeyboardOnClick(m_box);
        zav::OfferKeyboardOnClick(m_box);
        QTest::mouseClick(m_box, Qt::RightButton);
        QTest::mouseClick(m_box, Qt::LeftButton);
        QTRY_COMPARE(log.shownFor.size(), 1);
        QTest::qWait(20);
        QCOMPARE(log.shownFor.size(), 1);
        m_box->setReadOnly(true);
        QTest::mouseClick(m_box, Qt::LeftButton);
        QTest::qWait(20);
        QCOMPARE(log.created, 1);
    }

    void clickTypesThroughTheDefaultKeyboard() {
        zav::outside::setScreenKeyboardFactory(&zav::outside::makeDefaultScreenKeyboard);
        zav::Mod_Globali().touchScreen = true;
        m_box->setEchoMode(QLineEdit::Password);
        zav::OfferKeyboardOnClick(m_box);
        whenModal<ScreenKeyboardWidget>([](ScreenKeyboardWidget* keyboard) {
            pressAll(keyboard, {"Key_7", "Key_Ok"});
        });
        QTest::mouseClick(m_box, Qt::LeftButton);
        QTRY_COMPARE(m_box->text(), QStringLiteral("7"));
        QVERIFY(m_window->findChildren<ScreenKeyboardWidget*>().isEmpty());
    }
};

QTEST_MAIN(ScreenKeyboardTest)
#include "tst_ScreenKeyboard.moc"
