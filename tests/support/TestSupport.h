#pragma once

// Helpers shared by the tests: temporary database folders and driving modal dialogs.

#include <QString>
#include <QTemporaryDir>
#include <functional>

class QWidget;

namespace zav::test {

// Runs `action` on the modal widget of type T once it is the active modal widget (polling every
// 10 ms, giving up after `timeoutMs`). Arm it before the call that opens the dialog.
void whenModal(const std::function<bool(QWidget*)>& isWanted, const std::function<void(QWidget*)>& action,
               int timeoutMs = 5000);

template <typename T> void whenModal(const std::function<void(T*)>& action, int timeoutMs = 5000) {
    whenModal([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
              [action](QWidget* w) { action(qobject_cast<T*>(w)); }, timeoutMs);
}

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
