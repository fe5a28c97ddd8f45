#include "store/Schema.h"

namespace zav::store {

QString CustomFieldName(int number) {
    return QStringLiteral("Custom") + QString::number(number);
}

TableDef LevelsTableDef() {
    TableDef table{LevelsTable, {}, {}};
    table.fields.push_back({FieldID, FieldType::Integer, false});
    table.fields.push_back({FieldName, FieldType::Text, false});
    table.fields.push_back({FieldPWD, FieldType::Text, true});
    for (const auto& right : {FieldManageLevel, FieldManageOperator, FieldDisShutDown, FieldDesktop}) {
        table.fields.push_back({right, FieldType::Boolean, false});
    }
    for (int number = 1; number <= CustomFieldCount; ++number) {
        table.fields.push_back({CustomFieldName(number), FieldType::Boolean, false});
    }
    table.fields.push_back({FieldNEnable, FieldType::Long, false});
    table.indexes.push_back({LevPrimaryKey, {FieldID}, true, true});
    table.indexes.push_back({LevUniqueKey, {FieldName}, false, true});
    return table;
}

TableDef OperatorsTableDef() {
    TableDef table{OperatorsTable, {}, {}};
    table.fields.push_back({FieldName, FieldType::Text, false});
    table.fields.push_back({FieldPWD, FieldType::Text, true});
    table.fields.push_back({FieldID, FieldType::Integer, false});
    table.indexes.push_back({OpPrimaryKey, {FieldName}, true, true});
    return table;
}

TableDef GrantsTableDef() {
    TableDef table{GrantsTable, {}, {}};
    table.fields.push_back({FieldName, FieldType::Text, false});
    table.fields.push_back({FieldVersion, FieldType::Text, true});
    table.indexes.push_back({QStringLiteral("GrantPrimaryKey"), {FieldName}, true, true});
    return table;
}

TableDef PolicyTableDef() {
    TableDef table{PolicyTable, {}, {}};
    table.fields.push_back({FieldName, FieldType::Text, false});
    table.fields.push_back({FieldValue, FieldType::Text, true});
    table.indexes.push_back({QStringLiteral("PolicyPrimaryKey"), {FieldName}, true, true});
    return table;
}

TableDef ProfileTableDef() {
    TableDef table{ProfileTable, {}, {}};
    table.fields.push_back({FieldSection, FieldType::Text, false});
    table.fields.push_back({FieldName, FieldType::Text, false});
    table.fields.push_back({FieldValue, FieldType::Text, true});
    table.indexes.push_back({QStringLiteral("ProfilePrimaryKey"), {FieldSection, FieldName}, true, true});
    return table;
}

TableDef LockoutTableDef() {
    TableDef table{LockoutTable, {}, {}};
    table.fields.push_back({FieldKind, FieldType::Text, false});
    table.fields.push_back({FieldName, FieldType::Text, false});
    table.fields.push_back({FieldFailures, FieldType::Long, false});
    table.fields.push_back({FieldLocked, FieldType::Boolean, false});
    table.fields.push_back({FieldLockedUntil, FieldType::Text, true});
    table.indexes.push_back({QStringLiteral("LockoutPrimaryKey"), {FieldKind, FieldName}, true, true});
    return table;
}

TableDef PasswordAgesTableDef() {
    TableDef table{PasswordAgesTable, {}, {}};
    table.fields.push_back({FieldKind, FieldType::Text, false});
    table.fields.push_back({FieldName, FieldType::Text, false});
    table.fields.push_back({FieldChangedAt, FieldType::Text, true});
    table.fields.push_back({FieldMustChange, FieldType::Boolean, false});
    table.fields.push_back({FieldByOwner, FieldType::Boolean, false});
    table.fields.push_back({FieldHistory, FieldType::Text, true});
    table.indexes.push_back({QStringLiteral("PasswordAgesPrimaryKey"), {FieldKind, FieldName}, true, true});
    return table;
}

TableDef BadgesTableDef() {
    TableDef table{BadgesTable, {}, {}};
    table.fields.push_back({FieldHmac, FieldType::Text, false});
    table.fields.push_back({FieldName, FieldType::Text, false});
    table.fields.push_back({FieldMethod, FieldType::Text, false});
    table.fields.push_back({FieldPIN, FieldType::Text, true});
    table.indexes.push_back({QStringLiteral("BadgesPrimaryKey"), {FieldHmac}, true, true});
    return table;
}

TableDef AuditTableDef() {
    TableDef table{AuditTable, {}, {}};
    table.fields.push_back({FieldSeq, FieldType::Long, false});
    for (const QString& text : {FieldTime, FieldPanel, FieldOsUser, FieldEvent, FieldOperator, FieldLevel,
                                FieldDetail, FieldPrevious, FieldHash}) {
        table.fields.push_back({text, FieldType::Text, true});
    }
    table.indexes.push_back({QStringLiteral("AuditPrimaryKey"), {FieldSeq}, true, true});
    return table;
}

TableDef AuditSealTableDef() {
    TableDef table{AuditSealTable, {}, {}};
    table.fields.push_back({FieldName, FieldType::Text, false});
    table.fields.push_back({FieldSeq, FieldType::Long, false});
    table.fields.push_back({FieldHash, FieldType::Text, true});
    table.indexes.push_back({QStringLiteral("AuditSealPrimaryKey"), {FieldName}, true, true});
    return table;
}

RelationDef RelIDRefDef() {
    return {RelIDRef,
            LevelsTable,
            OperatorsTable,
            RelationUpdateCascade | RelationDeleteCascade,
            {{FieldID, FieldID}}};
}

} // namespace zav::store
