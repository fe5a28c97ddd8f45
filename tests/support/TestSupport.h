#pragma once

// Helpers shared by the tests: driving modal dialogs and their controls, and scenarios run in a child
// process.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace zav::test {

// Runs `action` on the modal widget of type T once it is the active modal widget (polling every
// 10 ms, giving up after `timeoutMs`). Arm it before the call that opens the dialog.
void whenModal(const std::function<bool(QWidget*)>& isWanted, const std::function<void(QWidget*)>& action,
               int timeoutMs = 5000);

template <typename T> void whenModal(const std::function<void(T*)>& action, int timeoutMs = 5000) {
    whenModal([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
              [action](QWidget* w) { action(qobject_cast<T*>(w)); }, timeoutMs);
}

// A dialog's controls by object name: a button clicked, a text box filled, a list's item chosen by its
// text.
template <typename T = QWidget> T* control(const QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QLatin1String(name));
}
void click(const QWidget* dialog, const char* name);
void type(const QWidget* dialog, const char* name, const QString& text);
void choose(const QWidget* dialog, const char* name, const QString& item);
// Closes the next message box, adding "title: text" to `seen`.
void answerNextMessage(QStringList& seen);

// Closes every modal widget after `ms`: a failed check inside a dialog handler must not hang a test.
class ModalWatchdog {
public:
    explicit ModalWatchdog(int ms = 15000);
    ~ModalWatchdog();

private:
    struct Impl;
    Impl* m_impl;
};

// A scenario that once crashed the host runs in a child process: the test program runs again with the
// name of the test function, and in that child InChild() is true. RanCleanlyInChild is true when the
// child ended by itself (no signal, no time-out) with exit code 0.
bool InChild();
bool RanCleanlyInChild(const char* testFunction, int timeoutMs = 60000);

} // namespace zav::test
