#pragma once

// The component's windows open on this thread: its dialogs, message boxes and the on-screen keyboard
// register while they exist, so that a logout closes them all first and nothing they hold is stored.

class QDialog;

namespace zav {

// Registers `dialog` for as long as the scope lives.
class OpenDialogScope {
public:
    explicit OpenDialogScope(QDialog* dialog);
    ~OpenDialogScope();
    OpenDialogScope(const OpenDialogScope&) = delete;
    OpenDialogScope& operator=(const OpenDialogScope&) = delete;

private:
    QDialog* m_dialog;
};

// Rejects every registered dialog of this thread, the last opened first, and closes an open pop-up
// menu, so that each nested exec() returns as cancelled once control reaches its loop. Never throws.
void CloseOpenDialogs() noexcept;

} // namespace zav
