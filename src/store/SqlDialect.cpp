#include "store/SqlDialect.h"

#include "store/DbError.h"

#include <vector>

namespace zav::store::dialect {

namespace {

enum class TokenKind { Blank, Word, Literal, QuotedName, Symbol };

struct Token {
    TokenKind kind;
    QString text;
};

// The end of a quoted run that starts at `start`; a doubled closing character stays inside.
qsizetype quotedEnd(const QString& sql, qsizetype start, QChar close) {
    qsizetype i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size(); // unterminated: SQLite reports it
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

std::vector<Token> tokenize(const QString& sql) {
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        qsizetype end = i + 1;
        TokenKind kind = TokenKind::Symbol;
        if (c.isSpace()) {
            kind = TokenKind::Blank;
            while (end < sql.size() && sql[end].isSpace()) {
                ++end;
            }
        } else if (c == u'\'') {
            kind = TokenKind::Literal;
            end = quotedEnd(sql, i, u'\'');
        } else if (c == u'"' || c == u'`' || c == u'[') {
            kind = TokenKind::QuotedName;
            end = quotedEnd(sql, i, c == u'[' ? QChar(u']') : c);
        } else if (isWordChar(c)) {
            kind = TokenKind::Word;
            while (end < sql.size() && isWordChar(sql[end])) {
                ++end;
            }
        }
        tokens.push_back({kind, sql.mid(i, end - i)});
        i = end;
    }
    return tokens;
}

bool isWord(const Token& token, QLatin1String word) {
    return token.kind == TokenKind::Word && token.text.compare(word, Qt::CaseInsensitive) == 0;
}

bool isSymbol(const Token& token, char16_t symbol) {
    return token.kind == TokenKind::Symbol && token.text == QChar(symbol);
}

// Positions of the tokens that are not blanks.
std::vector<size_t> significant(const std::vector<Token>& tokens) {
    std::vector<size_t> positions;
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].kind != TokenKind::Blank) {
            positions.push_back(k);
        }
    }
    return positions;
}

void cutAtStatementEnd(std::vector<Token>& tokens) {
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (isSymbol(tokens[k], u';')) {
            for (size_t rest = k + 1; rest < tokens.size(); ++rest) {
                if (tokens[rest].kind != TokenKind::Blank) {
                    throw DbError(ErrCharactersAfterEnd,
                                  QStringLiteral("Characters found after end of SQL statement."));
                }
            }
            tokens.resize(k);
            return;
        }
    }
}

void dropDeleteStar(std::vector<Token>& tokens) {
    const auto s = significant(tokens);
    if (s.size() >= 3 && isWord(tokens[s[0]], QLatin1String("delete")) && isSymbol(tokens[s[1]], u'*') &&
        isWord(tokens[s[2]], QLatin1String("from"))) {
        tokens[s[0]].text = QStringLiteral("DELETE FROM");
        tokens.erase(tokens.begin() + std::ptrdiff_t(s[0]) + 1, tokens.begin() + std::ptrdiff_t(s[2]) + 1);
    }
}

void replaceBooleanWords(std::vector<Token>& tokens) {
    for (auto& token : tokens) {
        if (isWord(token, QLatin1String("true"))) {
            token.text = QStringLiteral("-1");
        } else if (isWord(token, QLatin1String("false"))) {
            token.text = QStringLiteral("0");
        }
    }
}

QString joined(const std::vector<Token>& tokens) {
    QString text;
    for (const auto& token : tokens) {
        text += token.text;
    }
    return text;
}

QString unquotedName(const Token& token) {
    if (token.kind != TokenKind::QuotedName) {
        return token.text;
    }
    const QChar close = token.text.front() == u'[' ? QChar(u']') : token.text.front();
    QString inner = token.text.mid(1, token.text.size() - 2);
    return inner.replace(QString(2, close), QString(close));
}

} // namespace

QString translate(const QString& sql) {
    if (sql.contains(QChar(u'\0'))) {
        throw textWithNul();
    }
    auto tokens = tokenize(sql);
    cutAtStatementEnd(tokens);
    dropDeleteStar(tokens);
    replaceBooleanWords(tokens);
    return joined(tokens);
}

QString serverLiteral(const QString& text) {
    QString inner = QString(text).replace(u'\'', QStringLiteral("''"));
    if (!inner.contains(u'\\')) {
        return QLatin1Char('\'') + inner + QLatin1Char('\'');
    }
    return QStringLiteral("E'") + inner.replace(u'\\', QStringLiteral("\\\\")) + QLatin1Char('\'');
}

QString translateForServer(const QString& sql) {
    auto tokens = tokenize(translate(sql));
    int place = 0;
    for (auto& token : tokens) {
        if (isSymbol(token, u'?')) {
            token.text = QStringLiteral("$%1").arg(++place);
        } else if (token.kind == TokenKind::Literal && token.text.contains(u'\\') && token.text.size() > 1 &&
                   token.text.back() == u'\'') {
            // As the file reads it: the text between the apostrophes, a doubled one standing for one.
            token.text =
                QLatin1Char(' ') + serverLiteral(token.text.mid(1, token.text.size() - 2)
                                                     .replace(QStringLiteral("''"), QStringLiteral("'")));
        } else if (token.kind == TokenKind::QuotedName) {
            token.text = QLatin1Char('"') +
                         unquotedName(token).toLower().replace(u'"', QStringLiteral("\"\"")) +
                         QLatin1Char('"');
        }
    }
    return joined(tokens);
}

std::optional<SingleTableSelect> singleTableSelect(const QString& translatedSql) {
    auto tokens = tokenize(translatedSql);
    const auto s = significant(tokens);
    if (s.size() < 4 || !isWord(tokens[s[0]], QLatin1String("select")) || !isSymbol(tokens[s[1]], u'*') ||
        !isWord(tokens[s[2]], QLatin1String("from"))) {
        return std::nullopt;
    }
    const Token table = tokens[s[3]];
    if (table.kind != TokenKind::Word && table.kind != TokenKind::QuotedName) {
        return std::nullopt;
    }
    if (s.size() > 4 && !isWord(tokens[s[4]], QLatin1String("where")) &&
        !isWord(tokens[s[4]], QLatin1String("order"))) {
        return std::nullopt; // a join, a second table, a grouping: not one table's rows
    }
    tokens.insert(tokens.begin() + std::ptrdiff_t(s[1]) + 1,
                  Token{TokenKind::Symbol, QStringLiteral(", _rowid_")});
    return SingleTableSelect{unquotedName(table), joined(tokens)};
}

} // namespace zav::store::dialect
