#pragma once

// The automatic logout's watch over the host application's input. Armed only while someone is logged in
// under a policy with auto-logout minutes above 0: then it filters the application's events (mouse, key,
// wheel, touch) and restarts its idle timer on each. The logout comes the policy's minutes after the last
// input: the timer runs out the warning's seconds before, shows the warning with its countdown, and the
// component is told when the warning appears and when the countdown ran out.
// Disarmed, it has no timer running and no event filter installed.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class ZAV_Login;

namespace zav {

namespace dialogs {
class AutoLogoutWarning;
}

class AutoLogoutWatch : public QObject {
    Q_OBJECT

public:
    struct Callbacks {
        std::function<void(int seconds)> warningShown;
        std::function<void()> ranOut; // the component logs out; the watch is disarmed by then
    };

    AutoLogoutWatch(Callbacks callbacks, QObject* parent);
    ~AutoLogoutWatch() override;

    void Arm(int idleMinutes, int warningSeconds);
    // Stops the timer, removes the filter and closes an open warning as cancelled.
    void Disarm();
    bool Armed() const { return m_armed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void idleTimeReached();
    void watchInput(bool on);

    Callbacks m_callbacks;
    QTimer m_idle;
    int m_warningSeconds = 0;
    bool m_armed = false;
    bool m_filtering = false;
    QPointer<dialogs::AutoLogoutWarning> m_warning;
};

// The warning's seconds for a policy's minutes and warning: as set while they fit inside the minutes,
// else half of them.
int AutoLogoutWarningSeconds(int idleMinutes, int warningSeconds);

// For tests only: the length in milliseconds of one minute of the policy and of one second of the
// warning; 0 restores the real ones.
void SetAutoLogoutTimingForTests(int minuteMs, int secondMs);

// Whether the component's watch is armed (false when it never made one).
bool AutoLogoutArmed(const ZAV_Login& component);

} // namespace zav
