#pragma once

// The component's SQL texts are written for the classic engine. A small lexer turns them into
// SQLite's dialect: outside string literals and quoted names, "Delete * from" becomes
// "DELETE FROM" and the words true/false become -1/0; one trailing ";" is accepted and anything
// after the first statement is refused.

#include <QString>
#include <optional>

namespace zav::store::dialect {

// Throws DbError 3142 when characters follow the end of the statement.
QString translate(const QString& sql);

// The same translation for the server engine, which keeps every name in lower case (an unquoted
// name is folded to it there): a quoted name ("x", [x], `x`) becomes "x" in lower case, the places of
// bound values ("?") are numbered as the server numbers them ($1, $2, ...), and a string literal
// holding a backslash is written as serverLiteral writes it.
QString translateForServer(const QString& sql);

// The text as a string literal of the server that means the text itself under any setting of
// standard_conforming_strings: apostrophes doubled and, where the text holds a backslash, the escape
// form E'...' with every backslash doubled.
QString serverLiteral(const QString& text);

// A translated "Select * from <Table> [where ...] [order by ...]": the rows of one table, which a
// recordset can update by rowid. The query returns the rowid as an extra last column.
struct SingleTableSelect {
    QString table;
    QString sqlWithRowid;
};
std::optional<SingleTableSelect> singleTableSelect(const QString& translatedSql);

} // namespace zav::store::dialect
