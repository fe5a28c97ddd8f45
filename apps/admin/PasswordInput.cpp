#include "PasswordInput.h"

#include "AdminError.h"

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace zav::admin {

namespace {

// One line of standard input without "\n" or "\r\n"; false at the end of input before any character.
bool readLine(std::string& line) {
    line.clear();
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(stdin)) != EOF) {
        any = true;
        if (c == '\n') {
            break;
        }
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return any;
}

#ifdef _WIN32
bool stdinIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

// Echo off on the console while it lives.
class EchoOff {
public:
    EchoOff() : m_handle(GetStdHandle(STD_INPUT_HANDLE)) {
        m_saved = GetConsoleMode(m_handle, &m_mode) != 0;
        if (m_saved) {
            SetConsoleMode(m_handle, m_mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
        }
    }
    ~EchoOff() {
        if (m_saved) {
            SetConsoleMode(m_handle, m_mode);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    HANDLE m_handle;
    DWORD m_mode = 0;
    bool m_saved = false;
};
#else
bool stdinIsTerminal() {
    return ::isatty(STDIN_FILENO) != 0;
}

// The signals that end or stop the program while it waits at the prompt. Each gets a handler that puts
// the terminal back first; afterwards every one gets back exactly the action it had before.
constexpr int PromptSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
constexpr std::size_t PromptSignalCount = sizeof PromptSignals / sizeof PromptSignals[0];

struct termios savedTerminal;
struct termios quietTerminal;
struct sigaction previousActions[PromptSignalCount];
struct sigaction promptAction;
volatile std::sig_atomic_t echoIsOff = 0;

// Puts the terminal back and lets the signal take the action it had before the prompt: the program ends,
// stops, or runs that handler. When the program goes on (continued after a stop, or a handler that
// returned), the prompt takes over again with echo off.
extern "C" void restoreTerminalAndPassOn(int signalNumber) {
    const int savedErrno = errno;
    std::size_t i = 0;
    while (i + 1 < PromptSignalCount && PromptSignals[i] != signalNumber) {
        ++i;
    }
    if (echoIsOff != 0) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    }
    ::sigaction(signalNumber, &previousActions[i], nullptr);
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, signalNumber);
    ::pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
    ::raise(signalNumber);
    ::sigaction(signalNumber, &promptAction, nullptr);
    if (echoIsOff != 0) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quietTerminal);
    }
    errno = savedErrno;
}

// Echo off on the terminal while it lives; a signal that ends or stops the program puts the terminal
// back first. A signal that was ignored stays ignored.
class EchoOff {
public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &savedTerminal) != 0) {
            return;
        }
        quietTerminal = savedTerminal;
        quietTerminal.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quietTerminal.c_lflag |= ECHONL;
        promptAction = {};
        promptAction.sa_handler = restoreTerminalAndPassOn;
        sigemptyset(&promptAction.sa_mask);
        for (std::size_t i = 0; i < PromptSignalCount; ++i) {
            ::sigaction(PromptSignals[i], nullptr, &previousActions[i]);
            m_handled[i] = previousActions[i].sa_handler != SIG_IGN;
            if (m_handled[i]) {
                ::sigaction(PromptSignals[i], &promptAction, nullptr);
            }
        }
        // Set before echo goes off, so that a signal in between puts the terminal back too.
        echoIsOff = 1;
        if (::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quietTerminal) != 0) {
            echoIsOff = 0;
        }
        m_active = true;
    }
    ~EchoOff() {
        if (!m_active) {
            return;
        }
        if (echoIsOff != 0) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
            echoIsOff = 0;
        }
        for (std::size_t i = 0; i < PromptSignalCount; ++i) {
            if (m_handled[i]) {
                ::sigaction(PromptSignals[i], &previousActions[i], nullptr);
            }
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    bool m_active = false;
    bool m_handled[PromptSignalCount] = {};
};
#endif

QString promptWithoutEcho(const QString& prompt, const QString& what) {
    std::string line;
    bool read = false;
    {
        // Echo goes off before the prompt appears, so nothing typed after it shows.
        EchoOff echoOff;
        std::fputs(prompt.toUtf8().constData(), stderr);
        std::fflush(stderr);
        read = readLine(line);
    }
    if (!read) {
        throw AutomationError(ErrInvalidArgument, QStringLiteral("no %1 was entered").arg(what));
    }
    return QString::fromUtf8(line);
}

// The first line of standard input; `missing` when there is none.
QString lineFromStdin(const QString& missing) {
    std::string line;
    if (!readLine(line)) {
        throw AutomationError(ErrInvalidArgument, missing);
    }
    return QString::fromUtf8(line);
}

void requireTerminal(const QString& what) {
    if (!stdinIsTerminal()) {
        throw UsageError(
            QStringLiteral("standard input is not a terminal; give --stdin to read the %1 from it")
                .arg(what));
    }
}

} // namespace

QString ReadNewPassword(bool fromStdin, const QString& what) {
    if (fromStdin) {
        return lineFromStdin(
            what == QLatin1String("password")
                ? QStringLiteral("standard input holds no password (an empty line removes it)")
                : QStringLiteral("standard input holds no %1").arg(what));
    }
    requireTerminal(what);
    const QString first = promptWithoutEcho(QStringLiteral("New %1: ").arg(what), what);
    const QString second = promptWithoutEcho(QStringLiteral("Repeat the new %1: ").arg(what), what);
    if (first != second) {
        throw AutomationError(ErrInvalidArgument,
                              QStringLiteral("the two %1s differ; nothing was changed").arg(what));
    }
    return first;
}

QString ReadSecretLine(bool fromStdin, const QString& prompt, const QString& what) {
    if (fromStdin) {
        return lineFromStdin(QStringLiteral("standard input holds no %1").arg(what));
    }
    requireTerminal(what);
    return promptWithoutEcho(prompt, what);
}

} // namespace zav::admin
