// zav-screenshots: renders the demo panel and every dialog of the login component to PNG files,
// offscreen and on throw-away databases, for the documentation.
//
//   zav-screenshots FOLDER                    writes FOLDER/*.png and lists the files on standard output
//   zav-screenshots --touch LANGUAGE FOLDER   the dialogs in touch-screen mode on this process's screen
//                                             (touch-WxH-xx-*.png, xx the language's first two letters)

#include "Scenes.h"
#include "Shooter.h"
#include "TouchScenes.h"

#include "base/Mod_Globali.h"
#include "shell/RecordingShell.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>

namespace {
// The offscreen platform warns about every window it cannot size by hints; that says nothing here.
QtMessageHandler gDefaultHandler = nullptr;

void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.contains(QLatin1String("propagateSizeHints")) &&
        !message.contains(QLatin1String("does not support"))) {
        gDefaultHandler(type, context, message);
    }
}
} // namespace

int main(int argc, char** argv) {
    // Pictures look the same everywhere, and nothing reaches a real display, desktop or registry.
    gDefaultHandler = qInstallMessageHandler(quietMessages);
    QTemporaryDir work;
    if (!work.isValid()) {
        QTextStream(stderr) << "zav-screenshots: no temporary folder\n";
        return 1;
    }
    // An offscreen platform given with a screen description (offscreen:configfile=...) is kept; else a
    // desktop screen large enough for every dialog as designed.
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen:"))) {
        QFile screen(work.filePath(QStringLiteral("screen.json")));
        if (screen.open(QIODevice::WriteOnly)) {
            screen.write(R"({"screens":[{"name":"desktop","x":0,"y":0,"width":1280,"height":1024,)"
                         R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
        }
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen.fileName()).toLocal8Bit());
    }
    qputenv("ZAV_REGISTRY_FILE", work.filePath(QStringLiteral("registry.conf")).toLocal8Bit());

    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    QString touchLanguage;
    if (args.size() == 4 && args[1] == QLatin1String("--touch")) {
        touchLanguage = args[2];
        args.remove(1, 2);
    }
    if (args.size() != 2 || args[1].startsWith(QLatin1Char('-'))) {
        QTextStream(stderr) << "usage: zav-screenshots [--touch LANGUAGE] FOLDER\n"
                               "Renders the demo panel and the component's dialogs to FOLDER/*.png;\n"
                               "with --touch, the dialogs in touch-screen mode on this screen.\n";
        return 2;
    }
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    zav::shell::setShellServices(std::make_shared<zav::shell::RecordingShell>());
    zav::setMessageBoxHandler([](const QString& text, int style, const QString& title) {
        QTextStream(stderr) << "zav-screenshots: message \"" << title << "\": " << text << "\n";
        return (style & zav::vbYesNo) == zav::vbYesNo ? zav::vbNo : zav::vbOK;
    });

    const QDir folder(args[1]);
    if (!folder.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "zav-screenshots: cannot create " << args[1] << "\n";
        return 1;
    }
    zav::screenshots::Shooter shooter(folder);
    try {
        if (touchLanguage.isEmpty()) {
            zav::screenshots::Scenes(shooter, work.path()).renderAll();
        } else {
            const QSize screen = QGuiApplication::primaryScreen()->size();
            zav::screenshots::TouchScenes(shooter, work.path(), touchLanguage)
                .renderAll(QStringLiteral("touch-%1x%2-%3-")
                               .arg(screen.width())
                               .arg(screen.height())
                               .arg(touchLanguage.left(2).toLower()));
        }
    } catch (const std::exception& e) {
        QTextStream(stderr) << "zav-screenshots: " << e.what() << "\n";
        return 1;
    }
    QTextStream out(stdout);
    for (const QString& file : shooter.written()) {
        out << file << "\n";
    }
    return 0;
}
