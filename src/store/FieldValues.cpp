#include "store/FieldValues.h"

#include "store/DbError.h"
#include "store/SqliteStatement.h"

#include <cmath>
#include <limits>

namespace zav::store {

namespace {
constexpr qint64 AutomationTrue = -1;

bool isWholeNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFraction(const QVariant& value) {
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

struct DeclaredType {
    FieldType type;
    QLatin1String name;
};

// Long is "INT", not "INTEGER": that would turn a primary key into the rowid.
constexpr DeclaredType DeclaredTypes[] = {{FieldType::Text, QLatin1String("TEXT")},
                                          {FieldType::Boolean, QLatin1String("BOOLEAN")},
                                          {FieldType::Integer, QLatin1String("SMALLINT")},
                                          {FieldType::Long, QLatin1String("INT")}};
} // namespace

QString declaredTypeOf(FieldType type) {
    for (const auto& known : DeclaredTypes) {
        if (known.type == type) {
            return QString(known.name);
        }
    }
    return QString(DeclaredTypes[0].name);
}

std::optional<FieldType> fieldTypeOfDeclared(const QString& declaredType) {
    for (const auto& known : DeclaredTypes) {
        if (declaredType.compare(known.name, Qt::CaseInsensitive) == 0) {
            return known.type;
        }
    }
    return std::nullopt;
}

QVariant readColumn(const sqlite::Statement& statement, int column, std::optional<FieldType> type) {
    switch (statement.columnType(column)) {
    case sqlite::ColumnType::Null:
        return {};
    case sqlite::ColumnType::Integer: {
        const qint64 number = statement.columnInt64(column);
        if (type == FieldType::Boolean) {
            return QVariant(number != 0);
        }
        const bool fitsInt =
            number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max();
        return fitsInt ? QVariant(int(number)) : QVariant(number);
    }
    case sqlite::ColumnType::Float:
        return QVariant(statement.columnDouble(column));
    case sqlite::ColumnType::Blob:
        return QVariant(statement.columnBlob(column));
    case sqlite::ColumnType::Text:
        break;
    }
    return QVariant(statement.columnText(column));
}

void bindValue(sqlite::Statement& statement, int index, const QVariant& value,
               std::optional<FieldType> type) {
    if (type == FieldType::Boolean || value.typeId() == QMetaType::Bool) {
        statement.bind(index, value.toBool() ? AutomationTrue : qint64(0));
    } else if (!value.isValid() || value.isNull()) {
        statement.bindNull(index);
    } else if (isWholeNumber(value)) {
        statement.bind(index, value.toLongLong());
    } else if (isFraction(value)) {
        const bool whole = type == FieldType::Integer || type == FieldType::Long;
        const double number = value.toDouble();
        if (whole && std::abs(number) < 9.0e18) {
            statement.bind(index, qint64(std::llround(number)));
        } else {
            statement.bind(index, number);
        }
    } else {
        const QString text = value.toString();
        if (text.contains(QChar(u'\0'))) {
            throw textWithNul();
        }
        statement.bind(index, text);
    }
}

void bindParameters(sqlite::Statement& statement, const QVariantList& parameters) {
    for (int index = 0; index < parameters.size(); ++index) {
        bindValue(statement, index + 1, parameters[index], std::nullopt);
    }
}

} // namespace zav::store
