#include "outside/IniProfileStore.h"

#include "outside/OutsideErrors.h"
#include "outside/ProfileDocument.h"
#include "outside/ProfileEncoding.h"

#include <QFile>
#include <QSaveFile>

namespace zav::outside {

namespace {

[[noreturn]] void failAccess(const QString& file, const QString& reason) {
    failPathFileAccess(file + QStringLiteral(": ") + reason);
}

} // namespace

QString IniProfileStore::ReadEntry(const QString& file, const QString& section, const QString& key,
                                   const QString& defaultText) {
    if (file.isEmpty()) {
        return defaultText;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return defaultText;
    }
    const ProfileDocument document(decodeProfile(in.readAll()).text);
    return document.value(section, key).value_or(defaultText);
}

void IniProfileStore::WriteEntry(const QString& file, const QString& section, const QString& key,
                                 const QString& text) {
    if (file.isEmpty()) {
        failPathFileAccess(QStringLiteral("no profile file name"));
    }
    DecodedProfile decoded;
    QFile in(file);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly)) {
            failAccess(file, in.errorString());
        }
        decoded = decodeProfile(in.readAll());
        in.close();
    }
    ProfileDocument document(decoded.text);
    document.setValue(section, key, text);

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        failAccess(file, out.errorString());
    }
    const QByteArray bytes = encodeProfile(document.text(), decoded.encoding);
    if (out.write(bytes) != bytes.size() || !out.commit()) {
        failAccess(file, out.errorString());
    }
}

} // namespace zav::outside
