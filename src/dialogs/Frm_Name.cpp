#include "dialogs/Frm_Name.h"

#include "base/EnterMovesFocus.h"
#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "dialogs/DialogControls.h"
#include "dialogs/KeyboardCall.h"
#include "dialogs/ManageIcons.h"
#include "dialogs/TwipsGeometry.h"
#include "language/CurrentLanguageProvider.h"
#include "language/TextLookup.h"
#include "operations/CredentialDatabase.h"
#include "outside/OutsideObjects.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace zav::manage {

Frm_Name::Frm_Name(QWidget* parent) : FormDialog(parent) {
    NameControl(this, QStringLiteral("Frm_Name"), QStringLiteral("|11"));
    setWindowTitle(QStringLiteral("Name"));
    FixDialogSize(this, 5805, 2370, true);
    QPalette lightGrey = palette();
    lightGrey.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
    setPalette(lightGrey);
    setAutoFillBackground(true);

    Shape1 = new QFrame(this);
    NameControl(Shape1, QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    PlaceTwips(Shape1, 45, 60, 5700, 480);

    Text1 = new QLineEdit(this);
    NameControl(Text1, QStringLiteral("Text1"));
    QFont bold = Text1->font();
    bold.setBold(true);
    Text1->setFont(bold);
    PlaceTwips(Text1, 60, 75, 5655, 435);
    MoveFocusOnEnter(Text1);
    OfferKeyboardOnClick(Text1);

    Image1 = new QLabel(this);
    NameControl(Image1, QStringLiteral("Image1"));
    PlaceTwips(Image1, 60, 660, 480, 480);
    Image1->setPixmap(OperatorIcon().pixmap(Image1->size()));

    Cmd_Undo = MakeIconButton(this, QStringLiteral("Cmd_Undo"), QStringLiteral("Undo"),
                              QStringLiteral("|126"), UndoIcon());
    PlaceTwips(Cmd_Undo, 2940, 1200, 2835, 1095);
    Cmd_Ok =
        MakeIconButton(this, QStringLiteral("Cmd_Ok"), QStringLiteral("Ok"), QStringLiteral("194"), OkIcon());
    PlaceTwips(Cmd_Ok, 60, 1200, 2835, 1095);

    setTabOrder(Text1, Cmd_Undo);
    setTabOrder(Cmd_Undo, Cmd_Ok);

    connect(Cmd_Ok, &QPushButton::clicked, this, [this] { RunReportingErrors([this] { Cmd_Ok_Click(); }); });
    connect(Cmd_Undo, &QPushButton::clicked, this,
            [this] { RunReportingErrors([this] { Cmd_Undo_Click(); }); });
}

Frm_Name::~Frm_Name() = default;

void Frm_Name::Form_Load() {
    if (!cPar) {
        cPar = std::make_shared<Class_Par>();
    }
    language::languageProvider().TranslateForm(this, QString());
    Text1->setPlaceholderText(language::LookupText(11, QStringLiteral("Name")));
    cPar->Result = false;
    cPar->Text = QString();
    CentreOnScreen(this);
    Text1->setFocus();
}

void Frm_Name::Cmd_Ok_Click() {
    const QString name = Text1->text();
    if (name.isEmpty() || IsNumericText(name)) {
        Text1->setFocus();
        return;
    }
    cPar->Result = true;
    cPar->Text = name;
    accept();
}

void Frm_Name::Cmd_Undo_Click() {
    reject();
}

} // namespace zav::manage
