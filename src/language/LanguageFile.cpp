#include "language/LanguageFile.h"

#include <QFile>
#include <limits>
#include <optional>

namespace zav::language {

namespace {

const QString LanguageKey = QStringLiteral("language");

// "\n" is a line break, "\t" a tab and "\\" a backslash; any other backslash stays as it is.
QString unescape(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (next == u'n' || next == u't' || next == u'\\') {
                result += next == u'n' ? u'\n' : next == u't' ? u'\t' : u'\\';
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

std::optional<short> textNumber(const QString& key) {
    bool ok = false;
    const int number = key.toInt(&ok, 10);
    if (!ok || number < std::numeric_limits<short>::min() || number > std::numeric_limits<short>::max()) {
        return std::nullopt;
    }
    return static_cast<short>(number);
}

} // namespace

bool LanguageTexts::isCalled(const QString& name) const {
    const QString wanted = name.trimmed();
    for (const QString& own : names) {
        if (own.compare(wanted, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

bool LanguageTexts::sharesNameWith(const LanguageTexts& other) const {
    for (const QString& name : other.names) {
        if (isCalled(name)) {
            return true;
        }
    }
    return false;
}

void LanguageTexts::mergeFrom(const LanguageTexts& other) {
    for (const QString& name : other.names) {
        if (!isCalled(name)) {
            names.append(name);
        }
    }
    texts.insert(other.texts);
}

LanguageTexts parseLanguageFile(const QByteArray& utf8) {
    LanguageTexts result;
    const QString content = QString::fromUtf8(utf8.startsWith("\xEF\xBB\xBF") ? utf8.mid(3) : utf8);
    for (const QString& rawLine : content.split(u'\n')) {
        const QString line = rawLine.trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.isEmpty() || line.startsWith(u'#') || equals < 0) {
            continue;
        }
        const QString key = line.first(equals).trimmed();
        const QString value = line.sliced(equals + 1).trimmed();
        if (key.compare(LanguageKey, Qt::CaseInsensitive) == 0) {
            if (result.names.isEmpty()) {
                for (const QString& name : value.split(u',')) {
                    if (!name.trimmed().isEmpty()) {
                        result.names.append(name.trimmed());
                    }
                }
            }
        } else if (const auto number = textNumber(key); number && !value.isEmpty()) {
            result.texts.insert(*number, unescape(value));
        }
    }
    return result;
}

LanguageTexts readLanguageFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return parseLanguageFile(file.readAll());
}

} // namespace zav::language
