#include "shell/RecordingShell.h"

#include <QFile>

namespace zav::shell {

void RecordingShell::HideShell() {
    record(QStringLiteral("HideShell"));
}

void RecordingShell::ShowShell() {
    record(QStringLiteral("ShowShell"));
}

void RecordingShell::EnableShutdownPrivilege() {
    record(QStringLiteral("EnableShutdownPrivilege"));
}

void RecordingShell::ExitWindows(int option) {
    record(QStringLiteral("ExitWindows %1").arg(option));
}

void RecordingShell::record(const QString& call) {
    m_calls.append(call);
    // Read on every call: a test may name the file after the stand-in was created. The file is opened and
    // closed per line so that a program that ends abruptly still leaves its record complete.
    const QString path = qEnvironmentVariable(RecordFileVariable);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        file.write((call + QLatin1Char('\n')).toUtf8());
}

} // namespace zav::shell
