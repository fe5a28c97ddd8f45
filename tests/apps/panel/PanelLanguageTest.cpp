// The panel speaks the component's current language, and choosing another one retranslates it.

#include "PanelWindow.h"

#include <ZAV_PrjLogin/Class_Language.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class PanelLanguageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void choosingALanguageRetranslatesThePanel() {
        QTemporaryDir dir;
        zav::panel::PanelOptions options;
        options.dbPath = dir.filePath(QStringLiteral("login.db"));
        zav::panel::PanelWindow window(options);
        auto* languages = window.findChild<QComboBox*>(QStringLiteral("LanguageBox"));
        auto* logout = window.findChild<QPushButton*>(QStringLiteral("LogoutButton"));
        auto* level = window.findChild<QLabel*>(QStringLiteral("LevelLabel"));
        auto* rights = window.findChild<QListWidget*>(QStringLiteral("RightsList"));
        QCOMPARE(languages->currentText(), QStringLiteral("English"));
        QCOMPARE(logout->text(), QStringLiteral("Log out"));

        languages->setCurrentText(QStringLiteral("Deutsch"));
        const QString current = window.component()->cDrvLanguage()->CurrentLanguage();
        window.component()->cDrvLanguage()->setCurrentLanguage(QStringLiteral("English"));
        QCOMPARE(current, QStringLiteral("Deutsch"));
        QCOMPARE(logout->text(), QStringLiteral("Abmelden"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Bedienpanel - zav-panel"));
        // Level 1, in force since nobody logged in under English, is named in German now.
        QCOMPARE(level->text(), QStringLiteral("Ebene: Bediener (ID 1)"));
        QCOMPARE(rights->item(0)->text(), QStringLiteral("Ebenen verwalten erlauben"));
    }
};

QTEST_MAIN(PanelLanguageTest)
#include "PanelLanguageTest.moc"
