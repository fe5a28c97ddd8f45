#pragma once

// How the schema's field types are declared in SQLite and how values cross between QVariant and
// the columns: Booleans are stored -1/0 and read back as bool.

#include "store/Engine.h"

#include <QVariant>
#include <optional>

namespace zav::sqlite {
class Statement;
}

namespace zav::store {

QString declaredTypeOf(FieldType type);
// The field type of a declared column type; nullopt for a column the schema did not make.
std::optional<FieldType> fieldTypeOfDeclared(const QString& declaredType);

// The value of a column of the current row: Null as an invalid QVariant, Booleans as bool,
// integers as int (qint64 when larger), text as QString.
QVariant readColumn(const sqlite::Statement& statement, int column, std::optional<FieldType> type);
// Binds a value for a column of the given type: any bool as -1/0, a Boolean column's value as -1/0
// (Null as false), a number for an integer column rounded to a whole number.
void bindValue(sqlite::Statement& statement, int index, const QVariant& value, std::optional<FieldType> type);
// Binds a statement's "?" places to `parameters`, in order.
void bindParameters(sqlite::Statement& statement, const QVariantList& parameters);

} // namespace zav::store
