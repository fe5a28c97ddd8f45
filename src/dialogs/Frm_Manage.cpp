#include "dialogs/Frm_Manage.h"

#include "base/PanelLook.h"
#include "base/ReportedErrors.h"
#include "base/Twips.h"
#include "dialogs/DialogControls.h"
#include "dialogs/Frm_Name.h"
#include "dialogs/ManageIcons.h"
#include "dialogs/TwipsGeometry.h"
#include "language/CurrentLanguageProvider.h"
#include "language/TextLookup.h"

#include <QApplication>
#include <QCursor>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>

namespace zav::manage {

namespace {
constexpr int KeyCodeEscape = 27;
constexpr double ColumnMargin = 60; // twips between the column's edge and the list's

// The classic shift-state bits: Shift 1, Ctrl 2, Alt 4.
int shiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) | (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

// The classic mouse-button values: left 1, right 2, middle 4.
int buttonValue(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

QGroupBox* makeFrame(QWidget* parent, const QString& name, const TwipsRect& twips) {
    auto* frame = new QGroupBox(parent);
    NameControl(frame, name);
    PlaceTwips(frame, twips.left, twips.top, twips.width, twips.height);
    return frame;
}

QTreeWidget* makeList(QGroupBox* frame, const QString& name, const QString& column,
                      const QString& columnTag) {
    auto* list = new QTreeWidget(frame);
    NameControl(list, name);
    list->setColumnCount(1);
    list->setHeaderLabels({column});
    list->setProperty("HeaderTags", QStringList{columnTag});
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setIconSize(QSize(16, 16));
    return list;
}
} // namespace

Frm_Manage::Frm_Manage(QWidget* parent) : FormDialog(parent) {
    buildControls();
    buildMenus();
}

Frm_Manage::~Frm_Manage() = default;

void Frm_Manage::buildControls() {
    NameControl(this, QStringLiteral("Frm_Manage"), QStringLiteral("|10"));
    setWindowTitle(QStringLiteral("Login Management"));
    FixDialogSize(this, DesignedWidthTwips, DesignedHeightTwips, false);

    IL_Manage.insert(QStringLiteral("kOperator"), OperatorIcon());
    IL_Manage.insert(QStringLiteral("kLevel"), LevelIcon());

    Fra_Current = makeFrame(this, QStringLiteral("Fra_Current"), {60, 0, 11895, 615});
    Im_Level = new QLabel(Fra_Current);
    NameControl(Im_Level, QStringLiteral("Im_Level"));
    PlaceTwips(Im_Level, 60, 120, 435, 435);
    Lbl_Level = new QLabel(Fra_Current);
    NameControl(Lbl_Level, QStringLiteral("Lbl_Level"));
    QFont labelFont = Lbl_Level->font();
    labelFont.setPointSize(12);
    labelFont.setBold(true);
    Lbl_Level->setFont(labelFont);
    PlaceTwips(Lbl_Level, 660, 180, 11175, 315);

    Fra_Level = makeFrame(this, QStringLiteral("Fra_Level"), {60, 600, 5715, 7995});
    Lv_Level =
        makeList(Fra_Level, QStringLiteral("Lv_Level"), QStringLiteral("Level"), QStringLiteral("|20"));
    PlaceTwips(Lv_Level, 60, 120, 5595, 7815);
    Frame1 = makeFrame(this, QStringLiteral("Frame1"), {5820, 600, 6135, 7995});
    LV_Operator =
        makeList(Frame1, QStringLiteral("LV_Operator"), QStringLiteral("Operators"), QStringLiteral("|21"));
    PlaceTwips(LV_Operator, 60, 120, 6015, 7815);

    Cmd_Ok =
        MakeIconButton(this, QStringLiteral("Cmd_Ok"), QStringLiteral("Ok"), QStringLiteral("|1"), OkIcon());
    PlaceTwips(Cmd_Ok, 10320, 8640, 1635, 795);

    setTabOrder(Lv_Level, LV_Operator);
    setTabOrder(LV_Operator, Cmd_Ok);

    connect(Cmd_Ok, &QPushButton::clicked, this, &Frm_Manage::Cmd_Ok_Click);
    // Selection by mouse or keyboard shows the level's operators; the window's own selections block
    // this signal and refresh explicitly.
    connect(Lv_Level, &QTreeWidget::itemSelectionChanged, this,
            [this] { RunReportingErrors([this] { Lv_Level_ItemClick(); }); });
    Lv_Level->viewport()->installEventFilter(this);
    LV_Operator->viewport()->installEventFilter(this);
    watchKeys(this);
}

QAction* Frm_Manage::addMenuItem(QMenu* menu, const QString& name, const QString& caption, const QString& tag,
                                 void (Frm_Manage::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setProperty("Tag", tag);
    connect(action, &QAction::triggered, this,
            [this, handler] { RunReportingErrors([this, handler] { (this->*handler)(); }); });
    return action;
}

void Frm_Manage::buildMenus() {
    LevMnu = new QMenu(QStringLiteral("Level"), this);
    LevMnu->setObjectName(QStringLiteral("LevMnu"));
    addMenuItem(LevMnu, QStringLiteral("LevAdd"), QStringLiteral("Add"), QStringLiteral("|12"),
                &Frm_Manage::LevAdd_Click);
    LevMnu->addSeparator()->setObjectName(QStringLiteral("LevSep"));
    addMenuItem(LevMnu, QStringLiteral("LevModify"), QStringLiteral("Modify"), QStringLiteral("|13"),
                &Frm_Manage::LevModify_Click);
    addMenuItem(LevMnu, QStringLiteral("LevPassword"), QStringLiteral("Password"), QStringLiteral("|15"),
                &Frm_Manage::LevPassword_Click);
    LevMnu->addSeparator()->setObjectName(QStringLiteral("LevSep2"));
    addMenuItem(LevMnu, QStringLiteral("LevRemove"), QStringLiteral("Remove"), QStringLiteral("|14"),
                &Frm_Manage::LevRemove_Click);
    // Made with the rest, so that the translation finds them; each menu offers its own when it opens.
    LevUnlock = addMenuItem(LevMnu, QStringLiteral("LevUnlock"), QStringLiteral("Unlock"),
                            QStringLiteral("|290"), &Frm_Manage::LevUnlock_Click);
    LevMnu->removeAction(LevUnlock);

    OpMnu = new QMenu(QStringLiteral("Operator"), this);
    OpMnu->setObjectName(QStringLiteral("OpMnu"));
    addMenuItem(OpMnu, QStringLiteral("OpAdd"), QStringLiteral("Add"), QStringLiteral("|12"),
                &Frm_Manage::OpAdd_Click);
    OpMnu->addSeparator()->setObjectName(QStringLiteral("OpSep1"));
    addMenuItem(OpMnu, QStringLiteral("OpPassword"), QStringLiteral("Password"), QStringLiteral("|15"),
                &Frm_Manage::OpPassword_Click);
    OpMnu->addSeparator()->setObjectName(QStringLiteral("OpSep2"));
    addMenuItem(OpMnu, QStringLiteral("OpChange"), QStringLiteral("Change Level"), QStringLiteral("|16"),
                &Frm_Manage::OpChange_Click);
    addMenuItem(OpMnu, QStringLiteral("OpRemove"), QStringLiteral("Remove"), QStringLiteral("|14"),
                &Frm_Manage::OpRemove_Click);
    OpUnlock = addMenuItem(OpMnu, QStringLiteral("OpUnlock"), QStringLiteral("Unlock"),
                           QStringLiteral("|290"), &Frm_Manage::OpUnlock_Click);
    OpMnu->removeAction(OpUnlock);
    OpBadge = addMenuItem(OpMnu, QStringLiteral("OpBadge"), QStringLiteral("Badge..."),
                          QStringLiteral("|380"), &Frm_Manage::OpBadge_Click);
    OpMnu->removeAction(OpBadge);
}

void Frm_Manage::Form_Load() {
    const bool touch = TouchMode();
    if (touch) {
        addMenuButtons(); // before the translation, which gives them their captions
    }
    language::languageProvider().TranslateForm(this, QString());
    Im_Level->setPixmap(IL_Manage.value(QStringLiteral("kLevel")).pixmap(Im_Level->size()));
    Lbl_Level->setText(cOwnerLevel ? cOwnerLevel->LevelName() : QString());
    if (touch) {
        arrangeForTouch(); // the single column then stretches with its list
    } else {
        Lv_Level->setColumnWidth(0, Lv_Level->width() - TwipsToPixelsX(ColumnMargin, this));
        LV_Operator->setColumnWidth(0, LV_Operator->width() - TwipsToPixelsX(ColumnMargin, this));
    }
    Lv_Level->headerItem()->setText(0, language::LookupText(20, QStringLiteral("Levels")));
    LV_Operator->headerItem()->setText(0, language::LookupText(21, QStringLiteral("Operators")));
    bPickLevel = false;
    sPickOperator = QString();
    if (touch) {
        fitToScreen();
    }
    CentreOnScreen(this);
    FillLevels();
}

void Frm_Manage::Cmd_Ok_Click() {
    accept();
}

std::optional<QString> Frm_Manage::askForName() {
    auto par = std::make_shared<Class_Par>();
    Frm_Name dialog(this);
    dialog.cPar = par;
    dialog.exec();
    if (!par->Result) {
        return std::nullopt;
    }
    return par->Text;
}

void Frm_Manage::Form_KeyUp(int keyCode, int /*shift*/) {
    if (keyCode == KeyCodeEscape && bPickLevel) {
        EndLevelPick();
    }
}

void Frm_Manage::ShowPopupMenu(QMenu* menu) {
    // QMenu keeps itself on the screen from wherever it is asked to open.
    menu->exec(menuPosition.value_or(QCursor::pos()));
}

void Frm_Manage::keyPressEvent(QKeyEvent* event) {
    // Escape belongs to the pick mode; the window has no cancel button to close.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Frm_Manage::watchKeys(QWidget* widget) {
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

bool Frm_Manage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        // The window sees every key before its controls: once, at the widget the key was sent to.
        QWidget* focus = QApplication::focusWidget();
        QWidget* receiver = focus && (focus == this || isAncestorOf(focus)) ? focus : this;
        if (watched == receiver) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const int code = key->key() == Qt::Key_Escape ? KeyCodeEscape : key->key();
            RunReportingErrors([this, code, key] { Form_KeyUp(code, shiftState(key->modifiers())); });
        }
    } else if (event->type() == QEvent::MouseButtonRelease &&
               (watched == Lv_Level->viewport() || watched == LV_Operator->viewport())) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int button = buttonValue(mouse->button());
        const int shift = shiftState(mouse->modifiers());
        const double x = PixelsToTwipsX(mouse->position().toPoint().x(), this);
        const double y = PixelsToTwipsY(mouse->position().toPoint().y(), this);
        // The window answers once the list has handled the release itself (its selection included):
        // what a menu item selects then stays selected.
        const bool levelList = watched == Lv_Level->viewport();
        // A finger does not move the pointer: in touch-screen mode the menu opens where the release was.
        const std::optional<QPoint> at =
            TouchMode() ? std::optional<QPoint>(mouse->globalPosition().toPoint()) : std::nullopt;
        QMetaObject::invokeMethod(
            this,
            [=, this] {
                RunReportingErrors([=, this] {
                    menuPosition = at;
                    const auto done = qScopeGuard([this] { menuPosition.reset(); });
                    if (levelList) {
                        Lv_Level_MouseUp(button, shift, x, y);
                    } else {
                        LV_Operator_MouseUp(button, shift, x, y);
                    }
                });
            },
            Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zav::manage
