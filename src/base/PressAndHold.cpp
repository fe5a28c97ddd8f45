#include "base/PressAndHold.h"

#include "base/ReportedErrors.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QTouchEvent>
#include <QWidget>
#include <utility>

namespace zav {

namespace {

// Watches one widget. A touch begins a hold; the mouse press Qt makes from the same touch, or a real
// left-button press, finds it already begun.
class PressAndHoldFilter : public QObject {
public:
    PressAndHoldFilter(QWidget* widget, std::function<void(QPoint)> onHold)
        : QObject(widget), m_onHold(std::move(onHold)) {
        m_timer.setSingleShot(true);
        m_timer.setInterval(PressAndHoldMilliseconds);
        connect(&m_timer, &QTimer::timeout, this, &PressAndHoldFilter::fire);
        // Without it the widget never sees the touch begin; left unaccepted, the touch still turns into
        // mouse events.
        widget->setAttribute(Qt::WA_AcceptTouchEvents);
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::TouchBegin: {
            auto* touch = static_cast<QTouchEvent*>(event);
            if (touch->pointCount() == 1) {
                begin(touch->point(0).globalPosition().toPoint());
            } else {
                cancel();
            }
            break;
        }
        case QEvent::TouchUpdate: {
            auto* touch = static_cast<QTouchEvent*>(event);
            if (touch->pointCount() != 1) {
                cancel();
            } else {
                follow(touch->point(0).globalPosition().toPoint());
            }
            break;
        }
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            m_timer.stop();
            break;
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                cancel();
            } else if (!m_timer.isActive()) { // not already begun by the touch this press comes from
                begin(mouse->globalPosition().toPoint());
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_timer.isActive()) {
                follow(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            }
            break;
        case QEvent::MouseButtonRelease:
            m_timer.stop();
            if (std::exchange(m_fired, false)) {
                return true; // the hold has answered this press: no click
            }
            break;
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->pointingDevice() &&
                mouse->pointingDevice()->type() == QInputDevice::DeviceType::TouchScreen) {
                // Qt takes every second touch for the second press of a double click, however long after
                // the first it comes, and delivers this in place of its press. A finger's touch is a press
                // here: the widget gets it (a tap selects, a hold goes on), and the double click goes.
                QMouseEvent press(QEvent::MouseButtonPress, mouse->position(), mouse->scenePosition(),
                                  mouse->globalPosition(), mouse->button(), mouse->buttons(),
                                  mouse->modifiers(), mouse->pointingDevice());
                QCoreApplication::sendEvent(watched, &press);
                return true;
            }
            cancel();
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    void begin(QPoint globalPos) {
        m_start = globalPos;
        m_fired = false;
        m_timer.start();
    }

    void follow(QPoint globalPos) {
        if ((globalPos - m_start).manhattanLength() > QApplication::startDragDistance()) {
            m_timer.stop();
        }
    }

    void cancel() {
        m_timer.stop();
        m_fired = false;
    }

    void fire() {
        m_fired = true;
        RunReportingErrors([this] { m_onHold(m_start); });
    }

    std::function<void(QPoint)> m_onHold;
    QTimer m_timer;
    QPoint m_start;
    bool m_fired = false;
};

} // namespace

void OpenOnPressAndHold(QWidget* widget, std::function<void(QPoint globalPos)> onHold) {
    if (widget && onHold) {
        new PressAndHoldFilter(widget, std::move(onHold));
    }
}

} // namespace zav
