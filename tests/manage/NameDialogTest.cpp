// The name entry dialog: what it refuses, what it confirms, and how Enter and the on-screen keyboard
// behave.

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
class CountingKeyboard : public outside::ScreenKeyboard {
public:
    explicit CountingKeyboard(QList<QWidget*>& shownFor) : m_shownFor(shownFor) {}
    QVariant ShowFor(QWidget* box) override {
        m_shownFor.append(box);
        return {};
    }

private:
    QList<QWidget*>& m_shownFor;
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
        Mod_Globali().touchScreen = false;
        outside::setScreenKeyboardFactory(nullptr);
    }

    void loadingResetsTheRecord() {
        QVERIFY(!par->Result);
        QCOMPARE(par->Text, QString());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Name"));
        QCOMPARE(dialog->property("Tag").toString(), QStringLiteral("|11"));
        QCOMPARE(button("Cmd_Ok")->property("Tag").toString(), QStringLiteral("194"));
    }

    void emptyAndNumericNamesAreRefusedSilently_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString();
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("integer") << QStringLiteral("12");
        QTest::newRow("decimal") << QStringLiteral("1.5");
    }
    void emptyAndNumericNamesAreRefusedSilently() {
        QFETCH(QString, typed);
        text1()->setText(typed);
        button("Cmd_Undo")->setFocus();
        QTest::mouseClick(button("Cmd_Ok"), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QVERIFY(!par->Result);
        QVERIFY(popups->messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), text1());
    }

    void aNameIsConfirmedExactlyAsTyped() {
        text1()->setText(QStringLiteral(" A1 "));
        QTest::mouseClick(button("Cmd_Ok"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QVERIFY(par->Result);
        QCOMPARE(par->Text, QStringLiteral(" A1 "));
    }

    void enterMovesOnWithoutConfirming() {
        text1()->setText(QStringLiteral("Shift"));
        text1()->setFocus();
        QTest::keyClick(text1(), Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        QVERIFY(!par->Result);
        QCOMPARE(QApplication::focusWidget(), button("Cmd_Undo"));
    }

    void undoAndClosingLeaveNoResult() {
        text1()->setText(QStringLiteral("Shift"));
        QTest::mouseClick(button("Cmd_Undo"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!par->Result);
        QCOMPARE(par->Text, QString());
    }

    void theKeyboardComesOnlyInTouchScreenMode() {
        QList<QWidget*> shownFor;
        outside::setScreenKeyboardFactory(
            [&shownFor] { return std::make_unique<CountingKeyboard>(shownFor); });
        QTest::mouseClick(text1(), Qt::LeftButton);
        QCoreApplication::processEvents(); // the keyboard is offered once the click is handled
        QVERIFY(shownFor.isEmpty());
        Mod_Globali().touchScreen = true;
        QTest::mouseClick(text1(), Qt::LeftButton);
        QTest::mouseClick(text1(), Qt::LeftButton);
        QTRY_COMPARE(shownFor, (QList<QWidget*>{text1(), text1()}));
        text1()->setReadOnly(true);
        QTest::mouseClick(text1(), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(shownFor.size(), 2);
    }
};

QTEST_MAIN(NameDialogTest)
#include "NameDialogTest.moc"
