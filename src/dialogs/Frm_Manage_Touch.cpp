// The management window in touch-screen mode: a finger has no right button and moves no pointer, and
// the panel may be smaller than the designed window. A button under each list opens its menu, a
// press-and-hold on a list does what a right click does, menus open at the finger, and the controls go
// into layouts that fit the screen. Without touch-screen mode none of this is built.

#include "base/PanelLook.h"
#include "base/PressAndHold.h"
#include "base/ReportedErrors.h"
#include "base/Twips.h"
#include "dialogs/DialogControls.h"
#include "dialogs/Frm_Manage.h"
#include "language/TextLookup.h"

#include <ZAV_PrjLogin/Class_LevelEnable.h>

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>

namespace zav::manage {

namespace {
constexpr int RightButton = 2;

QPushButton* makeMenuButton(QGroupBox* frame, const char* name, short textNumber, const QString& english) {
    auto* button = new QPushButton(frame);
    NameControl(button, QLatin1String(name), QStringLiteral("|") + QString::number(textNumber));
    button->setText(language::LookupText(textNumber, english));
    button->setFocusPolicy(Qt::NoFocus); // a finger's button; Tab keeps going lists -> OK
    return button;
}

// A frame holding its list over its menu button.
void stackInFrame(QGroupBox* frame, QTreeWidget* list, QPushButton* button) {
    auto* column = new QVBoxLayout(frame);
    column->addWidget(list, 1);
    column->addWidget(button);
}
} // namespace

void Frm_Manage::addMenuButtons() {
    Cmd_LevMenu = makeMenuButton(Fra_Level, "Cmd_LevMenu", 240, QStringLiteral("Level..."));
    Cmd_OpMenu = makeMenuButton(Frame1, "Cmd_OpMenu", 241, QStringLiteral("Operator..."));
    for (auto [button, levelList] : {std::pair{Cmd_LevMenu, true}, std::pair{Cmd_OpMenu, false}}) {
        button->installEventFilter(this); // keys reach the window as from every other control
        connect(button, &QPushButton::clicked, this, [this, button, levelList] {
            RunReportingErrors(
                [&] { openMenuAt(levelList, button->mapToGlobal(QPoint(0, button->height()))); });
        });
    }
    OpenOnPressAndHold(Lv_Level->viewport(), [this](QPoint at) { openMenuAt(true, at); });
    OpenOnPressAndHold(LV_Operator->viewport(), [this](QPoint at) { openMenuAt(false, at); });
}

void Frm_Manage::openMenuAt(bool levelList, QPoint globalPos) {
    menuPosition = globalPos;
    const auto done = qScopeGuard([this] { menuPosition.reset(); });
    QWidget* viewport = levelList ? Lv_Level->viewport() : LV_Operator->viewport();
    const QPoint local = viewport->mapFromGlobal(globalPos);
    const double x = PixelsToTwipsX(local.x(), this);
    const double y = PixelsToTwipsY(local.y(), this);
    if (levelList) {
        Lv_Level_MouseUp(RightButton, 0, x, y);
    } else {
        LV_Operator_MouseUp(RightButton, 0, x, y);
    }
}

void Frm_Manage::updateMenuButtons() {
    if (!Cmd_LevMenu) {
        return;
    }
    const Class_LevelEnable* rights = cOwnerLevel ? cOwnerLevel->cLevelEnable().get() : nullptr;
    // While a level is being picked a tap on a level ends it; the level menu waits until then. A
    // disabled operator list takes no right click.
    Cmd_LevMenu->setEnabled(rights && rights->AllowManageLevel() && !bPickLevel);
    Cmd_OpMenu->setEnabled(rights && rights->AllowManageOperator() && LV_Operator->isEnabled());
}

void Frm_Manage::arrangeForTouch() {
    auto* header = new QHBoxLayout(Fra_Current);
    Im_Level->setFixedSize(Im_Level->size());
    header->addWidget(Im_Level);
    header->addWidget(Lbl_Level, 1);
    // A long owner name is cut rather than widening the window past the screen.
    Lbl_Level->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Fra_Current->setMinimumHeight(TouchTargetPixels(this));

    stackInFrame(Fra_Level, Lv_Level, Cmd_LevMenu);
    stackInFrame(Frame1, LV_Operator, Cmd_OpMenu);
    auto* lists = new QHBoxLayout;
    // Side by side in the designed proportion.
    lists->addWidget(Fra_Level, 5715);
    lists->addWidget(Frame1, 6135);

    auto* okRow = new QHBoxLayout;
    okRow->addStretch(1);
    okRow->addWidget(Cmd_Ok);

    auto* window = new QVBoxLayout(this);
    window->addWidget(Fra_Current);
    window->addLayout(lists, 1);
    window->addLayout(okRow);
    updateMenuButtons();
}

void Frm_Manage::fitToScreen() {
    // Measured before the panel look: the plain style's title bar is the safer guess of a real one.
    const QSize room = ClientRoom(this);
    // The panel look changes the type and the controls' sizes: the layout is measured with it.
    ApplyPanelLook(this);
    layout()->activate();
    const QSize designed(TwipsToPixelsX(DesignedWidthTwips, this), TwipsToPixelsY(DesignedHeightTwips, this));
    const QSize fitting = room.isEmpty() ? designed : designed.boundedTo(room);
    // Not fixed: once shown, KeepOnScreen may still shrink it to the frame the window manager really draws.
    setMinimumSize(layout()->minimumSize());
    setMaximumSize(designed);
    resize(fitting.expandedTo(minimumSize()));
}

} // namespace zav::manage
