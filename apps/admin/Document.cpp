#include "Document.h"

#include "AdminError.h"
#include "Rights.h"
#include "operations/CredentialDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>
#include <limits>
#include <set>

namespace zav::admin {

namespace {

QJsonObject levelJson(const LevelEntry& entry) {
    const Class_Level& level = *entry.level;
    QJsonObject object{{QStringLiteral("id"), level.ID()},
                       {QStringLiteral("name"), level.DBLevelName()},
                       {QStringLiteral("displayName"), level.LevelName()},
                       {QStringLiteral("nEnable"), entry.nEnable}};
    for (const auto& right : FixedRights) {
        object.insert(QLatin1String(right.jsonKey), (level.cLevelEnable().get()->*right.get)());
    }
    QJsonArray custom;
    for (int n : CustomRightNumbers(*level.cLevelEnable())) {
        custom.append(n);
    }
    object.insert(QStringLiteral("custom"), custom);
    return object;
}

// ---- reading ----

[[noreturn]] void fault(int number, const QString& where, const QString& what) {
    throw AutomationError(number, where + QStringLiteral(": ") + what);
}

// Every member of `required` present, nothing beyond `required` and `optional`.
void checkMembers(const QJsonObject& object, const QStringList& required, const QStringList& optional,
                  const QString& where) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!required.contains(it.key()) && !optional.contains(it.key())) {
            fault(ErrBadFile, where, QStringLiteral("unknown member \"%1\"").arg(it.key()));
        }
    }
    for (const QString& key : required) {
        if (!object.contains(key)) {
            fault(ErrBadFile, where, QStringLiteral("member \"%1\" is missing").arg(key));
        }
    }
}

QJsonObject objectAt(const QJsonValue& value, const QString& where) {
    if (!value.isObject()) {
        fault(ErrBadFile, where, QStringLiteral("expected an object"));
    }
    return value.toObject();
}

QJsonArray arrayAt(const QJsonValue& value, const QString& where) {
    if (!value.isArray()) {
        fault(ErrBadFile, where, QStringLiteral("expected an array"));
    }
    return value.toArray();
}

QString textAt(const QJsonValue& value, const QString& where) {
    if (!value.isString()) {
        fault(ErrBadFile, where, QStringLiteral("expected a text"));
    }
    return value.toString();
}

QString nameAt(const QJsonValue& value, const QString& where) {
    const QString name = textAt(value, where);
    if (name.isEmpty()) {
        fault(manage::ErrZeroLength, where, QStringLiteral("a name cannot be empty"));
    }
    if (name.contains(QChar(u'\0'))) {
        fault(ErrInvalidArgument, where, QStringLiteral("a name cannot hold the character U+0000"));
    }
    return name;
}

bool booleanAt(const QJsonValue& value, const QString& where) {
    if (!value.isBool()) {
        fault(ErrBadFile, where, QStringLiteral("expected true or false"));
    }
    return value.toBool();
}

// A whole number from `lowest` to `highest`; a number outside is an overflow of its field.
int integerAt(const QJsonValue& value, const QString& where, int lowest, int highest) {
    const double number = value.toDouble();
    if (!value.isDouble() || std::trunc(number) != number) {
        fault(ErrBadFile, where, QStringLiteral("expected a whole number"));
    }
    if (number < lowest || number > highest) {
        fault(manage::ErrFieldOverflow, where,
              QStringLiteral("%1 is out of range (%2 to %3)")
                  .arg(value.toVariant().toString())
                  .arg(lowest)
                  .arg(highest));
    }
    return static_cast<int>(number);
}

LevelEntry parseLevel(const QJsonValue& value, const QString& where) {
    const QJsonObject object = objectAt(value, where);
    QStringList members{QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("password"),
                        QStringLiteral("custom"), QStringLiteral("nEnable")};
    for (const auto& right : FixedRights) {
        members << QLatin1String(right.jsonKey);
    }
    checkMembers(object, members, {QStringLiteral("displayName")}, where);
    const auto member = [&](const char* key) { return where + QLatin1Char('.') + QLatin1String(key); };

    LevelEntry entry;
    Class_Level& level = *entry.level;
    level.setID(integerAt(object[QStringLiteral("id")], member("id"), 0, LargestDocumentLevelId));
    level.setDBLevelName(nameAt(object[QStringLiteral("name")], member("name")));
    level.setPassword(textAt(object[QStringLiteral("password")], member("password")));
    Class_LevelEnable& rights = *level.cLevelEnable();
    for (const auto& right : FixedRights) {
        (rights.*right.set)(booleanAt(object[QLatin1String(right.jsonKey)], member(right.jsonKey)));
    }
    const QJsonArray custom = arrayAt(object[QStringLiteral("custom")], member("custom"));
    for (qsizetype i = 0; i < custom.size(); ++i) {
        const QString at = member("custom") + QStringLiteral("[%1]").arg(i);
        const int n = integerAt(custom[i], at, 1, Class_LevelEnable::CustomCount);
        if (rights.AllowCustom(n)) {
            fault(ErrBadFile, at, QStringLiteral("custom right %1 is listed twice").arg(n));
        }
        rights.setAllowCustom(n, true);
    }
    entry.nEnable =
        integerAt(object[QStringLiteral("nEnable")], member("nEnable"), 0, Class_LevelEnable::CustomCount);
    return entry;
}

