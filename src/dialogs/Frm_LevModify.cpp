#include "dialogs/Frm_LevModify.h"

#include "base/Mod_Globali.h"
#include "base/PanelLook.h"
#include "base/ReportedErrors.h"
#include "base/Twips.h"
#include "dialogs/DialogControls.h"
#include "dialogs/ManageIcons.h"
#include "language/CurrentLanguageProvider.h"
#include "outside/IniProfileStore.h"
#include "outside/OutsideObjects.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <cmath>

namespace zav::manage {

namespace {
constexpr double DesignedWidth = 15255;
constexpr double DesignedHeight = 2760;
// The frame keeps this much room below its lowest box.
constexpr double FrameBottomMargin = 60;

QFont boxFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

// A fixed right's box: shown when either level holds the right, changeable when the owner holds it.
void showRight(QCheckBox* box, bool owner, bool edited, const QString& caption) {
    box->setVisible(owner || edited);
    box->setEnabled(owner);
    box->setChecked(edited);
    box->setText(caption);
}

bool shown(const QWidget* widget) {
    return !widget->isHidden();
}
} // namespace

Frm_LevModify::Frm_LevModify(QWidget* parent) : FormDialog(parent) {
    NameControl(this, QStringLiteral("Frm_LevModify"), QStringLiteral("|8"));
    setWindowTitle(QStringLiteral("Level Modify"));
    m_windowWidthTwips = DesignedWidth;
    m_windowHeightTwips = DesignedHeight;
    FixDialogSize(this, DesignedWidth, DesignedHeight, true);

    Cmd_Ok =
        MakeIconButton(this, QStringLiteral("Cmd_Ok"), QStringLiteral("Ok"), QStringLiteral("|1"), OkIcon());
    Cmd_Ok->setFont(boxFont());
    m_twips.place(Cmd_Ok, {6060, 1920, 1635, 795});
    Cmd_Undo = MakeIconButton(this, QStringLiteral("Cmd_Undo"), QStringLiteral("Undo"), QStringLiteral("|2"),
                              UndoIcon());
    Cmd_Undo->setFont(boxFont());
    m_twips.place(Cmd_Undo, {7740, 1920, 1635, 795});

    Fra_Lev = new QGroupBox(this);
    NameControl(Fra_Lev, QStringLiteral("Fra_Lev"));
    m_twips.place(Fra_Lev, {60, 0, 15165, 1815});

    Check_Manage[0] = makeCheck(QStringLiteral("Check_Manage(0)"), QStringLiteral("Can Manage Levels"),
                                {120, 120, 4935, 375});
    Check_Manage[1] = makeCheck(QStringLiteral("Check_Manage(1)"), QStringLiteral("Can Manage Operators"),
                                {5160, 120, 4935, 375});
    Check_CustomTemplate = makeCheck(QStringLiteral("Check_Custom(0)"), QString(), {10200, 120, 4935, 375});
    Check_CustomTemplate->hide();
    Check_Desktop =
        makeCheck(QStringLiteral("Check_Desktop"), QStringLiteral("Show Desktop"), {5160, 480, 4935, 375});
    Check_ShutDown = makeCheck(QStringLiteral("Check_ShutDown"), QStringLiteral("Automatic Shut Down"),
                               {120, 480, 4935, 375});

    Image1 = new QLabel(this);
    NameControl(Image1, QStringLiteral("Image1"));
    m_twips.place(Image1, {60, 1980, 480, 480});
    Image1->setPixmap(LevelIcon().pixmap(32, 32));

    setTabOrder(Cmd_Ok, Cmd_Undo);
    setTabOrder(Cmd_Undo, Check_Manage[0]);
    setTabOrder(Check_Manage[0], Check_Manage[1]);
    setTabOrder(Check_Manage[1], Check_Desktop);
    setTabOrder(Check_Desktop, Check_ShutDown);

    connect(Cmd_Ok, &QPushButton::clicked, this, [this] { RunReportingErrors([this] { Cmd_Ok_Click(); }); });
    connect(Cmd_Undo, &QPushButton::clicked, this,
            [this] { RunReportingErrors([this] { Cmd_Undo_Click(); }); });
}

Frm_LevModify::~Frm_LevModify() = default;

QCheckBox* Frm_LevModify::makeCheck(const QString& name, const QString& caption, const TwipsRect& twips) {
    auto* box = new QCheckBox(caption, Fra_Lev);
    NameControl(box, name);
    box->setFont(boxFont());
    m_twips.place(box, twips);
    return box;
}

void Frm_LevModify::Form_Load() {
    if (!cPar) {
        cPar = std::make_shared<Class_Par>();
    }
    language::languageProvider().TranslateForm(this, QString());
    bFirstActivate = true;
    cPar->Result = false;
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + cPar->Title);
    CentreOnScreen(this);
}

void Frm_LevModify::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunReportingErrors([this] { Form_Activate(); });
    NameForAccessibility(this); // the boxes the first activation made
    KeepOnScreen(this);
}

void Frm_LevModify::Form_Activate() {
    if (!bFirstActivate) {
        return;
    }
    bFirstActivate = false;
    BuildChecks();
    if (TouchMode()) {
        arrangeForTouch();
    }
    // Centre vertically for the size the layout gave; the left edge stays.
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(x(),
             area.y() + static_cast<int>(std::lround(area.height() / 2.0 - frameGeometry().height() / 2.0)));
    }
}

