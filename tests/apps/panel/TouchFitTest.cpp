// Every dialog in touch-screen mode, on this process's screen (one per panel size) and in every language:
// each window lies on the screen, each control a finger uses is at least the touch target, no text is cut,
// controls do not overlap, and the on-screen keyboard leaves its box visible (the dialog under it waits).

#include "Shooter.h"
#include "TouchScenes.h"

#include "base/Mod_Globali.h"
#include "base/PanelLook.h"
#include "outside/ScreenKeyboardWidget.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

QRect globalRect(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

bool isControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QTreeView*>(w);
}

// Where a control may be seen: its scroll area's viewport when it lies in one, else the screen.
QRect visibleArea(const QWidget* control, const QRect& screen) {
    for (const QWidget* up = control->parentWidget(); up; up = up->parentWidget()) {
        if (const auto* area = qobject_cast<const QScrollArea*>(up);
            area && area->widget()->isAncestorOf(control)) {
            return globalRect(area->widget()); // reachable by scrolling
        }
    }
    return screen;
}

// The part of a control not scrolled away.
QRect shownRect(const QWidget* control) {
    QRect shown = globalRect(control);
    for (const QWidget* up = control->parentWidget(); up; up = up->parentWidget()) {
        if (const auto* area = qobject_cast<const QScrollArea*>(up)) {
            shown &= globalRect(area->viewport());
        }
    }
    return shown;
}

QString textOf(const QWidget* w) {
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
        return b->text().remove(u'&');
    }
    const auto* l = qobject_cast<const QLabel*>(w);
    return l ? l->text() : QString();
}

// The width the text needs beside what else the control draws.
int neededWidth(const QWidget* w) {
    int text = 0; // the widest line
    for (const QString& line : textOf(w).split(u'\n')) {
        text = std::max(text, w->fontMetrics().horizontalAdvance(line));
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(w)) {
        QStyleOptionButton option;
        option.initFrom(box);
        return box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).left() + text;
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        return text + (button->icon().isNull() ? 0 : button->iconSize().width() + 4) + 8;
    }
    return text;
}

class Inspector {
public:
    QStringList faults;
    // Off: only that every window lies on the screen and every control can be reached.
    bool touchScreen = true;

    void operator()(const QString& scene, const QList<QWidget*>& windows) {
        const QRect screen = zav::AvailableScreenArea(windows.first());
        const int target = zav::TouchTargetPixels(windows.first()) - 1;
        // Under an open keyboard a window may move partly off the screen; the box typed into may not.
        const zav::outside::ScreenKeyboardWidget* keyboard = nullptr;
        for (QWidget* window : windows) {
            if (auto* found = qobject_cast<zav::outside::ScreenKeyboardWidget*>(window)) {
                keyboard = found;
                expect(screen.contains(globalRect(found->box())), scene, found->box(), "off the screen");
            }
        }
        for (QWidget* window : windows) {
            if (keyboard && window != keyboard) {
                continue;
            }
            const QRect outer(window->pos(), window->size() + zav::WindowFrameExtra(window));
            expect(screen.contains(outer), scene, window, "off the screen");
            QList<QWidget*> controls;
            for (QWidget* w : window->findChildren<QWidget*>()) {
                if (w->isVisibleTo(window) && !w->isWindow()) {
                    checkControl(scene, w, screen, target);
                    if (isControl(w)) {
                        controls << w;
                    }
                }
            }
            if (touchScreen) {
                checkOverlaps(scene, controls);
            }
            if (const auto* menu = qobject_cast<QMenu*>(window)) {
                for (QAction* action : menu->actions()) {
                    expect(!touchScreen || action->isSeparator() ||
                               menu->actionGeometry(action).height() >= target,
                           scene, window, action->text() + ": menu item too small");
                }
            }
            if (keyboard) {
                expect(!globalRect(keyboard).intersects(globalRect(keyboard->box())), scene, window,
                       "covers its box");
            }
        }
    }

private:
    void expect(bool ok, const QString& scene, const QWidget* w, const QString& what) {
        if (!ok) {
            QDebug(&faults.emplaceBack()).noquote()
                << scene + u':' << w->objectName() << what << globalRect(w);
        }
    }

    void checkControl(const QString& scene, QWidget* w, const QRect& screen, int target) {
        if (isControl(w)) {
            expect(visibleArea(w, screen).contains(globalRect(w)), scene, w, "cut off");
            expect(!w->accessibleName().isEmpty(), scene, w, "has no accessible name");
            expect(!touchScreen || (w->height() >= target && w->width() >= target), scene, w, "too small");
        }
        if (!touchScreen) {
            return;
        }
        if (const auto* view = qobject_cast<QAbstractItemView*>(w);
            view && !qobject_cast<QHeaderView*>(w) && view->model()->rowCount() > 0) {
            const QModelIndex first = view->model()->index(0, 0);
            expect(view->visualRect(first).height() >= target, scene, w, "rows too small");
        }
        const bool wraps = qobject_cast<QLabel*>(w) && static_cast<QLabel*>(w)->wordWrap();
        if (!textOf(w).isEmpty() && !wraps) {
            expect(neededWidth(w) <= w->width(), scene, w, textOf(w) + ": text cut");
        }
    }

    void checkOverlaps(const QString& scene, const QList<QWidget*>& controls) {
        for (int i = 0; i < controls.size(); ++i) {
            for (int j = i + 1; j < controls.size(); ++j) {
                const bool nested =
                    controls[i]->isAncestorOf(controls[j]) || controls[j]->isAncestorOf(controls[i]);
                expect(nested || !shownRect(controls[i]).intersects(shownRect(controls[j])), scene,
                       controls[i], "overlaps " + controls[j]->objectName());
            }
        }
    }
};

} // namespace

class TouchFitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QApplication::setStyle("Fusion");
        QApplication::setFont(QFont("DejaVu Sans", 10));
        zav::setMessageBoxHandler([](const QString& text, int, const QString&) {
            qWarning("unexpected message: %s", qPrintable(text));
            return zav::vbOK;
        });
    }

    void everyDialogFits_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("touchScreen");
        for (const char* language : {"English", "Deutsch", "Italiano"}) {
            QTest::newRow(language) << QString::fromLatin1(language) << true;
        }
        // With the mouse, a window larger than the screen scrolls rather than being cut off.
        QTest::newRow("English, mouse") << QStringLiteral("English") << false;
    }

    void everyDialogFits() {
        QFETCH(QString, language);
        QFETCH(bool, touchScreen);
        QTemporaryDir work;
        zav::screenshots::Shooter shooter{QDir(work.path())};
        Inspector inspector;
        inspector.touchScreen = touchScreen;
        QStringList scenes;
        shooter.setInspector([&](const QString& scene, const QList<QWidget*>& windows) {
            scenes << scene;
            inspector(scene, windows);
        });
        zav::screenshots::TouchScenes(shooter, work.path(), language, touchScreen).renderAll(QString());
        QVERIFY(scenes.contains(QStringLiteral("manage-operator-menu")) && scenes.size() >= 10);
        QVERIFY2(inspector.faults.isEmpty(), qPrintable(inspector.faults.join(u'\n')));
    }
};

QTEST_MAIN(TouchFitTest)
#include "TouchFitTest.moc"
