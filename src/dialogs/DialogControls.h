#pragma once

// Building blocks shared by the dialogs: named controls with their "Tag" property, the
// buttons with an icon, and centring a window on its screen.

#include <QString>

class QDialog;
class QIcon;
class QPushButton;
class QWidget;

namespace zav::manage {

// Names a control as the form does and stores its tag (the text id the form translation reads).
void NameControl(QWidget* control, const QString& name, const QString& tag = QString());

// A bold push button with an icon, the caption and the tag.
QPushButton* MakeIconButton(QWidget* parent, const QString& name, const QString& caption, const QString& tag,
                            const QIcon& icon);

// The fixed client size in twips; no minimise or maximise button.
void FixDialogSize(QDialog* dialog, double widthTwips, double heightTwips, bool toolWindow);

// A dialog's Ok and Undo buttons (Cmd_Ok and Cmd_Undo, tags 194 and |126). Neither is a default button:
// Enter moves the focus on and never presses one.
struct OkUndoButtons {
    QPushButton* ok;
    QPushButton* undo;
};
OkUndoButtons MakeOkUndoButtons(QWidget* parent);

// Moves the window to the centre of its screen.
void CentreOnScreen(QWidget* window);

} // namespace zav::manage
