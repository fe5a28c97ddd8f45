#include "outside/ProfileDocument.h"

#include "outside/OutsideErrors.h"

namespace zav::outside {

namespace {

bool isBlank(QChar ch) {
    return ch == u' ' || ch == u'\t';
}

// Windows trims blanks and tabs only.
QString trimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin).toString();
}

bool isQuote(QChar ch) {
    return ch == u'"' || ch == u'\'';
}

bool isEnclosedInQuotes(const QString& text) {
    return text.size() >= 2 && isQuote(text.front()) && text.back() == text.front();
}

QString unquote(const QString& text) {
    return isEnclosedInQuotes(text) ? text.sliced(1, text.size() - 2) : text;
}

// Quotes a value that would not read back as itself (outer blanks, or enclosing quotes of its own).
QString quoteIfNeeded(const QString& value) {
    if (trimBlanks(value) != value || isEnclosedInQuotes(value)) {
        return u'"' + value + u'"';
    }
    return value;
}

std::optional<QString> sectionName(const QString& line) {
    const QString trimmed = trimBlanks(line);
    if (!trimmed.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(u']');
    return trimBlanks(close < 0 ? QStringView(trimmed).sliced(1) : QStringView(trimmed).sliced(1, close - 1));
}

bool isComment(const QString& line) {
    return trimBlanks(line).startsWith(u';');
}

// The key of an entry line, or nothing for a line that is not an entry.
std::optional<QString> entryKey(const QString& line) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0 || isComment(line) || sectionName(line)) {
        return std::nullopt;
    }
    return trimBlanks(QStringView(line).first(equals));
}

QString entryValue(const QString& line) {
    return unquote(trimBlanks(QStringView(line).sliced(line.indexOf(u'=') + 1)));
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

} // namespace

ProfileDocument::ProfileDocument(const QString& text) {
    bool sawCrlf = false;
    bool sawLf = false;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf(u'\n', start);
        if (lf < 0) {
            m_lines.append({text.sliced(start), QString()});
            break;
        }
        const bool crlf = lf > start && text[lf - 1] == u'\r';
        (crlf ? sawCrlf : sawLf) = true;
        const qsizetype contentEnd = crlf ? lf - 1 : lf;
        m_lines.append(
            {text.sliced(start, contentEnd - start), text.sliced(contentEnd, lf + 1 - contentEnd)});
        start = lf + 1;
    }
    // A file that mixes both gets CRLF, the style Windows tools write; a new file the system's own.
    if (sawCrlf) {
        m_newLine = QStringLiteral("\r\n");
    } else if (sawLf) {
        m_newLine = QStringLiteral("\n");
    } else {
#ifdef Q_OS_WIN
        m_newLine = QStringLiteral("\r\n");
#else
        m_newLine = QStringLiteral("\n");
#endif
    }
}

std::optional<qsizetype> ProfileDocument::findSection(const QString& section) const {
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i].content);
        if (name && sameName(*name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

qsizetype ProfileDocument::sectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < m_lines.size() && !sectionName(m_lines[i].content)) {
        ++i;
    }
    return i;
}

std::optional<qsizetype> ProfileDocument::findKey(qsizetype header, const QString& key) const {
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto name = entryKey(m_lines[i].content);
        if (name && sameName(*name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<QString> ProfileDocument::value(const QString& section, const QString& key) const {
    const auto header = findSection(section);
    if (!header) {
        return std::nullopt;
    }
    const auto line = findKey(*header, key);
    if (!line) {
        return std::nullopt;
    }
    return entryValue(m_lines[*line].content);
}

void ProfileDocument::insertLine(qsizetype index, const QString& content) {
    // The line before the new one may be a last line without a break.
    if (index > 0 && m_lines[index - 1].ending.isEmpty()) {
        m_lines[index - 1].ending = m_newLine;
    }
    m_lines.insert(index, {content, m_newLine});
}

void ProfileDocument::setValue(const QString& section, const QString& key, const QString& value) {
    if (trimBlanks(section).isEmpty() || section.contains(u']') || hasLineBreak(section)) {
        failInvalidCall(QStringLiteral("section name \"%1\"").arg(section));
    }
    if (trimBlanks(key).isEmpty() || key.contains(u'=') || hasLineBreak(key) || isComment(key) ||
        trimBlanks(key).startsWith(u'[')) {
        failInvalidCall(QStringLiteral("key name \"%1\"").arg(key));
    }
    if (hasLineBreak(value)) {
        failInvalidCall(QStringLiteral("a value with a line break"));
    }
    const QString stored = quoteIfNeeded(value);
    const auto header = findSection(section);
    if (!header) {
        insertLine(m_lines.size(), u'[' + trimBlanks(section) + u']');
        insertLine(m_lines.size(), trimBlanks(key) + u'=' + stored);
        return;
    }
    if (const auto line = findKey(*header, key)) {
        // Keep the key as spelled in the file and the blanks before the value.
        QString& content = m_lines[*line].content;
        qsizetype valueStart = content.indexOf(u'=') + 1;
        while (valueStart < content.size() && isBlank(content[valueStart])) {
            ++valueStart;
        }
        content = content.first(valueStart) + stored;
        return;
    }
    // After the section's last non-blank line, so blank lines before the next section stay there.
    qsizetype after = sectionEnd(*header);
    while (after > *header + 1 && trimBlanks(m_lines[after - 1].content).isEmpty()) {
        --after;
    }
    insertLine(after, trimBlanks(key) + u'=' + stored);
}

QString ProfileDocument::text() const {
    QString result;
    for (const Line& line : m_lines) {
        result += line.content;
        result += line.ending;
    }
    return result;
}

} // namespace zav::outside
