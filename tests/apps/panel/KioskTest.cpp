// Full screen without a desktop. The kiosk session: the panel started as the systemd unit starts it (its
// ExecStart and Environment), under cage on a headless output, photographed with grim; it must fill the
// output, no border of the compositor's black around it, no title bar of its own. cage refuses to run as
// root; as root the session runs as the user nobody, in a folder of its own that is removed afterwards.
// And --fullscreen on a bare X server (Xvfb, no window manager) covers the whole screen.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

#include "support/XvfbServer.h"
#include <pwd.h>
#include <unistd.h>

// Last: Xlib defines macros (None, Bool, Status) that clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr const char* StateDirectory = "/var/lib/zav-panel";

// The value of the unit's KEY= line.
QString unitValue(const QString& unit, const QString& key) {
    for (const QString& line : unit.split(u'\n')) {
        if (line.startsWith(key + u'=')) {
            return line.mid(key.size() + 1).trimmed();
        }
    }
    return {};
}

// The session's processes in a group of their own, ended together.
class Session {
public:
    Session(const QStringList& command, const QString& folder) {
        m_process.setProgram(command.first());
        m_process.setArguments(command.mid(1));
        m_process.setWorkingDirectory(folder);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setChildProcessModifier([] { setsid(); });
        m_process.start();
        m_process.waitForStarted();
    }
    ~Session() {
        if (m_process.processId() > 0) {
            ::kill(-static_cast<pid_t>(m_process.processId()), SIGTERM);
            if (!m_process.waitForFinished(5000)) {
                ::kill(-static_cast<pid_t>(m_process.processId()), SIGKILL);
                m_process.waitForFinished(5000);
            }
        }
    }
    QString output() { return QString::fromLocal8Bit(m_process.readAll()); }
    bool running() const { return m_process.state() == QProcess::Running; }

private:
    QProcess m_process;
};

