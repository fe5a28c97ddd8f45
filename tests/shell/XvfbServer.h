#pragma once

// A private X server for one test: Xvfb on a display it picks itself, stopped again on destruction.

#include <string>
#include <sys/types.h>

namespace zav::test {

class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", or empty when the server did not come up.
    const std::string& displayName() const { return m_displayName; }

private:
    pid_t m_pid = -1;
    std::string m_displayName;
};

// A display name that no server answers on.
std::string unusedDisplayName();

} // namespace zav::test
