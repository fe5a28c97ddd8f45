// The name entry dialog: what it refuses, what it confirms, and how Enter and the keyboard behave.

#include "base/Mod_Globali.h"
#include "dialogs/Frm_Name.h"
#include "language/CurrentLanguageProvider.h"
#include "outside/OutsideObjects.h"
#include "support/FakeOutside.h"
#include "support/PopupCatchers.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace zav;
using namespace zav::manage;

namespace {
// Records the boxes it was shown for.
struct CountingKeyboard : outside::ScreenKeyboard {
    explicit CountingKeyboard(QList<QWidget*>& list) : shownFor(list) {}
    QVariant ShowFor(QWidget* box) override {
        shownFor.append(box);
        return {};
    }
    QList<QWidget*>& shownFor;
};
} // namespace

class NameDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Frm_Name> dialog;
    std::shared_ptr<Class_Par> par;
    std::unique_ptr<test::PopupCatcher> popups;

    QLineEdit* text1() const { return dialog->findChild<QLineEdit*>(QStringLiteral("Text1")); }
    QPushButton* button(const char* name) const {
        return dialog->findChild<QPushButton*>(QLatin1String(name));
    }

private slots:
    void initTestCase() { language::setLanguageProvider(std::make_shared<test::FakeLanguageProvider>()); }
    void cleanupTestCase() { language::setLanguageProvider(nullptr); }

    void init() {
        popups = std::make_unique<test::PopupCatcher>();
        par = std::make_shared<Class_Par>();
        par->Result = true; // loading must reset both
        par->Text = QStringLiteral("left over");
        dialog = std::make_unique<Frm_Name>();
        dialog->cPar = par;
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }

    void cleanup() {
        dialog.reset();
        popups.reset();
    }

    void emptyAndNumericNamesAreRefusedSilently_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString();
        QTest::newRow("number") << QStringLiteral("1.5");
    }
    void emptyAndNumericNamesAreRefusedSilently() {
        QFETCH(QString, typed);
        text1()->setText(typed);
        button("Cmd_Undo")->setFocus();
        QTest::mouseClick(button("Cmd_Ok"), Qt::LeftButton);
        QVERIFY(dialog->isVisible() && !par->Result && popups->messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), text1());
    }

    void enterMovesOnTheKeyboardComesOnlyInTouchScreenModeAndANameIsTakenAsTyped() {
        text1()->setText(QStringLiteral("Shift"));
        text1()->setFocus();
        QTest::keyClick(text1(), Qt::Key_Return);
        QVERIFY(dialog->isVisible() && !par->Result);
        QCOMPARE(QApplication::focusWidget(), button("Cmd_Undo"));

        QList<QWidget*> shownFor;
        outside::setScreenKeyboardFactory(
            [&shownFor] { return std::make_unique<CountingKeyboard>(shownFor); });
        Mod_Globali().touchScreen = false;
        QTest::mouseClick(text1(), Qt::LeftButton);
        QCoreApplication::processEvents(); // the keyboard is offered once the click is handled
        Mod_Globali().touchScreen = true;
        QTest::mouseClick(text1(), Qt::RightButton);
        QTest::mouseClick(text1(), Qt::LeftButton);
        QTRY_COMPARE(shownFor, QList<QWidget*>{text1()});
        Mod_Globali().touchScreen = false;
        outside::setScreenKeyboardFactory(nullptr);

        text1()->setText(QStringLiteral(" A1 "));
        QTest::mouseClick(button("Cmd_Ok"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible() && par->Result);
        QCOMPARE(par->Text, QStringLiteral(" A1 "));
    }
};

QTEST_MAIN(NameDialogTest)
#include "NameDialogTest.moc"
