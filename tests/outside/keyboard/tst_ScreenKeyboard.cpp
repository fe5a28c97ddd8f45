#include "base/Mod_Globali.h"
#include "base/PanelLook.h"
#include "dialogs/KeyboardCall.h"
#include "language/CurrentLanguageProvider.h"
#include "language/LanguageHooks.h"
#include "outside/DefaultScreenKeyboard.h"
#include "outside/OutsideObjects.h"
#include "outside/ScreenKeyboardWidget.h"
#include "support/TestSupport.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

using zav::outside::ScreenKeyboard;
using zav::outside::ScreenKeyboardWidget;
using zav::test::whenModal;

namespace {

void pressAll(QWidget* keyboard, const QStringList& names) {
    for (const QString& name : names) {
        auto* key = keyboard->findChild<QPushButton*>(name);
        QVERIFY2(key && key->isVisible(), qPrintable(name));
        QTest::mouseClick(key, Qt::LeftButton);
    }
}

// A keyboard that records what happens to its instances.
struct FakeLog {
    int created = 0;
    int alive = 0;
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
            auto* display = keyboard->findChild<QLineEdit*>(QStringLiteral("Display"));
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
            pressAll(keyboard, {"Key_Ok"});
        });
        zav::outside::makeDefaultScreenKeyboard()->ShowFor(m_box);
        QCOMPARE(m_box->text(), QStringLiteral("Ab1"));
        QCOMPARE(edits.count(), 1);
        QVERIFY(!QApplication::activeModalWidget());
        // Cancel leaves the box as it was.
        whenModal<ScreenKeyboardWidget>([](ScreenKeyboardWidget* keyboard) {
            pressAll(keyboard, {"Key_Backspace", "Key_x", "Key_Cancel"});
        });
        zav::outside::makeDefaultScreenKeyboard()->ShowFor(m_box);
        QCOMPARE(m_box->text(), QStringLiteral("Ab1"));
        QCOMPARE(edits.count(), 1);
    }

    void lettersAndCaptionsFollowTheLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("shifted"); // Shift + the last key of the top row and of the bottom row
        QTest::addColumn<QString>("cancel");
        QTest::newRow("German QWERTZ")
            << "Deutsch" << QStringList{"qwertzuiopü", "asdfghjklöä", "yxcvbnmß"} << "Üß"
            << "Abbrechen";
        QTest::newRow("Italian") << "Italiano" << QStringList{"qwertyuiopèé", "asdfghjklòàù", "zxcvbnmì"}
                                 << "ÉÌ"
                                 << "Annulla";
    }
    void lettersAndCaptionsFollowTheLanguage() {
        QFETCH(QString, language);
        QFETCH(QStringList, rows);
        QFETCH(QString, shifted);
        QFETCH(QString, cancel);
        zav::language::InstallLanguageHooks();
        zav::language::languageProvider().setCurrentLanguage(language);
        ScreenKeyboardWidget keyboard(m_box, m_window.get());
        zav::language::languageProvider().setCurrentLanguage(QStringLiteral("English"));
        keyboard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&keyboard));
        const auto key = [&keyboard](QChar letter) {
            return keyboard.findChild<QPushButton*>(QStringLiteral("Key_") + letter);
        };
        // Each row stands on its own line, left to right in the language's order.
        for (int row = 0; row < rows.size(); ++row) {
            for (int i = 0; i < rows[row].size(); ++i) {
                QPushButton* current = key(rows[row][i]);
                QVERIFY2(current, qPrintable(rows[row][i]));
                QCOMPARE(current->y(), key(rows[row][0])->y());
                QVERIFY(i == 0 || current->x() > key(rows[row][i - 1])->x());
            }
            QVERIFY(row == 0 || key(rows[row][0])->y() > key(rows[row - 1][0])->y());
        }
        QCOMPARE(keyboard.findChild<QPushButton*>(QStringLiteral("Key_Cancel"))->text(), cancel);
        // Finger-sized keys, and the whole keyboard fits a panel 800 pixels wide.
        for (const QPushButton* button : keyboard.findChildren<QPushButton*>()) {
            QVERIFY(!button->isVisible() || button->width() >= zav::TouchTargetPixels(button));
        }
        QVERIFY(keyboard.frameGeometry().width() <= 800);
        pressAll(&keyboard, {QStringLiteral("Key_Shift"), QStringLiteral("Key_") + rows[0].back(),
                             QStringLiteral("Key_Shift"), QStringLiteral("Key_") + rows[2].back()});
        QCOMPARE(keyboard.findChild<QLineEdit*>(QStringLiteral("Display"))->text(), shifted);
    }

    // With room neither below nor above the box, the box's window moves up for the keyboard, and back.
    void keyboardNeverCoversItsBox() {
        const QRect area = m_window->screen()->availableGeometry();
        m_window->setGeometry(area.adjusted(10, 10, -10, -10));
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const QPoint home = m_window->pos();
        whenModal<ScreenKeyboardWidget>([&](ScreenKeyboardWidget* keyboard) {
            const QRect box(m_box->mapToGlobal(QPoint(0, 0)), m_box->size());
            const QRect keys = keyboard->frameGeometry();
            QVERIFY(!keys.intersects(box));
            QVERIFY(area.contains(keys) && area.contains(box));
            QVERIFY(m_window->pos() != home);
            pressAll(keyboard, {"Key_Cancel"});
        });
        zav::outside::makeDefaultScreenKeyboard()->ShowFor(m_box);
        QTRY_COMPARE(m_window->pos(), home);
    }

    // Offered on a touch screen for a box that takes input only; a keyboard that cannot be made or shown
    // leaves the box as it was, and usable.
    void keyboardOnlyForTouchAndOpenBoxes_data() {
        QTest::addColumn<bool>("touch");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<int>("shown");
        QTest::newRow("touch off") << false << false << true << Failure::None << 0;
        QTest::newRow("locked box") << true << true << true << Failure::None << 0;
        QTest::newRow("disabled box") << true << false << false << Failure::None << 0;
        QTest::newRow("touch on") << true << false << true << Failure::None << 1;
        QTest::newRow("no instance") << true << false << true << Failure::NoInstance << 0;
        QTest::newRow("creation fails") << true << false << true << Failure::FactoryThrows << 0;
        QTest::newRow("ShowFor fails") << true << false << true << Failure::ShowThrows << 1;
        QTest::newRow("ShowFor throws anything") << true << false << true << Failure::ShowThrowsNonStd << 1;
    }
    void keyboardOnlyForTouchAndOpenBoxes() {
        QFETCH(bool, touch);
        QFETCH(bool, readOnly);
        QFETCH(bool, enabled);
        QFETCH(Failure, failure);
        QFETCH(int, shown);
        FakeLog log;
        useFakeKeyboard(log, failure);
        zav::Mod_Globali().touchScreen = touch;
        m_box->setReadOnly(readOnly);
        m_box->setEnabled(enabled);
        m_box->setText(QStringLiteral("ab"));
        zav::OfferScreenKeyboard(m_box);
        QCOMPARE(log.created, shown);
        QCOMPARE(log.shownFor.size(), shown);
        QCOMPARE(log.alive, 0);
        QCOMPARE(m_box->text(), QStringLiteral("ab"));
        if (failure != Failure::None) {
            m_box->setFocus();
            QTest::keyClicks(m_box, QStringLiteral("cd"));
            QCOMPARE(m_box->text(), QStringLiteral("abcd"));
        }
    }
};

QTEST_MAIN(ScreenKeyboardTest)
#include "tst_ScreenKeyboard.moc"