QCheckBox* Frm_LevModify::createCustomCheck(int k) {
    auto* box = new QCheckBox(Fra_Lev);
    NameControl(box, QStringLiteral("Check_Custom(%1)").arg(k));
    box->setFont(Check_CustomTemplate->font());
    m_twips.place(box, m_twips.of(Check_CustomTemplate));
    box->hide();
    m_customChecks.push_back(box);
    return box;
}

void Frm_LevModify::resizeWindowHeight(double heightTwips) {
    m_windowHeightTwips = heightTwips;
    setFixedSize(TwipsToPixelsX(m_windowWidthTwips, this), TwipsToPixelsY(m_windowHeightTwips, this));
}

void Frm_LevModify::BuildChecks() {
    try {
        const outside::ProfileReadScope captions; // the profile file is read once for all captions
        const auto component = RequireComponent();
        if (!cOwnerEnable || !cEditEnable) {
            throw ObjectNotSetError();
        }
        const Class_LevelEnable& owner = *cOwnerEnable;
        const Class_LevelEnable& edited = *cEditEnable;

        // Three columns at the places of the two manage boxes and one more pitch to the right.
        const double x1 = m_twips.of(Check_Manage[0]).left;
        const double x2 = m_twips.of(Check_Manage[1]).left;
        const double x3 = x2 + (x2 - x1);
        double y1 = m_twips.of(Check_Manage[0]).top;
        double y2 = m_twips.of(Check_Manage[1]).top;
        double y3 = y2;

        showRight(Check_Manage[0], owner.AllowManageLevel(), edited.AllowManageLevel(),
                  component->ManageLevelDescription());
        showRight(Check_Manage[1], owner.AllowManageOperator(), edited.AllowManageOperator(),
                  component->ManageOperatorDescription());
        if (component->AutoShutDown()) {
            showRight(Check_ShutDown, owner.DisShutDown(), edited.DisShutDown(),
                      component->DisShutDownDescription());
        } else {
            Check_ShutDown->setVisible(false);
            Check_ShutDown->setEnabled(false);
        }
        // Inverted: checked means the automatic shutdown applies to the level.
        Check_ShutDown->setChecked(!edited.DisShutDown());
        showRight(Check_Desktop, owner.AllowDesktop(), edited.AllowDesktop(),
                  component->AllowDesktopDescription());

        // The custom rows start below the fixed rows that are shown; the fixed boxes never move.
        if (shown(Check_Manage[0]) || shown(Check_Manage[1])) {
            y1 += m_twips.of(Check_Manage[0]).height;
            y2 += m_twips.of(Check_Manage[1]).height;
            y3 = y2;
        }
        if (shown(Check_ShutDown) || shown(Check_Desktop)) {
            y1 += m_twips.of(Check_ShutDown).height;
            y2 += m_twips.of(Check_Desktop).height;
            y3 = y2;
        }

        int k = 1;
        for (int n = 1; n <= component->EnableCount(); ++n) {
            if (!owner.AllowCustom(n) && !edited.AllowCustom(n)) {
                continue;
            }
            QCheckBox* box = createCustomCheck(k);
            const double height = m_twips.of(box).height;
            switch (k % 3) {
            case 1:
                m_twips.place(box, {x1, y1, m_twips.of(box).width, height});
                y1 += height;
                break;
            case 2:
                m_twips.place(box, {x2, y2, m_twips.of(box).width, height});
                y2 += height;
                break;
            default:
                m_twips.place(box, {x3, y3, m_twips.of(box).width, height});
                y3 += height;
                break;
            }
            box->setProperty("Tag", QString::number(n));
            box->setText(component->EnableDescription(static_cast<short>(n)));
            box->setVisible(true);
            box->setEnabled(owner.AllowCustom(n));
            box->setChecked(edited.AllowCustom(n));
            ++k;
        }

        // Fit the frame to the boxes and move everything below it by the same amount.
        const double oldFrameHeight = std::round(m_twips.of(Fra_Lev).height);
        auto& numbers = outside::numberUtility();
        m_twips.setHeight(Fra_Lev, numbers.MaxOf(y1, numbers.MaxOf(y2, y3)) + FrameBottomMargin);
        const double delta = std::round(m_twips.of(Fra_Lev).height - oldFrameHeight);
        for (QWidget* below : {static_cast<QWidget*>(Cmd_Ok), static_cast<QWidget*>(Cmd_Undo),
                               static_cast<QWidget*>(Image1)}) {
            m_twips.setTop(below, m_twips.of(below).top + delta);
        }
        resizeWindowHeight(m_windowHeightTwips + delta);
        m_built = true;
    } catch (const std::exception& error) {
        ShowError(error, LoginTitle);
    }
}

void Frm_LevModify::ReadChecks() {
    Class_LevelEnable& edited = *cEditEnable;
    edited.setAllowManageLevel(Check_Manage[0]->isChecked());
    edited.setAllowManageOperator(Check_Manage[1]->isChecked());
    edited.setDisShutDown(!Check_ShutDown->isChecked());
    edited.setAllowDesktop(Check_Desktop->isChecked());
    for (QCheckBox* box : m_customChecks) {
        edited.setAllowCustom(box->property("Tag").toString().toInt(), box->isChecked());
    }
}

void Frm_LevModify::Cmd_Ok_Click() {
    // After a failed layout some boxes may never have been set up from the levels: nothing is handed
    // back then, as after Undo.
    if (m_built) {
        ReadChecks();
        cPar->Result = true;
    }
    accept();
}

void Frm_LevModify::Cmd_Undo_Click() {
    reject();
}

} // namespace zav::manage
