#pragma once

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal, so that Ctrl+C in the terminal (or a kill) ends
// the panel through the same path as its Quit button and the desktop is shown again. The handler only
// writes the signal number into a non-blocking socket pair; the event loop reads it and emits `received`.

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace zav::panel {

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers; one instance at a time. The destructor restores the previous actions.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The name of a signal number ("SIGINT", ...).
    static QString name(int signalNumber);

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace zav::panel
