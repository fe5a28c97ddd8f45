#pragma once

// The stand-in that tests install instead of the real shell services: it never touches the system, it
// writes down every call in order ("HideShell", "ExitWindows 1", ...). When the environment variable
// ZAV_SHELL_RECORD names a file, each line is appended there too, so a test of a whole program can read
// what the program asked for.

#include "shell/ShellServices.h"

#include <QStringList>

namespace zav::shell {

inline constexpr char RecordFileVariable[] = "ZAV_SHELL_RECORD";

class RecordingShell final : public ShellServices {
public:
    void HideShell() override;
    void ShowShell() override;
    void EnableShutdownPrivilege() override;
    void ExitWindows(int option) override;

    const QStringList& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    void record(const QString& call);

    QStringList m_calls;
};

} // namespace zav::shell
