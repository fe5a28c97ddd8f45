#pragma once

// The credential database: its password, connect string, tables, indexes and relation.

#include "store/Engine.h"

namespace zav::store {

// The fixed database password; also the password of the built-in top level 0.
inline const QString DatabasePassword = QStringLiteral("KWB_Merlato");
// Passed to every open.
inline const QString ConnectString = QStringLiteral(";pwd=KWB_Merlato");
// English general sort order, code page 1252: creation passes it followed by the connect string.
inline const QString LocaleArgument = QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0");

inline const QString LevelsTable = QStringLiteral("Levels");
inline const QString OperatorsTable = QStringLiteral("Operators");
// The one-time grants that ran on the file (Name, Version); readers that do not know it ignore it.
inline const QString GrantsTable = QStringLiteral("OneTimeGrants");
// The profile entries of a server database (Section, Name, Value): what a profile file keeps beside a
// file database, shared here by every panel of the server. Made by the first entry written.
inline const QString ProfileTable = QStringLiteral("Profile");
// The security policy (Name, Value): made by the first change of an entry; a file without it has the
// default policy.
inline const QString PolicyTable = QStringLiteral("Policy");
// Failed logins per operator or level (Kind, Name, Failures, Locked, LockedUntil): made by the first
// failure counted while the policy locks out; a file without it has no failures counted.
inline const QString LockoutTable = QStringLiteral("Lockout");
// The audit trail (Seq, Time, Panel, OsUser, Event, Operator, Level, Detail, Previous, Hash): made when
// the policy turns the audit on; rows are only ever appended (and the oldest removed by retention).
inline const QString AuditTable = QStringLiteral("Audit");
// Where the trail starts and ends (Name "first" / "last", Seq, Hash), written with every row, so that
// removing rows at either end shows.
inline const QString AuditSealTable = QStringLiteral("AuditSeal");
// How old each level's and operator's password is (Kind, Name, ChangedAt, MustChange, ByOwner,
// History): made when the policy first ages passwords; a file without it ages nothing.
inline const QString PasswordAgesTable = QStringLiteral("PasswordAges");
// The badges operators log in with (Hmac, Name, Method, PIN): made when the policy turns badge login on.
// A badge is kept only as HMACs of its number under a key outside the database.
inline const QString BadgesTable = QStringLiteral("Badges");

inline const QString FieldID = QStringLiteral("ID");
inline const QString FieldName = QStringLiteral("Name");
inline const QString FieldPWD = QStringLiteral("PWD");
inline const QString FieldManageLevel = QStringLiteral("ManageLevel");
inline const QString FieldManageOperator = QStringLiteral("ManageOperator");
inline const QString FieldDisShutDown = QStringLiteral("DisShutDown");
inline const QString FieldDesktop = QStringLiteral("Desktop");
inline const QString FieldNEnable = QStringLiteral("NEnable");
inline const QString FieldVersion = QStringLiteral("Version");
inline const QString FieldValue = QStringLiteral("Value");
inline const QString FieldSection = QStringLiteral("Section");
inline const QString FieldKind = QStringLiteral("Kind");
inline const QString FieldFailures = QStringLiteral("Failures");
inline const QString FieldLocked = QStringLiteral("Locked");
inline const QString FieldLockedUntil = QStringLiteral("LockedUntil");
inline const QString FieldSeq = QStringLiteral("Seq");
inline const QString FieldTime = QStringLiteral("Time");
inline const QString FieldPanel = QStringLiteral("Panel");
inline const QString FieldOsUser = QStringLiteral("OsUser");
inline const QString FieldEvent = QStringLiteral("Event");
inline const QString FieldOperator = QStringLiteral("Operator");
inline const QString FieldLevel = QStringLiteral("Level");
inline const QString FieldDetail = QStringLiteral("Detail");
inline const QString FieldPrevious = QStringLiteral("Previous");
inline const QString FieldHash = QStringLiteral("Hash");
inline const QString FieldChangedAt = QStringLiteral("ChangedAt");
inline const QString FieldMustChange = QStringLiteral("MustChange");
inline const QString FieldByOwner = QStringLiteral("ByOwner");
inline const QString FieldHistory = QStringLiteral("History");
inline const QString FieldHmac = QStringLiteral("Hmac");
inline const QString FieldMethod = QStringLiteral("Method");
inline const QString FieldPIN = QStringLiteral("PIN");
inline constexpr int CustomFieldCount = 100;
// "Custom1" ... "Custom100"
QString CustomFieldName(int number);

inline const QString LevPrimaryKey = QStringLiteral("LevPrimaryKey");
inline const QString LevUniqueKey = QStringLiteral("LevUniqueKey");
inline const QString OpPrimaryKey = QStringLiteral("OpPrimaryKey");
inline const QString RelIDRef = QStringLiteral("RelIDRef");

// Levels: ID, Name, PWD, ManageLevel, ManageOperator, DisShutDown, Desktop, Custom1..Custom100, NEnable.
TableDef LevelsTableDef();
// Operators: Name, PWD, ID.
TableDef OperatorsTableDef();
// OneTimeGrants: Name (primary key), Version.
TableDef GrantsTableDef();
// Policy: Name (primary key), Value.
TableDef PolicyTableDef();
// Profile: Section and Name (primary key), Value.
TableDef ProfileTableDef();
// Lockout: Kind ("operator" or "level") and Name (primary key together), Failures, Locked and
// LockedUntil (UTC, ISO 8601; Null while locked until a manager unlocks).
TableDef LockoutTableDef();
// Audit: Seq (primary key), the texts of one event, Previous (the hash of the row before) and Hash.
TableDef AuditTableDef();
// AuditSeal: Name (primary key), Seq, Hash.
TableDef AuditSealTableDef();
// PasswordAges: Kind ("operator" or "level") and Name (primary key together), ChangedAt (UTC, ISO
// 8601), MustChange, ByOwner and History (a JSON array of the passwords before, as stored).
TableDef PasswordAgesTableDef();
// Badges: Hmac (primary key: a badge is one operator's), Name (the operator's, as stored), Method
// ("badge" or "badge+pin") and PIN (stored as passwords are; Null without one).
TableDef BadgesTableDef();
// Levels.ID -> Operators.ID, cascading update and delete.
RelationDef RelIDRefDef();

} // namespace zav::store
