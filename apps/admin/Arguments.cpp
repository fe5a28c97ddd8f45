#include "Arguments.h"

#include "operations/CredentialDatabase.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>

namespace zav::admin {

namespace {

// The bytes of a word as a message may show them: printable ASCII as it is, anything else as \xNN.
QString shownBytes(const QByteArray& bytes) {
    QString shown;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        shown += value >= 0x20 && value < 0x7f ? QString(QLatin1Char(byte))
                                               : QStringLiteral("\\x%1").arg(value, 2, 16, QLatin1Char('0'));
    }
    return shown;
}

} // namespace

CommandLineWords TakeCommandLine(int argc, char** argv) {
    CommandLineWords taken;
    const QString dbOption = QStringLiteral("--db=");
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        // Stateless: a sequence cut off at the word's end is an error too, not a wait for more bytes.
        QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString word = strict(raw);
        if (strict.hasError() && taken.fault.isEmpty()) {
            taken.fault = QStringLiteral("argument %1 (\"%2\") is not valid UTF-8 text; nothing was done")
                              .arg(i)
                              .arg(shownBytes(raw));
        }
        taken.words << word;
        const qsizetype uriAt = word.startsWith(dbOption) ? dbOption.size() : 0;
        const QString uri = word.mid(uriAt);
        const QString shown = manage::ShownDatabasePath(uri);
        if (manage::IsServerDatabase(uri) && shown != uri) {
            // The address without its password, never longer, and NULs where the rest was.
            const QByteArray replacement = (word.left(uriAt) + shown).toUtf8();
            std::memset(argv[i], 0, size_t(raw.size()));
            std::memcpy(argv[i], replacement.constData(), size_t(std::min(replacement.size(), raw.size())));
            taken.passwordRemoved = true;
        }
    }
    return taken;
}

} // namespace zav::admin