TEST(Kiosk, ThePanelFillsTheOutputOfCageWithoutATitleBar) {
    const QString cage = QStandardPaths::findExecutable(QStringLiteral("cage"));
    const QString grim = QStandardPaths::findExecutable(QStringLiteral("grim"));
    ASSERT_FALSE(cage.isEmpty() || grim.isEmpty()) << "cage and grim come from scripts/deps.sh";
    QFile unitFile(QStringLiteral(ZAV_KIOSK_UNIT));
    ASSERT_TRUE(unitFile.open(QIODevice::ReadOnly));
    const QString unit = QString::fromUtf8(unitFile.readAll());

    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/zav-kiosk-XXXXXX"));
    ASSERT_TRUE(folder.isValid());
    const QString runtime = folder.filePath(QStringLiteral("runtime"));
    ASSERT_TRUE(QDir().mkdir(runtime));
    QStringList asUser{QStringLiteral("env")};
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        for (const QString& path : {folder.path(), runtime}) {
            ASSERT_EQ(chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
        }
        asUser = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("nobody"),
                             QStringLiteral("--"), QStringLiteral("env")};
    }
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // What the tests keep from the real world, and the headless output.
    QStringList environment{QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
                            QStringLiteral("WLR_BACKENDS=headless"),
                            QStringLiteral("WLR_LIBINPUT_NO_DEVICES=1"),
                            QStringLiteral("WLR_RENDERER=pixman"),
                            QStringLiteral("ZAV_SHELL_SERVICES=record"),
                            QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS=unix:path=") + folder.filePath("no-bus"),
                            QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=") +
                                folder.filePath("no-bus")};
    // The unit's own environment and command line, with the test's folder for the state directory and the
    // programs of this build.
    for (const QString& setting :
         unitValue(unit, QStringLiteral("Environment")).split(u' ', Qt::SkipEmptyParts)) {
        environment << QString(setting).replace(QLatin1String(StateDirectory), folder.path());
    }
    QStringList command = unitValue(unit, QStringLiteral("ExecStart")).split(u' ', Qt::SkipEmptyParts);
    const qsizetype program = command.indexOf(QStringLiteral("--")) + 1;
    ASSERT_TRUE(program > 0 && program < command.size() &&
                command[program].endsWith(QStringLiteral("/zav-panel")));
    command[0] = cage;
    command[program] = QStringLiteral(ZAV_PANEL);
    // Turned a quarter: on a headless output cage shows a surface of exactly the output's size directly,
    // and grim then photographs nothing but black; turned, the output is composed as a screen's is.
    command.insert(1, QStringLiteral("-r"));
    for (QString& argument : command) {
        argument.replace(QLatin1String(StateDirectory), folder.path());
    }
    Session session(asUser + environment + command, folder.path());

    // Pictures until the panel is up: at first cage shows only its black background.
    const QString picture = folder.filePath(QStringLiteral("kiosk.png"));
    const QStringList shoot =
        asUser + environment + QStringList{QStringLiteral("WAYLAND_DISPLAY=wayland-0"), grim, picture};
    QImage image;
    const auto covered = [&image] {
        for (const QPoint at : {QPoint(1, 1), QPoint(image.width() - 2, 1), QPoint(1, image.height() - 2),
                                QPoint(image.width() - 2, image.height() - 2), image.rect().center(),
                                QPoint(image.width() / 2, 1), QPoint(1, image.height() / 2)}) {
            if (qGray(image.pixel(at)) < 16) {
                return false;
            }
        }
        return true;
    };
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000 && session.running()) {
        QThread::msleep(500);
        QFile::remove(picture);
        if (QProcess::execute(shoot.first(), shoot.mid(1)) == 0 && image.load(picture) && covered()) {
            QThread::msleep(1000); // the panel laid out and painted, not only its first frame
            QProcess::execute(shoot.first(), shoot.mid(1));
            image.load(picture);
            break;
        }
    }
    const QString keep = qEnvironmentVariable("ZAV_KIOSK_PICTURE");
    if (!keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(picture, keep);
    }
    ASSERT_FALSE(image.isNull()) << "no picture of the output: " << session.output().toStdString();
    EXPECT_EQ(image.size(), QSize(720, 1280)); // the 1280x720 output, turned
    EXPECT_TRUE(covered()) << "the panel does not fill the output: " << session.output().toStdString();
    // No title bar: the window's own content starts at the top, the first-run hint's yellow among the
    // first rows (a title bar is some 30 pixels high).
    bool hintAtTheTop = false;
    for (int y = 0; y < 20 && !hintAtTheTop; ++y) {
        const QColor colour = image.pixelColor(image.width() / 4, y);
        hintAtTheTop = colour.red() > 240 && colour.green() > 230 && colour.blue() < 215;
    }
    EXPECT_TRUE(hintAtTheTop) << "a title bar over the panel";
}

// An 800x480 panel's X server with a black background; the panel on it, without a window manager.
TEST(Kiosk, FullScreenCoversABareXServer) {
    QTemporaryDir folder;
    const zav::test::XvfbServer server("800x480x24");
    ASSERT_FALSE(server.displayName.empty()) << "Xvfb did not start";
    const QString display = QString::fromStdString(server.displayName);
    Display* x = XOpenDisplay(server.displayName.c_str());
    ASSERT_NE(x, nullptr);
    Session panel({QStringLiteral("env"), QStringLiteral("DISPLAY=") + display,
                   QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("ZAV_SHELL_SERVICES=record"),
                   QStringLiteral(ZAV_PANEL), QStringLiteral("--fullscreen"), QStringLiteral("--touch"),
                   QStringLiteral("--db"), folder.filePath(QStringLiteral("login.db"))},
                  folder.path());
    const Window root = XDefaultRootWindow(x);
    const auto lit = [&](int px, int py) {
        XImage* image = XGetImage(x, root, px, py, 1, 1, AllPlanes, ZPixmap);
        const unsigned long pixel = image ? XGetPixel(image, 0, 0) : 0;
        if (image) {
            XDestroyImage(image);
        }
        return (pixel & 0xffffff) != 0;
    };
    const auto covered = [&] {
        return lit(1, 1) && lit(798, 1) && lit(1, 478) && lit(798, 478) && lit(400, 240);
    };
    QElapsedTimer clock;
    clock.start();
    while (!covered() && clock.elapsed() < 20000) {
        QThread::msleep(250);
    }
    EXPECT_TRUE(covered()) << panel.output().toStdString();
    XCloseDisplay(x);
}

} // namespace
