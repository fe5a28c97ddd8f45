#pragma once

// A badge reader that acts as a keyboard types a card's number and Enter within a few milliseconds. While
// its window is the active one, a KeyBurst holds back the printable keys typed there: when at least
// ShortestBurst of them come each within the gap of the one before and Enter follows within the gap,
// they are a reading, told through `burst`, and none of them (nor the Enter) reaches a control. When the
// gap passes first, the keys held are handed on to the control that has the focus, in their order, and
// typing works as without the filter. Gaps are measured between the events' own timestamps where both
// carry one, else between the moments they arrived (a monotonic clock).

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

class QKeyEvent;
class QWidget;

namespace zav {

class KeyBurst : public QObject {
    Q_OBJECT

public:
    // The fewest characters a reading has.
    static constexpr int ShortestBurst = 4;

    // Watches the application's key presses for `window` (and ends with it); `maxGapMs` as the policy's
    // badge-max-key-gap-ms.
    KeyBurst(QWidget* window, int maxGapMs);
    ~KeyBurst() override;

Q_SIGNALS:
    // A reading, told once the keys' own handling is over (queued).
    void burst(const QString& reading);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Held {
        std::unique_ptr<QKeyEvent> event;
        qint64 arrivedMs;
    };
    bool watches(const QObject* receiver) const;
    bool withinGap(const QKeyEvent& event, qint64 arrivedMs) const;
    // Hands the keys held to the focus widget, in order.
    void release();

    QWidget* m_window;
    int m_maxGapMs;
    QElapsedTimer m_clock;
    QTimer m_gap;
    std::vector<Held> m_held;
    bool m_releasing = false;
};

} // namespace zav
