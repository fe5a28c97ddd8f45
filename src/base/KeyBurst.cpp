#include "base/KeyBurst.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>

namespace zav {

namespace {
bool isEnter(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// A key that types a character and could come from a reader: no shortcut, no held-down key.
bool types(const QKeyEvent& key) {
    const QString text = key.text();
    return !text.isEmpty() && !key.isAutoRepeat() &&
           !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}
} // namespace

KeyBurst::KeyBurst(QWidget* window, int maxGapMs) : QObject(window), m_window(window), m_maxGapMs(maxGapMs) {
    m_clock.start();
    m_gap.setSingleShot(true);
    m_gap.setInterval(maxGapMs);
    connect(&m_gap, &QTimer::timeout, this, &KeyBurst::release);
    QApplication::instance()->installEventFilter(this);
}

KeyBurst::~KeyBurst() {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->removeEventFilter(this);
    }
}

bool KeyBurst::watches(const QObject* receiver) const {
    if (!m_window->isActiveWindow()) {
        return false;
    }
    // A key is delivered to its window first, then to the focus widget, and, when that ignores it, to
    // the widget's parents: it is held once, at the focus widget.
    const QWidget* focus = QApplication::focusWidget();
    return focus ? receiver == focus && focus->window() == m_window : receiver == m_window;
}

bool KeyBurst::withinGap(const QKeyEvent& event, qint64 arrivedMs) const {
    const Held& last = m_held.back();
    const qint64 gap =
        event.timestamp() != 0 && last.event->timestamp() != 0
            ? static_cast<qint64>(event.timestamp()) - static_cast<qint64>(last.event->timestamp())
            : arrivedMs - last.arrivedMs;
    return gap >= 0 && gap <= m_maxGapMs;
}

bool KeyBurst::eventFilter(QObject* watched, QEvent* event) {
    if (m_releasing || event->type() != QEvent::KeyPress || !watches(watched)) {
        return false;
    }
    const auto& key = *static_cast<QKeyEvent*>(event);
    const qint64 now = m_clock.elapsed();
    if (!m_held.empty() && !withinGap(key, now)) {
        release();
    }
    if (types(key)) {
        m_held.push_back({std::unique_ptr<QKeyEvent>(key.clone()), now});
        m_gap.start();
        return true;
    }
    if (isEnter(key) && m_held.size() >= ShortestBurst) {
        QString reading;
        for (const Held& held : m_held) {
            reading += held.event->text();
        }
        m_held.clear();
        m_gap.stop();
        QMetaObject::invokeMethod(
            this, [this, reading] { Q_EMIT burst(reading); }, Qt::QueuedConnection);
        return true;
    }
    release();
    return false;
}

void KeyBurst::release() {
    m_gap.stop();
    m_releasing = true;
    std::vector<Held> held;
    held.swap(m_held);
    for (const Held& key : held) {
        QWidget* focus = m_window->focusWidget();
        QApplication::sendEvent(focus ? focus : m_window, key.event.get());
    }
    m_releasing = false;
}

} // namespace zav
