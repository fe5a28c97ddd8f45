#include "TerminationSignals.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace zav::panel {

namespace {

constexpr std::array<int, 3> HandledSignals = {SIGINT, SIGTERM, SIGHUP};

// [0] is written by the handler, [1] read by the event loop.
int gSocketPair[2] = {-1, -1};

extern "C" void onTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Nothing else is safe here. The socket never blocks: when it is full, the signal is dropped (the
    // ones already in it end the program just the same).
    [[maybe_unused]] const ssize_t written = ::write(gSocketPair[0], &byte, 1);
    errno = savedErrno;
}

// What the handlers replaced, put back when the instance goes.
std::array<struct sigaction, HandledSignals.size()> gPrevious = {};

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (gSocketPair[0] >= 0) {
        throw std::logic_error("termination signals are handled already");
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gSocketPair) != 0) {
        throw std::runtime_error("socketpair failed");
    }
    m_notifier = std::make_unique<QSocketNotifier>(gSocketPair[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < HandledSignals.size(); ++i) {
        ::sigaction(HandledSignals[i], &action, &gPrevious[i]);
    }
}

TerminationSignals::~TerminationSignals() {
    for (std::size_t i = 0; i < HandledSignals.size(); ++i) {
        ::sigaction(HandledSignals[i], &gPrevious[i], nullptr);
    }
    m_notifier.reset();
    ::close(gSocketPair[0]);
    ::close(gSocketPair[1]);
    gSocketPair[0] = gSocketPair[1] = -1;
}

QString TerminationSignals::name(int signalNumber) {
    switch (signalNumber) {
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("signal %1").arg(signalNumber);
    }
}

void TerminationSignals::readSignal() {
    unsigned char byte = 0;
    while (::read(gSocketPair[1], &byte, 1) == 1) { // until it would block
        Q_EMIT received(byte);
    }
}

} // namespace zav::panel
