#include "PanelOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace zav::panel {

namespace {
constexpr int LargestEnableCount = 100; // custom rights 1 to 100

ParsedOptions stop(int exitCode, const QString& message) {
    return {std::nullopt, exitCode, message};
}

// The options are read before any application object exists, which is where the help finds the
// program's name.
QString helpOf(const QCommandLineParser& parser) {
    return parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("zav-panel"));
}

// A file is named by its absolute path, so that it stays the same file whatever the working folder; a
// server's connection URI (scheme://...) is passed on as given.
QString databaseNamed(const QString& given) {
    if (given.contains(QStringLiteral("://"))) {
        return given;
    }
    return QFileInfo(given).absoluteFilePath();
}
} // namespace

QString defaultDatabasePath() {
    // XDG_DATA_HOME counts only when it is an absolute path.
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data)) {
        data = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(data + QStringLiteral("/zav-panel/login.db"));
}

ParsedOptions parsePanelOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Demo operator panel of the ZAV_PrjLogin component: log in by operator or by level, manage levels\n"
        "and operators, change passwords, log out."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption db(
        QStringLiteral("db"), QStringLiteral("Credential database (default: %1).").arg(defaultDatabasePath()),
        QStringLiteral("PATH"));
    const QCommandLineOption touch(QStringLiteral("touch"),
                                   QStringLiteral("Touch-screen mode: on-screen keyboard, larger controls."));
    const QCommandLineOption enableCount(
        QStringLiteral("enable-count"),
        QStringLiteral("Number of custom rights offered, 0 to 100 (default 6)."), QStringLiteral("N"));
    const QCommandLineOption language(
        QStringLiteral("language"),
        QStringLiteral("Language of the dialogs (English, Deutsch, Italiano, ...)."), QStringLiteral("NAME"));
    const QCommandLineOption languageFile(
        QStringLiteral("language-file"),
        QStringLiteral(
            "A language file (*.lang): its folder is searched for languages and its language is used."),
        QStringLiteral("PATH"));
    const QCommandLineOption fullscreen(QStringLiteral("fullscreen"), QStringLiteral("Fill the screen."));
    const QCommandLineOption autoShutDown(
        QStringLiteral("auto-shutdown"),
        QStringLiteral(
            "On quitting, shut the machine down when the automatic shutdown applies to the current level "
            "(off by default)."));
    parser.addOptions({db, touch, enableCount, language, languageFile, fullscreen, autoShutDown});

    if (!parser.parse(arguments)) {
        return stop(2, parser.errorText() + QStringLiteral("\n") + helpOf(parser));
    }
    if (parser.isSet(help)) {
        return stop(0, helpOf(parser));
    }
    if (parser.isSet(version)) {
        return stop(0, QStringLiteral("zav-panel ") + QCoreApplication::applicationVersion());
    }
    if (!parser.positionalArguments().isEmpty()) {
        return stop(2, QStringLiteral("unexpected argument: ") + parser.positionalArguments().first());
    }

    PanelOptions options;
    options.dbPath = parser.isSet(db) ? databaseNamed(parser.value(db)) : defaultDatabasePath();
    options.touch = parser.isSet(touch);
    if (parser.isSet(enableCount)) {
        bool ok = false;
        options.enableCount = parser.value(enableCount).toInt(&ok);
        if (!ok || options.enableCount < 0 || options.enableCount > LargestEnableCount) {
            return stop(2, QStringLiteral("--enable-count takes a number from 0 to 100, not \"%1\"")
                               .arg(parser.value(enableCount)));
        }
    }
    options.language = parser.value(language);
    if (parser.isSet(languageFile)) {
        const QFileInfo file(parser.value(languageFile));
        if (!file.isFile()) {
            return stop(2, QStringLiteral("no language file at %1").arg(file.filePath()));
        }
        options.languageFile = file.absoluteFilePath();
    }
    options.fullscreen = parser.isSet(fullscreen);
    options.autoShutDown = parser.isSet(autoShutDown);
    return {options, 0, QString()};
}

} // namespace zav::panel