OperatorEntry parseOperator(const QJsonValue& value, const QString& where) {
    const QJsonObject object = objectAt(value, where);
    checkMembers(object, {QStringLiteral("name"), QStringLiteral("password"), QStringLiteral("level")}, {},
                 where);
    OperatorEntry entry;
    entry.name = nameAt(object[QStringLiteral("name")], where + QStringLiteral(".name"));
    entry.password = textAt(object[QStringLiteral("password")], where + QStringLiteral(".password"));
    entry.levelId = integerAt(object[QStringLiteral("level")], where + QStringLiteral(".level"), 0,
                              LargestDocumentLevelId);
    return entry;
}

void checkHeader(const QJsonObject& root) {
    const QString format = QStringLiteral("format");
    if (root.contains(format) && textAt(root[format], format) != DocumentFormat) {
        fault(ErrBadFile, format, QStringLiteral("expected \"%1\"").arg(DocumentFormat));
    }
    const QString version = QStringLiteral("version");
    if (root.contains(version)) {
        const int number = integerAt(root[version], version, 0, std::numeric_limits<int>::max());
        if (number != DocumentVersion) {
            fault(ErrBadFile, version,
                  QStringLiteral("version %1 is unknown (expected %2)").arg(number).arg(DocumentVersion));
        }
    }
}

} // namespace

QJsonObject LevelListingJson(const LevelEntry& entry) {
    QJsonObject object = levelJson(entry);
    object.insert(QStringLiteral("hasPassword"), !entry.level->Password().isEmpty());
    return object;
}

QJsonObject OperatorListingJson(const OperatorEntry& entry, const QString& levelName) {
    return {{QStringLiteral("name"), entry.name},
            {QStringLiteral("level"), entry.levelId},
            {QStringLiteral("levelName"), levelName},
            {QStringLiteral("hasPassword"), !entry.password.isEmpty()}};
}

