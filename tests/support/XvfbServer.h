#pragma once

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zav::test {

// A private X server for one test: Xvfb with one screen of SCREEN ("800x480x24") and a black background,
// on a display it picks itself and writes to a pipe once it accepts connections; displayName is empty
// when it did not come up.
class XvfbServer {
public:
    explicit XvfbServer(const char* screen) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const std::string writeEnd = std::to_string(fds[1]);
        m_pid = fork();
        if (m_pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            close(fds[0]);
            execlp("Xvfb", "Xvfb", "-displayfd", writeEnd.c_str(), "-br", "-nolisten", "tcp", "-screen", "0",
                   screen, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (m_pid > 0 && poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        displayName = number.empty() ? std::string() : ":" + number;
    }
    ~XvfbServer() {
        if (m_pid > 0 && kill(m_pid, SIGTERM) == 0)
            waitpid(m_pid, nullptr, 0);
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    std::string displayName;

private:
    pid_t m_pid = -1;
};

} // namespace zav::test
