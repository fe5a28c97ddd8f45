#include "XvfbServer.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zav::test {

namespace {

constexpr int StartTimeoutMs = 10000;

// Xvfb writes the number of the display it chose, and a newline, once it accepts connections.
std::string readDisplayNumber(int fd) {
    std::string number;
    pollfd wait{fd, POLLIN, 0};
    while (poll(&wait, 1, StartTimeoutMs) > 0) {
        char c = 0;
        if (read(fd, &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    return number;
}

} // namespace

XvfbServer::XvfbServer() {
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const std::string writeEnd = std::to_string(fds[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string args[] = {"Xvfb", "-displayfd", writeEnd, "-nolisten", "tcp", "-screen", "0", "320x240x24"};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(),
                    args[5].data(), args[6].data(), args[7].data(), nullptr};
    const bool spawned = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (!spawned) {
        m_pid = -1;
    } else {
        const std::string number = readDisplayNumber(fds[0]);
        if (!number.empty())
            m_displayName = ":" + number;
    }
    close(fds[0]);
}

XvfbServer::~XvfbServer() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
}

std::string unusedDisplayName() {
    struct stat info {};
    for (int number = 4000;; ++number) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        if (stat(socket.c_str(), &info) != 0 && stat(lock.c_str(), &info) != 0)
            return ":" + std::to_string(number);
    }
}

} // namespace zav::test
