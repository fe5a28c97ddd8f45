#include "language/StandardLanguageProvider.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A dialog as the component's dialogs are made: tags on the form, its controls and its menu items.
struct TaggedDialog {
    QDialog dialog;
    QPushButton* ok = new QPushButton(QStringLiteral("Ok"), &dialog);
    QLabel* name = new QLabel(QStringLiteral("Name"), &dialog);
    QGroupBox* frame = new QGroupBox(QStringLiteral("Levels"), &dialog);
    QCheckBox* plainTag = new QCheckBox(QStringLiteral("Keep me"), &dialog);
    QLineEdit* untagged = new QLineEdit(QStringLiteral("typed"), &dialog);
    QTreeWidget* levels = new QTreeWidget(&dialog);
    QTableWidget* table = new QTableWidget(1, 3, &dialog);
    QTabWidget* tabs = new QTabWidget(&dialog);
    QWidget* page = new QWidget;
    QMenu* menu = new QMenu(QStringLiteral("Menu"), &dialog);
    QAction* add = menu->addAction(QStringLiteral("Add"));
    QAction* oddTag = menu->addAction(QStringLiteral("Odd"));

    TaggedDialog() {
        dialog.setWindowTitle(QStringLiteral("Login Management"));
        dialog.setProperty("Tag", QStringLiteral("|10"));
        ok->setProperty("Tag", QStringLiteral("|1"));
        name->setProperty("Tag", QStringLiteral("|11"));
        frame->setProperty("Tag", QStringLiteral("|20"));
        plainTag->setProperty("Tag", QStringLiteral("194"));
        menu->setProperty("Tag", QStringLiteral("|13"));
        add->setProperty("Tag", QStringLiteral("|12"));
        oddTag->setProperty("Tag", QStringLiteral("|1a"));
        levels->setHeaderLabels(
            {QStringLiteral("Levels"), QStringLiteral("Id"), QStringLiteral("Operators")});
        levels->setProperty("HeaderTags",
                            QStringList{QStringLiteral("|20"), QString(), QStringLiteral("|21")});
        table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Password")});
        table->setProperty("HeaderTags", QStringLiteral("|11, |15, |16"));
        tabs->addTab(page, QStringLiteral("Password"));
        page->setProperty("Tag", QStringLiteral("|15"));
        auto* layout = new QVBoxLayout(&dialog);
        for (QWidget* widget :
             std::initializer_list<QWidget*>{ok, name, frame, plainTag, untagged, levels, table, tabs}) {
            layout->addWidget(widget);
        }
    }
};

class TranslateFormTest : public QObject {
    Q_OBJECT

private slots:
    void germanCaptionsReplaceTaggedOnes() {
        zav::language::StandardLanguageProvider provider;
        provider.setCurrentLanguage(QStringLiteral("Deutsch"));
        TaggedDialog form;
        form.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.dialog));

        provider.TranslateForm(&form.dialog, QString());

        QCOMPARE(form.dialog.windowTitle(), QStringLiteral("Anmeldeverwaltung"));
        QCOMPARE(form.ok->text(), QStringLiteral("OK"));
        QCOMPARE(form.name->text(), QStringLiteral("Name"));
        QCOMPARE(form.frame->title(), QStringLiteral("Ebenen"));
        QCOMPARE(form.menu->title(), QStringLiteral("Ändern"));
        QCOMPARE(form.add->text(), QStringLiteral("Hinzufügen"));
        QCOMPARE(form.levels->headerItem()->text(0), QStringLiteral("Ebenen"));
        QCOMPARE(form.levels->headerItem()->text(1), QStringLiteral("Id"));
        QCOMPARE(form.levels->headerItem()->text(2), QStringLiteral("Bediener"));
        QCOMPARE(form.table->horizontalHeaderItem(0)->text(), QStringLiteral("Name"));
        QCOMPARE(form.table->horizontalHeaderItem(1)->text(), QStringLiteral("Passwort"));
        QCOMPARE(form.table->horizontalHeaderItem(2)->text(), QStringLiteral("Ebene wechseln"));
        QCOMPARE(form.tabs->tabText(0), QStringLiteral("Passwort"));
    }

    void otherTagsAndUntaggedControlsStayAsTheyAre() {
        zav::language::StandardLanguageProvider provider;
        provider.setCurrentLanguage(QStringLiteral("Italiano"));
        TaggedDialog form;
        provider.TranslateForm(&form.dialog, QString());

        QCOMPARE(form.plainTag->text(), QStringLiteral("Keep me"));
        QCOMPARE(form.oddTag->text(), QStringLiteral("Odd"));
        QCOMPARE(form.untagged->text(), QStringLiteral("typed"));
        QCOMPARE(form.ok->text(), QStringLiteral("OK"));
        QCOMPARE(form.add->text(), QStringLiteral("Aggiungi"));
    }

    void textsTheProviderLacksKeepTheDesignedCaption() {
        zav::language::StandardLanguageProvider provider;
        TaggedDialog form;
        form.dialog.setWindowTitle(QStringLiteral("Designed title"));
        form.ok->setProperty("Tag", QStringLiteral("|999"));
        form.ok->setText(QStringLiteral("Designed"));
        provider.TranslateForm(&form.dialog, QString());
        QCOMPARE(form.dialog.windowTitle(), QStringLiteral("Login Management"));
        QCOMPARE(form.ok->text(), QStringLiteral("Designed"));
    }

    void noFormIsNoError() {
        zav::language::StandardLanguageProvider provider;
        provider.TranslateForm(nullptr, QString());
    }
};

} // namespace

QTEST_MAIN(TranslateFormTest)
#include "TranslateFormTest.moc"
