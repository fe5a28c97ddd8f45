#include "Captions.h"

#include "outside/OutsideObjects.h"

namespace zav::admin {

namespace {

const QString Section = QStringLiteral("Description");

QString profileOf(const QString& dbPath) {
    return dbPath + QStringLiteral(".INI");
}

QStringList captionKeys() {
    QStringList keys{QStringLiteral("ML"), QStringLiteral("MO"), QStringLiteral("SD"), QStringLiteral("AD")};
    for (int n = 1; n <= 100; ++n) {
        keys << QString::number(n);
    }
    return keys;
}

} // namespace

bool IsCaptionKey(const QString& key) {
    return captionKeys().contains(key);
}

Captions ReadCaptions(const QString& dbPath) {
    // A default no caption can hold tells an absent entry from an empty one.
    const QString absent(QChar(u'\0'));
    Captions captions;
    for (const QString& key : captionKeys()) {
        const QString text = outside::profileStore().ReadEntry(profileOf(dbPath), Section, key, absent);
        if (text != absent) {
            captions.emplace_back(key, text);
        }
    }
    return captions;
}

void WriteCaptions(const QString& dbPath, const Captions& captions) {
    for (const auto& [key, text] : captions) {
        outside::profileStore().WriteEntry(profileOf(dbPath), Section, key, text);
    }
}

} // namespace zav::admin
