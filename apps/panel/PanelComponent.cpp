#include "PanelComponent.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>

namespace zav::panel {

namespace {

// What the custom rights mean on this panel's machine.
const std::array<QString, 6> CustomCaptions = {
    QStringLiteral("Start and stop the machine"), QStringLiteral("Edit recipes"),
    QStringLiteral("Change tool offsets"),        QStringLiteral("Acknowledge alarms"),
    QStringLiteral("Export production data"),     QStringLiteral("Service mode"),
};

void chooseLanguage(Class_Language& language, const PanelOptions& options) {
    if (!options.languageFile.isEmpty()) {
        language.setDbLanguagePath(QFileInfo(options.languageFile).absolutePath());
        const QString name = languageOfFile(options.languageFile);
        if (options.language.isEmpty() && !name.isEmpty()) {
            language.setCurrentLanguage(name);
        }
    }
    if (!options.language.isEmpty()) {
        language.setCurrentLanguage(options.language);
    }
}

// The captions live in the profile file next to the database, so they can be written only once
// DbPath is set. A caption somebody has already stored (edited in the file) is left alone.
void storeCaptions(ZAV_Login& login) {
    for (std::size_t i = 0; i < CustomCaptions.size(); ++i) {
        const auto index = static_cast<short>(i + 1);
        if (login.EnableDescription(index) == QStringLiteral("Custom %1").arg(index)) {
            login.setEnableDescription(index, CustomCaptions[i]);
        }
    }
}

} // namespace

QString languageOfFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    for (const QString& line : text.split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 ||
            line.left(equals).trimmed().compare(QLatin1String("language"), Qt::CaseInsensitive) != 0) {
            continue;
        }
        for (const QString& name : line.mid(equals + 1).split(u',')) {
            if (!name.trimmed().isEmpty()) {
                return name.trimmed();
            }
        }
    }
    return QString();
}

StartedComponent startComponent(const PanelOptions& options) {
    StartedComponent started;
    started.login = ZAV_Login::create();
    ZAV_Login& login = *started.login;
    login.setIsTouchScreen(options.touch);
    login.setAutoShutDown(options.autoShutDown);
    login.setEnableCount(options.enableCount);
    chooseLanguage(*login.cDrvLanguage(), options);

    const QFileInfo db(options.dbPath);
    // The folder that holds the credentials is its owner's alone when the panel makes it; a server's
    // URI names no folder.
    if (const QString folder = db.absolutePath();
        !options.dbPath.contains(QStringLiteral("://")) && !QFileInfo::exists(folder)) {
        QDir().mkpath(QFileInfo(folder).absolutePath());
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    login.setDbPath(options.dbPath);
    if (login.CurrentLevel()) {
        storeCaptions(login);
    }
    return started;
}

} // namespace zav::panel
