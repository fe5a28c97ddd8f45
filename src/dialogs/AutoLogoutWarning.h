#pragma once

// The warning before an automatic logout: "You will be logged out in N s." counting down once per step,
// with a "Stay logged in" button. The button, or any press, key, wheel or touch on the dialog, cancels;
// when the count reaches 0 the dialog closes as ran out.

#include "base/PanelDialog.h"

class QLabel;
class QTimer;

namespace zav::dialogs {

class AutoLogoutWarning : public PanelDialog {
    Q_OBJECT

public:
    // `stepMs` is one second of the countdown (shorter only in tests).
    AutoLogoutWarning(int seconds, int stepMs, QWidget* parent = nullptr);

    // After exec(): true when the countdown reached 0, false when the operator stayed.
    bool RanOut() const { return m_ranOut; }
    int SecondsLeft() const { return m_secondsLeft; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step();
    void showSecondsLeft();

    QLabel* m_text;
    QTimer* m_countdown;
    int m_secondsLeft;
    bool m_ranOut = false;
};

} // namespace zav::dialogs
