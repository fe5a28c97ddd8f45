// The level and operator operations without any window, on a file and on a server database.

#include "access/LevelRecord.h"
#include "language/CurrentLanguageProvider.h"
#include "operations/AuditTrail.h"
#include "operations/Badges.h"
#include "operations/Clock.h"
#include "operations/CredentialCheck.h"
#include "operations/DatabaseSetup.h"
#include "operations/Exchange.h"
#include "operations/LevelOperations.h"
#include "operations/NumericText.h"
#include "operations/OperatorOperations.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordOperations.h"
#include "operations/PasswordRows.h"
#include "operations/PasswordRules.h"
#include "operations/Policy.h"
#include "operations/Replica.h"
#include "outside/OutsideObjects.h"
#include "store/Schema.h"
#include "store/StoreTestSupport.h"
#include "support/ComponentSession.h"
#include "support/FakeOutside.h"
#include "support/FaultyEngine.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace zav;
using namespace zav::manage;
using zav::store::test::Place;
using zav::store::test::Places;
using zav::test::CredentialFile;
using zav::test::ErrorNumber;
using zav::test::LevelSpec;

namespace {

class ManageOperations : public ::testing::TestWithParam<Place> {
protected:
    void SetUp() override {
        file.create();
        language::setLanguageProvider(language);
    }
    void TearDown() override { language::setLanguageProvider(nullptr); }

