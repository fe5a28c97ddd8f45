#pragma once

// The message box helper every part uses, and the guard every dialog's handlers run through.

#include <QString>
#include <functional>

namespace zav {

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
// the answer. Without a GUI application, or off the application's thread (where no widget may be
// made), it writes the message to standard error and answers OK / No.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = ComponentTitle);

// The dialogs are widgets: without a QApplication, or off its thread, they cannot be shown. Throws
// AutomationError 5 then, instead of letting Qt abort the host.
void RequireGuiApplication();

// Tests and headless hosts may answer message boxes themselves (nullptr restores the real boxes). The
// handler belongs to the thread that installs it.
using MessageBoxHandler = std::function<int(const QString& text, int style, const QString& title)>;
void setMessageBoxHandler(MessageBoxHandler handler);

// The captions of a message box's buttons in the operator's language, by answer (vbOK, vbYes, vbNo); an
// empty caption keeps the button's own. The language layer installs it; until then the buttons keep
// Qt's captions.
using ButtonCaptionSource = QString (*)(int answer);
void setButtonCaptionSource(ButtonCaptionSource source);

} // namespace zav
