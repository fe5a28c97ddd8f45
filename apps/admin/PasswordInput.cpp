#include "PasswordInput.h"

#include "AdminError.h"

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <csignal>
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

// The terminal settings to restore when the program is stopped while echo is off.
struct termios savedTerminal;
volatile std::sig_atomic_t echoIsOff = 0;

extern "C" void restoreTerminalAndStop(int signal) {
    if (echoIsOff != 0) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Echo off on the terminal while it lives; an interrupt restores the terminal before the program ends.
class EchoOff {
public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &savedTerminal) != 0) {
            return;
        }
        struct termios quiet = savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        std::signal(SIGINT, restoreTerminalAndStop);
        std::signal(SIGTERM, restoreTerminalAndStop);
        echoIsOff = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0 ? 1 : 0;
    }
    ~EchoOff() {
        if (echoIsOff != 0) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
            echoIsOff = 0;
        }
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
};
#endif

QString promptWithoutEcho(const char* prompt) {
    std::string line;
    bool read = false;
    {
        // Echo goes off before the prompt appears, so nothing typed after it shows.
        EchoOff echoOff;
        std::fputs(prompt, stderr);
        std::fflush(stderr);
        read = readLine(line);
    }
    if (!read) {
        throw AutomationError(ErrInvalidArgument, QStringLiteral("no password was entered"));
    }
    return QString::fromUtf8(line);
}

} // namespace

QString ReadNewPassword(bool fromStdin) {
    if (fromStdin) {
        std::string line;
        if (!readLine(line)) {
            throw AutomationError(
                ErrInvalidArgument,
                QStringLiteral("standard input holds no password (an empty line removes it)"));
        }
        return QString::fromUtf8(line);
    }
    if (!stdinIsTerminal()) {
        throw UsageError(
            QStringLiteral("standard input is not a terminal; give --stdin to read the password from it"));
    }
    const QString first = promptWithoutEcho("New password: ");
    const QString second = promptWithoutEcho("Repeat the new password: ");
    if (first != second) {
        throw AutomationError(ErrInvalidArgument,
                              QStringLiteral("the two passwords differ; nothing was changed"));
    }
    return first;
}

} // namespace zav::admin