    Places places{GetParam()};
    CredentialFile file{places.fresh()};
    std::shared_ptr<test::FakeLanguageProvider> language = std::make_shared<test::FakeLanguageProvider>();
};

TEST_P(ManageOperations, AddLevelTakesTheNumberAboveTheLargestWithoutRightsAndOnlyAFreeName) {
    EXPECT_EQ(AddLevel(file.path(), "First"), 2);
    file.addLevels({{5, "Five", true, true, true, true, {1}}});
    EXPECT_EQ(AddLevel(file.path(), "Next"), 6);
    EXPECT_EQ(ErrorNumber([&] { AddLevel(file.path(), "FIVE"); }), store::ErrDuplicateKey);

    auto level = Class_Level::create();
    ASSERT_TRUE(LoadLevel(file.path(), 6, *level));
    EXPECT_TRUE(level->DBLevelName() == "Next" && level->Password().isEmpty());
    const auto& rights = *level->cLevelEnable();
    EXPECT_FALSE(rights.AllowManageLevel() || rights.DisShutDown() || rights.AllowCustom(1));
    EXPECT_EQ(file.levels().at("Next").nEnable, 0);

    // Up to the largest number and no further.
    file.addLevels({{32766, "Almost last"}});
    EXPECT_EQ(AddLevel(file.path(), "Last"), LargestLevelId);
    EXPECT_EQ(ErrorNumber([&] { AddLevel(file.path(), "Beyond"); }), store::ErrFieldOverflow);
    EXPECT_EQ(file.levelIdsByName(),
              (std::map<QString, int>{
                  {"First", 2}, {"Five", 5}, {"Next", 6}, {"Almost last", 32766}, {"Last", 32767}}));
}

TEST_P(ManageOperations, AnEarlierRightOutweighsEveryLaterOneAndTheOperatorsGoAlongAlsoWhenRightsAreStored) {
    std::vector<int> all(100);
    std::iota(all.begin(), all.end(), 1);
    file.addLevels({{0, "Everything but levels", false, true, true, true, all},
                    {1, "Desktop and customs", false, false, false, true, {1, 2, 3}},
                    {2, "Shutdown only", false, false, true, false},
                    {3, "Levels only", true},
                    {4, "Many customs", false, false, false, false, {1, 2, 3, 4}},
                    {5, "Few customs", false, false, false, false, {9}}});
    file.addOperators({{"anna", 3}, {"bert", 0}, {"carl", 5}});
    const std::map<QString, int> ranked{{"Levels only", 0},   {"Everything but levels", 1},
                                        {"Shutdown only", 2}, {"Desktop and customs", 3},
                                        {"Many customs", 4},  {"Few customs", 5}};
    RenumberLevels(file.path());
    EXPECT_EQ(file.levelIdsByName(), ranked);
    EXPECT_EQ(file.operatorLevels(), (std::map<QString, int>{{"anna", 0}, {"bert", 1}, {"carl", 5}}));

    // Levels already in their places are not written again.
    {
        test::FaultyEngine counting;
        RenumberLevels(file.path());
        EXPECT_EQ(counting.keyChanges, 0);
        EXPECT_EQ(file.levelIdsByName(), ranked);
    }
    // Stored rights replace the old ones, count the true customs and renumber: with the desktop right
    // "Few customs" passes "Many customs".
    const auto rights = test::Rights(false, false, false, true, {3, 7, 50});
    EXPECT_TRUE(StoreLevelRights(file.path(), 5, "Few customs", *rights));
    EXPECT_EQ(file.levels().at("Few customs").nEnable, 3);
    EXPECT_TRUE(file.levelIdsByName().at("Few customs") == 4 && file.operatorLevels().at("carl") == 4);
    EXPECT_TRUE(file.levelFlag(4, store::CustomFieldName(50)) && file.levelFlag(4, store::FieldDesktop));
    EXPECT_FALSE(file.levelFlag(4, store::CustomFieldName(9)) ||
                 file.levelFlag(4, store::CustomFieldName(51)));
    const auto ids = file.levelIdsByName();
    EXPECT_FALSE(StoreLevelRights(file.path(), 9, "Gone", *rights));
    EXPECT_EQ(file.levelIdsByName(), ids);
}

// A removal whose renumbering fails keeps the level and its operators.
TEST_P(ManageOperations, RemovingALevelTakesItsOperatorsAndClosesTheGapOrChangesNothing) {
    file.addLevels({{0, "Top", true, true}, {1, "Middle", false, true}, {2, "Low"}, {3, "Lowest"}});
    file.addOperators({{"lou", 2}, {"lea", 2}, {"max", 3}, {"mia", 1}});
    const auto ids = file.levelIdsByName();
    const auto operators = file.operatorLevels();
    {
        test::FaultyEngine faults;
        faults.failKeyChanges = true;
        EXPECT_NE(ErrorNumber([&] { RemoveLevel(file.path(), 2, "Low"); }), 0);
        EXPECT_TRUE(file.levelIdsByName() == ids && file.operatorLevels() == operators);
        EXPECT_EQ(faults.executed, QStringList{"Delete * from Levels where ID = ? <- 2"});
    }
    RemoveLevel(file.path(), 2, "Low");
    EXPECT_EQ(file.levelIdsByName(), (std::map<QString, int>{{"Top", 0}, {"Middle", 1}, {"Lowest", 2}}));
    EXPECT_EQ(file.operatorLevels(), (std::map<QString, int>{{"max", 2}, {"mia", 1}}));
}

TEST_P(ManageOperations, AWriteByANumberThatNowBelongsElsewhereChangesNothing) {
    LevelSpec b(2, "B");
    b.password = "b-secret";
    file.addLevels({{0, "Top", true, true}, {1, "A"}, b, {3, "C"}});
    file.addOperators({{"anna", 1}, {"bert", 2}});
    // Read: B is 2. Elsewhere B gets the desktop right and is renumbered above A (B 1, A 2).
    const auto desktop = test::Rights(false, false, false, true);
    ASSERT_TRUE(StoreLevelRights(file.path(), 2, "B", *desktop));
    // The name has moved to another number (B at 2, or at the now empty 7): nothing is written.
    for (const int staleId : {2, 7}) {
        const auto ids = file.levelIdsByName();
        const auto operators = file.operatorLevels();
        const std::vector<std::pair<const char*, std::function<void()>>> writes{
            {"password", [&] { StoreLevelPassword(file.path(), staleId, "B", "x"); }},
            {"rights", [&] { StoreLevelRights(file.path(), staleId, "B", *desktop); }},
            {"read", [&] { ReadLevelRights(file.path(), staleId, "B", *desktop); }},
            {"remove", [&] { RemoveLevel(file.path(), staleId, "B"); }},
            {"add", [&] { AddOperator(file.path(), staleId, "olga", "B"); }},
            {"move", [&] { MoveOperator(file.path(), "anna", staleId, "B"); }}};
        for (const auto& [what, write] : writes) {
            EXPECT_EQ(ErrorNumber(write), access::ErrLevelChanged) << what << " " << staleId;
        }
        EXPECT_TRUE(file.levelIdsByName() == ids && file.operatorLevels() == operators);
    }
    auto a = Class_Level::create();
    ASSERT_TRUE(LoadLevel(file.path(), 2, *a));
    EXPECT_TRUE(a->DBLevelName() == "A" && a->Password().isEmpty() && !a->cLevelEnable()->AllowDesktop());
    // By its present number the same writes go through; a level that is gone is no longer there.
    EXPECT_TRUE(StoreLevelPassword(file.path(), 1, "B", "new"));
    EXPECT_FALSE(StoreLevelPassword(file.path(), 9, "Gone", "x"));
    MoveOperator(file.path(), "anna", 1, "B");
    EXPECT_EQ(file.operatorLevels().at("anna"), 1);
}

TEST_P(ManageOperations, OperatorsAreAddedMovedAndRemovedByTheirName) {
    file.addLevels({{0, "Top"}, {1, "One"}, {2, "Two"}});
    AddOperator(file.path(), 1, "O'Brien");
    AddOperator(file.path(), 2, "Müller");
    EXPECT_EQ(ErrorNumber([&] { AddOperator(file.path(), 2, "o'brien"); }), store::ErrDuplicateKey);
    EXPECT_EQ(ErrorNumber([&] { AddOperator(file.path(), 9, "Nobody"); }), store::ErrRelatedRecordRequired);
    EXPECT_EQ(file.operatorLevels(), (std::map<QString, int>{{"Müller", 2}, {"O'Brien", 1}}));

    MoveOperator(file.path(), "O'Brien", 2);
    const auto row = FindOperatorRow(file.path(), "O'Brien");
    EXPECT_TRUE(row && row->levelId == 2 && row->password.isEmpty());

    std::vector<QString> listed;
    ForEachOperatorOf(file.path(), 2, [&](const QString& name) { listed.push_back(name); });
    EXPECT_EQ(listed, (std::vector<QString>{"Müller", "O'Brien"}));

    RemoveOperator(file.path(), "O'Brien");
    EXPECT_FALSE(FindOperatorRow(file.path(), "O'Brien").has_value());
    EXPECT_EQ(file.operatorLevels().size(), 1u);
}

// A password's stored form is made before the write begins; a policy switched in between still decides.
TEST_P(ManageOperations, APasswordMadeAheadIsStoredAsThePolicyReadInsideTheWriteSays) {
    file.addLevels({{0, "Top"}, {1, "One"}});
    const StoredFormMadeAhead asText(file.path(), "Early1");
    SetPolicyEntry(file.path(), "password-storage", "hashed");
    const StoredFormMadeAhead asHash(file.path(), "Late22");
    EXPECT_TRUE(IsPasswordHash(asText.under(PasswordStorage::Hashed)));
    EXPECT_EQ(asHash.under(PasswordStorage::Hashed), asHash.under(PasswordStorage::Hashed)) << "made again";
    EXPECT_TRUE(IsPasswordHash(StoreLevelPassword(file.path(), 1, "One", "Lvl1pass").value_or("")));
}

// Password aging: no table until a key is set; then a login the policy asks to change first opens only
// once it is changed (after an add, a manager's password, an expiry), and recent passwords stay out.
TEST_P(ManageOperations, AgedOrGivenPasswordsOpenOnlyOnceChangedAndRecentOnesDoNotReturn) {
    file.addLevels({{0, "Top"}, {1, "One"}, {2, "Two"}});
    AddOperator(file.path(), 1, "anna", std::nullopt, "first1");
    StoreOperatorPassword(file.path(), "anna", "second2");
    EXPECT_FALSE(ReadSnapshot(file.path()).ages) << "a table while no key is set";
    const auto login = [&](const QString& who, const QString& typed, const QString& change = {}) {
        const auto changeTo = [&](const DueChange& due) {
            EXPECT_EQ(due.who->OperatorNameText(), who);
            return change.isEmpty() ? std::nullopt : StoreOperatorPassword(file.path(), who, change, true);
        };
        return CheckCredentials(file.path(), {1, true, 0, who, typed}, {}, changeTo).verdict.outcome;
    };
    EXPECT_EQ(login("anna", "second2"), CredentialOutcome::Accepted);
    SetPolicyEntry(file.path(), "password-history", "2");
    SetPolicyEntry(file.path(), "password-change-at-first-login", "on");
    EXPECT_EQ(login("anna", "second2"), CredentialOutcome::Accepted) << "set before the key";
    AddOperator(file.path(), 2, "ben", std::nullopt, "benpass1");
    EXPECT_EQ(login("ben", "benpass1"), CredentialOutcome::ChangeRefused);
    StoreOperatorPassword(file.path(), "anna", "third3"); // as a manager or passwd sets it
    EXPECT_EQ(login("anna", "third3"), CredentialOutcome::ChangeRefused);
    EXPECT_EQ(login("anna", "third3", "fourth4"), CredentialOutcome::Accepted);
    EXPECT_EQ(login("anna", "fourth4"), CredentialOutcome::Accepted);
    SetPolicyEntry(file.path(), "password-max-age-days", "30");
    SetClockForTests([] { return QDateTime::currentDateTimeUtc().addDays(31); });
    EXPECT_EQ(login("anna", "fourth4"), CredentialOutcome::ChangeRefused);
    EXPECT_EQ(login("anna", "fourth4", "fifth5"), CredentialOutcome::Accepted);
    EXPECT_EQ(login("anna", "fifth5"), CredentialOutcome::Accepted);
    SetClockForTests({});
    SetPolicyEntry(file.path(), "password-storage", "hashed");
    for (const auto& [password, recent] : {std::pair{"fifth5", true}, {"fourth4", true}, {"third3", false}}) {
        const auto faults = CheckNewOperatorPassword(file.path(), "anna", password).faults;
        EXPECT_EQ(faults == std::vector{PasswordFault::Reused}, recent) << password;
    }
    RemoveOperator(file.path(), "anna");
    EXPECT_EQ(ReadSnapshot(file.path()).ages->size(), 4U) << "three levels and ben";
}

// Names that mean something to SQL, also where the server reads backslashes in literals as escapes, or
// to a pattern, are names like any other: each operation touches its own row and no other.
TEST_P(ManageOperations, NamesThatMeanSomethingToSqlTouchOnlyTheirOwnRow) {
    if (GetParam() == Place::Server) {
        store::DefaultEngine()
            .OpenDatabase(file.path(), store::OpenMode::SharedReadWrite, store::ConnectString)
            ->Execute("SET standard_conforming_strings = off"); // this thread's connection, kept
    }
    const QStringList names{
        "\\' OR TRUE --",    "O'Brien", "\\", "\"x\"", "%", "_", "a -- b", "; Delete * from Operators",
        QString(10000, u'n')};
    file.addLevels({{0, "Top"}, {1, "One"}, {2, "Two"}});
    std::vector<std::pair<QString, int>> operators{{"anna", 1}, {"bert", 1}};
    for (const QString& name : names) {
        operators.emplace_back(name, 1);
    }
    file.addOperators(operators);
    auto expected = file.operatorLevels();
    for (const QString& name : names) {
        const std::string shown = name.left(30).toStdString();
        MoveOperator(file.path(), name, 2);
        expected[name] = 2;
        EXPECT_EQ(file.operatorLevels(), expected) << shown;
        StoreOperatorPassword(file.path(), name, name);
        EXPECT_EQ(FindOperatorRow(file.path(), name)->password, name) << shown;
        const int level = AddLevel(file.path(), name);
        EXPECT_TRUE(LevelIdByName(file.path(), name) == level &&
                    StoreLevelPassword(file.path(), level, name, "l"));
        RemoveOperator(file.path(), name);
        expected.erase(name);
        EXPECT_EQ(file.operatorLevels(), expected) << shown;
        EXPECT_EQ(RemoveLevel(file.path(), level, name), 0) << shown;
    }
    EXPECT_TRUE(FindOperatorRow(file.path(), "anna")->password.isEmpty() &&
                FindOperatorRow(file.path(), "bert")->password.isEmpty());
    EXPECT_EQ(file.levelIdsByName(), (std::map<QString, int>{{"Top", 0}, {"One", 1}, {"Two", 2}}));
}

// Another user holding the database alone keeps every operation out with "in use" (3045) and nothing is
// written; once it lets go they go through. (A holder in another process: EngineOpenTest.)
TEST_P(ManageOperations, WhileAnotherUserHoldsTheDatabaseAloneEveryOperationIsInUse) {
    file.addLevels({{0, "Top", true, true}, {1, "One", false, true}, {2, "Two"}});
    file.addOperators({{"anna", 1}});
    auto level = Class_Level::create();
    const std::vector<std::pair<const char*, std::function<void()>>> operations{
        {"add level", [&] { AddLevel(file.path(), "Three"); }},
        {"renumber", [&] { RenumberLevels(file.path()); }},
        {"password", [&] { StoreLevelPassword(file.path(), 1, "One", "x"); }},
        {"add operator", [&] { AddOperator(file.path(), 2, "bob"); }},
        {"move operator", [&] { MoveOperator(file.path(), "anna", 2); }},
        {"remove level", [&] { RemoveLevel(file.path(), 1, "One"); }},
        {"read", [&] { LoadLevel(file.path(), 0, *level); }}};
    const auto ids = file.levelIdsByName();
    const auto operators = file.operatorLevels();
    auto held =
        store::DefaultEngine().OpenDatabase(file.path(), store::OpenMode::Exclusive, store::ConnectString);
    for (const auto& [what, operation] : operations) {
        EXPECT_EQ(ErrorNumber(operation), store::ErrFileInUse) << what;
    }
    held->Close();
    EXPECT_TRUE(file.levelIdsByName() == ids && file.operatorLevels() == operators);
    for (const auto& [what, operation] : operations) {
        EXPECT_EQ(ErrorNumber(operation), 0) << what;
    }
    // anna had moved to "Two" before "One" went.
    EXPECT_EQ(file.levelIdsByName(), (std::map<QString, int>{{"Top", 0}, {"Two", 1}, {"Three", 2}}));
    EXPECT_EQ(file.operatorLevels(), (std::map<QString, int>{{"anna", 1}, {"bob", 1}}));
}

// A badge opens its operator in every form a reader types, under its key only, also from a server's
// offline copy; wrong PINs lock the operator, unknown badges the panel; nothing keeps the number.
TEST_P(ManageOperations, ABadgeOpensOnlyItsOperatorUnderItsKeyAndNothingKeepsItsNumber) {
    QTemporaryDir keys;
    const QString keyFile = keys.filePath("badge.key");
    CreateBadgeKey(keyFile);
    const BadgeKey key = ReadBadgeKey(keyFile);
    QFile::setPermissions(keyFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    EXPECT_TRUE(key.usable() && !ReadBadgeKey(keyFile).usable()) << "a key others may read";
    const QString db = places.fresh("badges.mdb"); // new: a server's made with its functions
    CreateOrCompleteDatabase(db, test::Rights(false, false, false, false).get());
    for (const QString name : {"Two", "Three"}) {
        AddOperator(db, AddLevel(db, name), name == "Two" ? "anna" : "bert");
    }
    for (const auto& [entry, value] : std::map<QString, QString>{
             {"badge-login", "on"}, {"badge-strip", "*|#END"}, {"lockout-attempts", "2"}, {"audit", "on"}}) {
        SetPolicyEntry(db, entry, value);
    }
    SetBadge(db, "anna", "0001234567", LoginMethod::Badge, {}, key);
    SetBadge(db, "bert", "00ABCDEF", LoginMethod::BadgeAndPin, "4711", key);
    EXPECT_EQ(ErrorNumber([&] { SetBadge(db, "bert", "1234567", LoginMethod::Badge, {}, key); }),
              store::ErrDuplicateKey);
    StoreLevelRights(db, 2, "Two", *test::Rights(false, false, false, true)); // anna's, now level 1
    QString pin;
    const auto check = [&](const QString& reading, const BadgeKey& under, const QString& at) {
        return CheckBadge(at, reading, under, [&](const QString&) { return pin; });
    };
    for (const QString reading : {"1234567", "0x12D687", "12d687", "*0001234567#END"}) {
        EXPECT_EQ(check(reading, key, db).operatorName, "anna") << reading.toStdString();
    }
    EXPECT_EQ(check("1234567", {QByteArray(BadgeKeyBytes, 'x'), {}}, db).outcome, BadgeOutcome::Unknown);
    for (const auto& [reading, typed, outcome] : std::vector<std::tuple<QString, QString, BadgeOutcome>>{
             {"abcdef", "1111", BadgeOutcome::WrongPin},
             {"abcdef", "1111", BadgeOutcome::LockedOut},
             {"abcdef", "4711", BadgeOutcome::LockedOut},
             {"999", "", BadgeOutcome::PanelLocked},
             {"1234567", "", BadgeOutcome::PanelLocked}}) {
        pin = typed;
        EXPECT_EQ(check(reading, key, db).outcome, outcome) << reading.toStdString();
    }
    ClearFailedLogins(db, {LockoutKind::Panel, AuditPanelName()});
    const CheckedBadge opened = check("1234567", key, db);
    EXPECT_TRUE(opened.outcome == BadgeOutcome::Accepted && opened.level->ID() == 1) << "renumbered";
    if (GetParam() == Place::Server) {
        SetPolicyEntry(db, "offline-login-days", "1");
        const QString copy = RefreshReplica(db).path.value_or("");
        EXPECT_EQ(check("1234567", key, copy).operatorName, "anna");
    }
    RemoveOperator(db, "anna");
    EXPECT_EQ(check("1234567", key, db).outcome, BadgeOutcome::Unknown);
    const Snapshot kept = ReadSnapshot(db);
    QStringList texts;
    for (const BadgeRow& row : kept.badges.value()) {
        texts << row.name + row.hmac + row.pin;
    }
    EXPECT_EQ(texts.size(), 1) << "bert's one row (a hexadecimal reading)";
    for (const AuditRow& row : ReadAuditRows(db)) {
        texts << row.detail;
    }
    EXPECT_GE(texts.filter("by badge").size(), 9);
    EXPECT_FALSE(texts.join(' ').contains(
        QRegularExpression("1234567|12d687|abcdef|11259375", QRegularExpression::CaseInsensitiveOption)));
}

INSTANTIATE_TEST_SUITE_P(Places, ManageOperations, ::testing::Values(Place::File, Place::Server),
                         zav::store::test::placeName);

TEST(PasswordHashing, Argon2idHashesPbkdf2StillReadAndTextLeftByOlderWriters) {
    using enum PasswordStorage;
    const QString first = StoredFormOf("Secret7", Hashed);
    EXPECT_TRUE(first.startsWith(QStringLiteral("$argon2id$v=19$m=19456,t=2,p=1$"))) << first.toStdString();
    EXPECT_NE(first, HashPassword(QStringLiteral("Secret7"))) << "no salt";
    const QString pbkdf2 = HashPasswordPbkdf2("Secret7", 3);
    for (const QString& stored : {first, pbkdf2}) {
        EXPECT_TRUE(IsPasswordHash(stored)) << stored.toStdString();
        EXPECT_TRUE(PasswordMatches(QStringLiteral("Secret7"), stored, Hashed)) << stored.toStdString();
        EXPECT_FALSE(PasswordMatches("secret7", stored, Hashed));
        EXPECT_FALSE(PasswordMatches(stored, stored, Hashed)) << "the hash itself opened the entry";
    }
    EXPECT_EQ(StoredFormOf(QString(), Hashed), QString());
    EXPECT_TRUE(PasswordMatches("left", "left", Hashed));
    // Replaced when weaker than today's, never by a weaker one; the limits are only read here.
    const auto limits = [&](const char* text) {
        return QString(first).replace("m=19456,t=2,p=1", QLatin1String(text));
    };
    for (const auto& [stored, needsRehash] : {std::pair{first, false},
                                              {pbkdf2, true},
                                              {"left", false},
                                              {limits("m=19455,t=2,p=1"), true},
                                              {limits("m=19456,t=1,p=1"), true},
                                              {limits("m=65536,t=3,p=1"), false},
                                              {limits("m=1048576,t=2,p=1"), false}}) {
        EXPECT_EQ(NeedsRehash(stored), needsRehash) << stored.toStdString();
        EXPECT_EQ(IsPasswordHash(stored), stored != QStringLiteral("left")) << stored.toStdString();
    }
    const QString parts = pbkdf2.section(QLatin1Char('$'), 2);
    const QString salt = first.section(QLatin1Char('$'), 4, 4);
    for (const QString& text :
         {"pbkdf2-sha256$0$" + parts, "pbkdf2-sha256$x$" + parts, "pbkdf2-sha1$3$" + parts, pbkdf2 + "$",
          pbkdf2.chopped(4), "pbkdf2-sha256$3$!!$" + pbkdf2.section(QLatin1Char('$'), 3),
          // Limits that would stall a login, and what libsodium does not write.
          limits("m=1048577,t=1,p=1"), limits("m=19456,t=108,p=1"), limits("m=7,t=2,p=1"),
          limits("m=19456,t=0,p=1"), limits("m=019456,t=2,p=1"), limits("m=19456,t=2,p=2"),
          QString(first).replace("v=19", "v=16"), QString(first).replace("$argon2id$", "$argon2i$"),
          first + "=", first.chopped(1) + "B", first.section(QLatin1Char('$'), 0, 4),
          QString(first).replace(salt, salt.left(8))}) {
        EXPECT_FALSE(IsPasswordHash(text)) << text.toStdString();
        EXPECT_FALSE(NeedsRehash(text)) << text.toStdString();
        EXPECT_TRUE(PasswordMatches(text, text, Hashed)) << "text is compared as text";
    }
}

TEST(NumericText, NumbersAreRefusedAndNamesAccepted) {
    for (const char* number : {"0", "12", "1.5", "-3", " 42 ", ".5", "1e3", "&H1F", "7-"}) {
        EXPECT_TRUE(IsNumericText(QString::fromLatin1(number))) << number;
    }
    for (const char* name : {"A1", "1A", "Service", "1.2.3", "-", "&HZZ", "+3-", "e5", ""}) {
        EXPECT_FALSE(IsNumericText(QString::fromLatin1(name))) << name;
    }
}

} // namespace
