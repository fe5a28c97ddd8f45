#pragma once

// Building blocks shared by the dialogs: named controls with their "Tag" property, the
// buttons with an icon, and centring a window on its screen.

#include <QString>
#include <functional>

class QDialog;
class QHBoxLayout;
class QIcon;
class QLabel;
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

// For a dialog laid out in rows: the Ok and Undo buttons at the right of `row`, a click running `ok` or
// `undo` under the dialogs' guard (base/ReportedErrors.h).
struct OkUndoRow : OkUndoButtons {
    QHBoxLayout* row;
};
OkUndoRow MakeOkUndoRow(QWidget* parent, const std::function<void()>& ok, const std::function<void()>& undo);

// For a dialog laid out in rows on a panel without title bars: a heading in bold plain text that wraps.
QLabel* MakeHeading(QWidget* parent, const QString& text);

// Moves the window to the centre of its screen.
void CentreOnScreen(QWidget* window);

} // namespace zav::manage
