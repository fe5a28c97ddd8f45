#pragma once

// State the component keeps once per thread, and the message box helper every part uses.

#include <QString>
#include <functional>

class ZAV_Login;

namespace zav {

struct ModuleState {
    // The most recently created component; a plain pointer so that it never keeps the object alive.
    ZAV_Login* component = nullptr;
    bool touchScreen = false;
    // The database path followed by ".INI"; empty until DbPath is assigned.
    QString profilePath;
    // The login dialog's remembered top password (the password of the level with ID 0 or less that
    // the last level list met); nothing clears it.
    QString loginTopPassword;
};

ModuleState& Mod_Globali();

// Message box styles (the classic flags) and answers.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbYesNo = 4;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbOK = 1;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

inline const QString ComponentTitle = QStringLiteral("ZAV_PrjLogin");

// Shows a real QMessageBox with the text, the buttons and icon of the style and the title, and returns
// the answer. Without a GUI application it writes the message to standard error and answers OK / No.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = ComponentTitle);

// The dialogs are widgets: without a QApplication they cannot be shown. Throws AutomationError 5 then,
// instead of letting Qt abort the host.
void RequireGuiApplication();

// Tests and headless hosts may answer message boxes themselves (nullptr restores the real boxes).
using MessageBoxHandler = std::function<int(const QString& text, int style, const QString& title)>;
void setMessageBoxHandler(MessageBoxHandler handler);

} // namespace zav
