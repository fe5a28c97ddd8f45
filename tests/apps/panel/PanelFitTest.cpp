// The panel on the screen it runs on (the test runs once per panel size): full screen in touch mode, in
// the language with the longest words, with the first-run hint and a long error showing, every button is
// on the screen and the window is no larger than it. The first-run hint stays while level 1 has no
// password and may manage levels and operators, and goes once either is closed.

#include "PanelWindow.h"

#include <ZAV_PrjLogin/CredentialFacts.h>

#include "operations/LevelOperations.h"
#include "operations/OperatorOperations.h"
#include "operations/PasswordOperations.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

class PanelFitTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private Q_SLOTS:
    void everyButtonIsOnTheScreenWithTheHintAndALongError() {
        zav::panel::PanelOptions options;
        options.dbPath = dir.filePath(QStringLiteral("fit.db"));
        options.touch = true;
        options.language = QStringLiteral("Deutsch");
        zav::panel::PanelWindow window(options);
        auto* status = window.findChild<QLabel*>(QStringLiteral("StatusLabel"));
        status->setText(QStringLiteral("Fehler 3043: ") +
                        QStringLiteral("der Datenbankserver ist nicht erreichbar ").repeated(8));
        const QRect screen = window.screen()->geometry();
        window.setGeometry(screen);
        window.showFullScreen();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("FirstRunHint"))->isVisible());
        QVERIFY2(window.width() <= screen.width() && window.height() <= screen.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(window.width()).arg(window.height())));
        QVERIFY(window.minimumSizeHint().width() <= screen.width() &&
                window.minimumSizeHint().height() <= screen.height());
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            const QRect placed(button->mapTo(&window, QPoint()), button->size());
            QVERIFY2(button->isVisible() && window.rect().contains(placed), qPrintable(button->objectName()));
        }
        if (const QString picture = qEnvironmentVariable("ZAV_PANEL_PICTURE"); !picture.isEmpty()) {
            window.grab().save(picture); // to look at
        }
        const QRect text(status->mapTo(&window, QPoint()), status->size());
        QVERIFY(window.rect().contains(text) && status->height() > status->fontMetrics().height());
    }

    void theHintStaysWhileLevelOneIsOpenToAnyone() {
        zav::panel::PanelOptions options;
        options.dbPath = dir.filePath(QStringLiteral("hint.db"));
        options.language = QStringLiteral("English");
        zav::panel::PanelWindow window(options);
        auto* hint = window.findChild<QLabel*>(QStringLiteral("FirstRunHint"));
        window.show();
        QVERIFY(hint->isVisible() && hint->text().contains(QStringLiteral("\"Operator\" (ID 1)")));
        // An operator and a level of its own do not close it: level 1 still opens everything.
        const int shift = zav::manage::AddLevel(options.dbPath, QStringLiteral("shift"));
        zav::manage::AddOperator(options.dbPath, shift, QStringLiteral("anna"));
        window.refresh();
        QVERIFY(hint->isVisible());
        zav::manage::StoreLevelPassword(options.dbPath, 1, QStringLiteral("|1"), QStringLiteral("Secret77"));
        window.refresh();
        QVERIFY(!hint->isVisible());
        QVERIFY(!zav::ReadCredentialFacts(options.dbPath).levelOneOpen);
    }
};

QTEST_MAIN(PanelFitTest)
#include "PanelFitTest.moc"
