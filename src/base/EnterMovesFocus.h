#pragma once

class QWidget;

namespace zav {

// Enter in the control sends it a Tab keystroke instead, so the focus moves on to the next control
// and no dialog is confirmed by Enter. Installing it twice has no further effect.
void MoveFocusOnEnter(QWidget* control);

} // namespace zav
