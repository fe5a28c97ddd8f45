#pragma once

// Levels and operators as JSON: the listings (no passwords, only whether there is one) and the export
// document, a full backup with the passwords:
//   {"format": "ZAV_PrjLogin credentials", "version": 1,
//    "levels": [{"id", "name", "displayName", "password", "manageLevel", "manageOperator",
//                "disShutDown", "desktop", "custom": [numbers of the true custom rights], "nEnable"}],
//    "operators": [{"name", "password", "level"}],
//    "captions": {"ML": text, "MO", "SD", "AD", "1" ... "100"},   (the captions the profile file holds)
//    "policy": {key: value},   (the policy entries the database holds; left out when it holds none)
//    "badges": [{"operator", "hmac", "method", "pin"}]}   (while the database keeps badges: their HMACs,
//              never their numbers; "pin" as stored, empty for none or while the passwords are hidden)

#include "operations/CredentialDatabase.h"

#include <QByteArray>
#include <QJsonObject>

namespace zav::admin {

using manage::LevelEntry;
using manage::OperatorEntry;
using manage::Snapshot;

inline const QString DocumentFormat = QStringLiteral("ZAV_PrjLogin credentials");
inline constexpr int DocumentVersion = 1;
// Level IDs a document may hold: the 16-bit ID column, without the negative numbers that only a
// renumbering uses for a moment.
inline constexpr int LargestDocumentLevelId = 32767;

// Names in order, letter case aside.
struct CaseInsensitiveLess {
    bool operator()(const QString& a, const QString& b) const {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    }
};

QJsonObject LevelListingJson(const LevelEntry& entry);
// `levelName` is the name shown for the operator's level.
QJsonObject OperatorListingJson(const OperatorEntry& entry, const QString& levelName);

QByteArray ExportDocument(const Snapshot& snapshot);

// Reads and checks a whole document before anything is written: member names and types, level IDs
// 0 to 32767, non-empty names, level names and operator names unique without regard to letter case,
// each level ID once, custom rights 1 to 100, NEnable 0 to 100, every operator's level present, every
// badge's operator present and its HMAC 64 hexadecimal digits that no other badge has.
// displayName is not read. Throws AutomationError naming the first fault and where it is
// ("levels[2].id: ...").
Snapshot ParseDocument(const QByteArray& json);

} // namespace zav::admin