QByteArray ExportDocument(const Snapshot& snapshot) {
    QJsonArray levels;
    for (const auto& entry : snapshot.levels) {
        QJsonObject object = levelJson(entry);
        object.insert(QStringLiteral("password"), entry.level->Password());
        levels.append(object);
    }
    QJsonArray operators;
    for (const auto& entry : snapshot.operators) {
        operators.append(QJsonObject{{QStringLiteral("name"), entry.name},
                                     {QStringLiteral("password"), entry.password},
                                     {QStringLiteral("level"), entry.levelId}});
    }
    QJsonObject root{{QStringLiteral("format"), DocumentFormat},
                     {QStringLiteral("version"), DocumentVersion},
                     {QStringLiteral("levels"), levels},
                     {QStringLiteral("operators"), operators}};
    if (!snapshot.captions.empty()) {
        QJsonObject captions;
        for (const auto& [key, text] : snapshot.captions) {
            captions.insert(key, text);
        }
        root.insert(QStringLiteral("captions"), captions);
    }
    if (!snapshot.policy.empty()) {
        QJsonObject policy;
        for (const auto& [key, value] : snapshot.policy) {
            policy.insert(key, value);
        }
        root.insert(QStringLiteral("policy"), policy);
    }
    if (snapshot.ages) {
        QJsonArray ages;
        for (const manage::PasswordAge& age : *snapshot.ages) {
            ages.append(
                QJsonObject{{QStringLiteral("kind"), age.entry.kind == manage::LockoutKind::Level
                                                         ? QStringLiteral("level")
                                                         : QStringLiteral("operator")},
                            {QStringLiteral("name"), age.entry.name},
                            {QStringLiteral("changedAt"),
                             age.changedAt.isValid() ? QJsonValue(age.changedAt.toString(Qt::ISODateWithMs))
                                                     : QJsonValue()},
                            {QStringLiteral("mustChange"), age.mustChange},
                            {QStringLiteral("byOwner"), age.byOwner},
                            {QStringLiteral("history"), QJsonArray::fromStringList(age.history)}});
        }
        root.insert(QStringLiteral("passwordAges"), ages);
    }
    if (snapshot.badges) {
        QJsonArray badges;
        for (const manage::BadgeRow& row : *snapshot.badges) {
            badges.append(QJsonObject{{QStringLiteral("operator"), row.name},
                                      {QStringLiteral("hmac"), row.hmac},
                                      {QStringLiteral("method"), manage::MethodText(row.method)},
                                      {QStringLiteral("pin"), row.pin}});
        }
        root.insert(QStringLiteral("badges"), badges);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

namespace {
manage::PasswordAge parseAge(const QJsonValue& value, const QString& where) {
    const QJsonObject object = objectAt(value, where);
    checkMembers(object,
                 {QStringLiteral("kind"), QStringLiteral("name"), QStringLiteral("changedAt"),
                  QStringLiteral("mustChange"), QStringLiteral("byOwner"), QStringLiteral("history")},
                 {}, where);
    manage::PasswordAge age;
    const QString kind = textAt(object[QStringLiteral("kind")], where + QStringLiteral(".kind"));
    if (kind != QLatin1String("level") && kind != QLatin1String("operator")) {
        fault(ErrBadFile, where + QStringLiteral(".kind"),
              QStringLiteral("expected \"level\" or \"operator\""));
    }
    age.entry = {kind == QLatin1String("level") ? manage::LockoutKind::Level : manage::LockoutKind::Operator,
                 nameAt(object[QStringLiteral("name")], where + QStringLiteral(".name"))};
    const QJsonValue changedAt = object[QStringLiteral("changedAt")];
    if (!changedAt.isNull()) {
        age.changedAt =
            QDateTime::fromString(textAt(changedAt, where + QStringLiteral(".changedAt")), Qt::ISODateWithMs);
        if (!age.changedAt.isValid()) {
            fault(ErrBadFile, where + QStringLiteral(".changedAt"),
                  QStringLiteral("expected an ISO 8601 time"));
        }
    }
    age.mustChange = booleanAt(object[QStringLiteral("mustChange")], where + QStringLiteral(".mustChange"));
    age.byOwner = booleanAt(object[QStringLiteral("byOwner")], where + QStringLiteral(".byOwner"));
    const QJsonArray history = arrayAt(object[QStringLiteral("history")], where + QStringLiteral(".history"));
    for (qsizetype i = 0; i < history.size(); ++i) {
        age.history << textAt(history[i], where + QStringLiteral(".history[%1]").arg(i));
    }
    return age;
}

// A badge of an operator of the document (`operators`, by name letter case aside: the row takes its
// spelling), as a HMAC of 64 hexadecimal digits.
manage::BadgeRow parseBadge(const QJsonValue& value, const QString& where,
                            const std::set<QString, CaseInsensitiveLess>& operators) {
    const QJsonObject object = objectAt(value, where);
    checkMembers(object, {QStringLiteral("operator"), QStringLiteral("hmac"), QStringLiteral("method")},
                 {QStringLiteral("pin")}, where);
    const auto member = [&](const char* key) { return where + QLatin1Char('.') + QLatin1String(key); };
    manage::BadgeRow row;
    const auto named = operators.find(nameAt(object[QStringLiteral("operator")], member("operator")));
    if (named == operators.end()) {
        fault(manage::ErrRelatedRecordRequired, member("operator"),
              QStringLiteral("the document has no operator \"%1\"")
                  .arg(object[QStringLiteral("operator")].toString()));
    }
    row.name = *named;
    row.hmac = textAt(object[QStringLiteral("hmac")], member("hmac")).toLower();
    if (row.hmac.size() != 64 || QByteArray::fromHex(row.hmac.toLatin1()).toHex() != row.hmac.toLatin1()) {
        fault(ErrBadFile, member("hmac"), QStringLiteral("expected 64 hexadecimal digits"));
    }
    const auto method = manage::MethodFromText(textAt(object[QStringLiteral("method")], member("method")));
    if (!method || *method == manage::LoginMethod::Password) {
        fault(ErrBadFile, member("method"), QStringLiteral("expected \"badge\" or \"badge+pin\""));
    }
    row.method = *method;
    if (object.contains(QStringLiteral("pin"))) {
        row.pin = textAt(object[QStringLiteral("pin")], member("pin"));
    }
    return row;
}
} // namespace

Snapshot ParseDocument(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        throw AutomationError(
            ErrBadFile,
            QStringLiteral("not valid JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset));
    }
    if (!document.isObject()) {
        throw AutomationError(ErrBadFile, QStringLiteral("the document is not a JSON object"));
    }
    const QJsonObject root = document.object();
    checkMembers(root, {QStringLiteral("levels"), QStringLiteral("operators")},
                 {QStringLiteral("format"), QStringLiteral("version"), QStringLiteral("captions"),
                  QStringLiteral("policy"), QStringLiteral("passwordAges"), QStringLiteral("badges")},
                 QStringLiteral("document"));
    checkHeader(root);

    Snapshot snapshot;
    std::set<int> ids;
    std::set<QString, CaseInsensitiveLess> levelNames;
    const QJsonArray levels = arrayAt(root[QStringLiteral("levels")], QStringLiteral("levels"));
    for (qsizetype i = 0; i < levels.size(); ++i) {
        const QString where = QStringLiteral("levels[%1]").arg(i);
        LevelEntry entry = parseLevel(levels[i], where);
        if (!ids.insert(entry.level->ID()).second) {
            fault(manage::ErrDuplicateKey, where + QStringLiteral(".id"),
                  QStringLiteral("level ID %1 is given twice").arg(entry.level->ID()));
        }
        if (!levelNames.insert(entry.level->DBLevelName()).second) {
            fault(manage::ErrDuplicateKey, where + QStringLiteral(".name"),
                  QStringLiteral("another level is named \"%1\" (letter case aside)")
                      .arg(entry.level->DBLevelName()));
        }
        snapshot.levels.push_back(entry);
    }
    std::set<QString, CaseInsensitiveLess> operatorNames;
    const QJsonArray operators = arrayAt(root[QStringLiteral("operators")], QStringLiteral("operators"));
    for (qsizetype i = 0; i < operators.size(); ++i) {
        const QString where = QStringLiteral("operators[%1]").arg(i);
        OperatorEntry entry = parseOperator(operators[i], where);
        if (!operatorNames.insert(entry.name).second) {
            fault(manage::ErrDuplicateKey, where + QStringLiteral(".name"),
                  QStringLiteral("another operator is named \"%1\" (letter case aside)").arg(entry.name));
        }
        if (ids.count(entry.levelId) == 0) {
            fault(manage::ErrRelatedRecordRequired, where + QStringLiteral(".level"),
                  QStringLiteral("the document has no level %1").arg(entry.levelId));
        }
        snapshot.operators.push_back(entry);
    }
    if (root.contains(QStringLiteral("captions"))) {
        const QJsonObject captions = objectAt(root[QStringLiteral("captions")], QStringLiteral("captions"));
        for (auto it = captions.begin(); it != captions.end(); ++it) {
            const QString where = QStringLiteral("captions.%1").arg(it.key());
            if (!manage::IsCaptionKey(it.key())) {
                fault(ErrBadFile, where,
                      QStringLiteral("no right has this caption key (ML, MO, SD, AD, 1 to 100)"));
            }
            snapshot.captions.emplace_back(it.key(), textAt(it.value(), where));
        }
    }
    if (root.contains(QStringLiteral("policy"))) {
        const QJsonObject policy = objectAt(root[QStringLiteral("policy")], QStringLiteral("policy"));
        for (auto it = policy.begin(); it != policy.end(); ++it) {
            const QString where = QStringLiteral("policy.%1").arg(it.key());
            const QString value = textAt(it.value(), where);
            try {
                snapshot.policy.emplace_back(it.key(), manage::CheckedPolicyValue(it.key(), value));
            } catch (const AutomationError& refused) {
                fault(refused.Number(), where, refused.Description());
            }
        }
    }
    if (root.contains(QStringLiteral("passwordAges"))) {
        const QJsonArray ages = arrayAt(root[QStringLiteral("passwordAges")], QStringLiteral("passwordAges"));
        snapshot.ages.emplace();
        for (qsizetype i = 0; i < ages.size(); ++i) {
            snapshot.ages->push_back(parseAge(ages[i], QStringLiteral("passwordAges[%1]").arg(i)));
        }
    }
    if (root.contains(QStringLiteral("badges"))) {
        const QJsonArray badges = arrayAt(root[QStringLiteral("badges")], QStringLiteral("badges"));
        snapshot.badges.emplace();
        std::set<QString> hmacs;
        for (qsizetype i = 0; i < badges.size(); ++i) {
            const QString where = QStringLiteral("badges[%1]").arg(i);
            snapshot.badges->push_back(parseBadge(badges[i], where, operatorNames));
            if (!hmacs.insert(snapshot.badges->back().hmac).second) {
                fault(manage::ErrDuplicateKey, where + QStringLiteral(".hmac"),
                      QStringLiteral("another badge has this HMAC"));
            }
        }
    }
    return snapshot;
}

} // namespace zav::admin
