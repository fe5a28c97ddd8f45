// The level and operator operations on a real credential database, without any window: a file, and a
// database of the suite's throwaway server.

#include "access/LevelRecord.h"
#include "language/CurrentLanguageProvider.h"
#include "operations/LevelOperations.h"
#include "operations/NumericText.h"
#include "operations/OperatorOperations.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordOperations.h"
#include "outside/OutsideObjects.h"
#include "store/Schema.h"
#include "store/StoreTestSupport.h"
#include "support/CredentialFile.h"
#include "support/FakeOutside.h"
#include "support/FaultyEngine.h"

#include <gtest/gtest.h>

using namespace zav;
using namespace zav::manage;
using zav::store::test::Place;
using zav::store::test::Places;
using zav::test::CredentialFile;
using zav::test::LevelSpec;

namespace {

class ManageOperations : public ::testing::TestWithParam<Place> {
protected:
    void SetUp() override {
        file.create();
        outside::setDbUtility(quoting);
        language->texts.insert(101, QStringLiteral("Operator level"));
        language::setLanguageProvider(language);
    }
    void TearDown() override {
        outside::setDbUtility(nullptr);
        language::setLanguageProvider(nullptr);
    }

    std::map<QString, int> idsByName() const {
        std::map<QString, int> ids;
        for (const auto& [name, level] : file.levels()) {
            ids[name] = level.id;
        }
        return ids;
    }

    Places places{GetParam()};
    CredentialFile file{places.fresh()};
    std::shared_ptr<test::RecordingDbUtility> quoting = std::make_shared<test::RecordingDbUtility>();
    std::shared_ptr<test::FakeLanguageProvider> language = std::make_shared<test::FakeLanguageProvider>();
};

int errorNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const AutomationError& error) {
        return error.Number();
    }
    return 0;
}

TEST_P(ManageOperations, AddLevelTakesTheNumberAboveTheLargestWithoutRightsAndOnlyAFreeName) {
    EXPECT_EQ(AddLevel(file.path(), QStringLiteral("First")), 2);
    file.addLevels({{5, "Five", true, true, true, true, {1}}});
    EXPECT_EQ(AddLevel(file.path(), QStringLiteral("Next")), 6);
    EXPECT_EQ(errorNumber([&] { AddLevel(file.path(), QStringLiteral("FIVE")); }), store::ErrDuplicateKey);

    auto level = Class_Level::create();
    ASSERT_TRUE(LoadLevel(file.path(), 6, *level));
    EXPECT_EQ(level->DBLevelName(), QStringLiteral("Next"));
    EXPECT_EQ(level->Password(), QString());
    EXPECT_FALSE(level->cLevelEnable()->AllowManageLevel());
    EXPECT_FALSE(level->cLevelEnable()->DisShutDown());
    EXPECT_FALSE(level->cLevelEnable()->AllowCustom(1));
    EXPECT_EQ(file.levels().at(QStringLiteral("Next")).nEnable, 0);

    // Up to the largest number and no further.
    file.addLevels({{32766, "Almost last"}});
    EXPECT_EQ(AddLevel(file.path(), QStringLiteral("Last")), LargestLevelId);
    EXPECT_EQ(errorNumber([&] { AddLevel(file.path(), QStringLiteral("Beyond")); }), store::ErrFieldOverflow);
    EXPECT_EQ(file.levelIds(), (std::vector<int>{2, 5, 6, 32766, 32767}));
}

TEST_P(ManageOperations, AnEarlierRightOutweighsEveryLaterOneAndTheOperatorsGoAlong) {
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
    EXPECT_EQ(idsByName(), ranked);
    EXPECT_EQ(file.operatorLevels(), (std::map<QString, int>{{"anna", 0}, {"bert", 1}, {"carl", 5}}));

    // Levels already in their places are not written again.
    test::FaultyEngine counting;
    RenumberLevels(file.path());
    EXPECT_EQ(counting.keyChanges, 0);
    EXPECT_EQ(idsByName(), ranked);
}

TEST_P(ManageOperations, RemovingALevelTakesItsOperatorsAndCloseTheGap) {
    file.addLevels({{0, "Top", true, true}, {1, "Middle", false, true}, {2, "Low"}, {3, "Lowest"}});
    file.addOperators({{"lou", 2}, {"lea", 2}, {"max", 3}, {"mia", 1}});
    RemoveLevel(file.path(), 2, QStringLiteral("Low"));
    EXPECT_EQ(idsByName(), (std::map<QString, int>{{"Top", 0}, {"Middle", 1}, {"Lowest", 2}}));
    EXPECT_EQ(file.operatorLevels(), (std::map<QString, int>{{"max", 2}, {"mia", 1}}));
}

TEST_P(ManageOperations, ARemovalWhoseRenumberingFailsKeepsTheLevel) {
    file.addLevels({{0, "Top", true, true}, {1, "Middle"}, {2, "Low"}});
    file.addOperators({{"lou", 1}});
    test::FaultyEngine faults;
    faults.failKeyChanges = true;
    EXPECT_NE(errorNumber([&] { RemoveLevel(file.path(), 1, QStringLiteral("Middle")); }), 0);
    EXPECT_EQ(file.levelIds(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(file.operatorLevels().at(QStringLiteral("lou")), 1);
    EXPECT_EQ(faults.executed, QStringList{QStringLiteral("Delete * from Levels where ID = 1")});
}

TEST_P(ManageOperations, StoringRightsCountsTheTrueCustomsAndRenumbers) {
    file.addLevels({{0, "Top", true, true}, {3, "Edited"}, {7, "Other", false, true}});
    auto rights = Class_LevelEnable::create();
    rights->setAllowManageOperator(true);
    rights->setAllowDesktop(true);
    for (int n : {3, 7, 50}) {
        rights->setAllowCustom(n, true);
    }
    EXPECT_TRUE(StoreLevelRights(file.path(), 3, QStringLiteral("Edited"), *rights));
    const auto stored = file.levels();
    EXPECT_EQ(stored.at(QStringLiteral("Edited")).nEnable, 3);
    // Equal fixed rights up to Desktop, which "Edited" holds: it moves above "Other".
    EXPECT_EQ(idsByName(), (std::map<QString, int>{{"Top", 0}, {"Edited", 1}, {"Other", 2}}));
    EXPECT_TRUE(file.levelFlag(1, store::CustomFieldName(50)));
    EXPECT_FALSE(file.levelFlag(1, store::CustomFieldName(51)));
    EXPECT_TRUE(file.levelFlag(1, store::FieldDesktop));

    EXPECT_FALSE(StoreLevelRights(file.path(), 9, QStringLiteral("Gone"), *rights)); // only renumbered
    EXPECT_EQ(file.levelIds(), (std::vector<int>{0, 1, 2}));
}

TEST_P(ManageOperations, AWriteByANumberThatNowBelongsElsewhereChangesNothing) {
    LevelSpec b(2, "B");
    b.password = QStringLiteral("b-secret");
    file.addLevels({{0, "Top", true, true}, {1, "A"}, b, {3, "C"}});
    file.addOperators({{"anna", 1}, {"bert", 2}});
    // Read: B is 2. Elsewhere B gets the desktop right and is renumbered above A (B 1, A 2).
    auto desktop = Class_LevelEnable::create();
    desktop->setAllowDesktop(true);
    ASSERT_TRUE(StoreLevelRights(file.path(), 2, QStringLiteral("B"), *desktop));
    // The name has moved to another number (B at 2, or at the now empty 7): nothing is written.
    for (const int staleId : {2, 7}) {
        const auto ids = idsByName();
        const auto operators = file.operatorLevels();
        const std::vector<std::pair<const char*, std::function<void()>>> writes{
            {"password",
             [&] { StoreLevelPassword(file.path(), staleId, QStringLiteral("B"), QStringLiteral("x")); }},
            {"rights", [&] { StoreLevelRights(file.path(), staleId, QStringLiteral("B"), *desktop); }},
            {"read", [&] { ReadLevelRights(file.path(), staleId, QStringLiteral("B"), *desktop); }},
            {"remove", [&] { RemoveLevel(file.path(), staleId, QStringLiteral("B")); }},
            {"add", [&] { AddOperator(file.path(), staleId, QStringLiteral("olga"), QStringLiteral("B")); }},
            {"move",
             [&] { MoveOperator(file.path(), QStringLiteral("anna"), staleId, QStringLiteral("B")); }}};
        for (const auto& [what, write] : writes) {
            EXPECT_EQ(errorNumber(write), access::ErrLevelChanged) << what << " " << staleId;
        }
        EXPECT_EQ(idsByName(), ids);
        EXPECT_EQ(file.operatorLevels(), operators);
    }
    auto a = Class_Level::create();
    ASSERT_TRUE(LoadLevel(file.path(), 2, *a));
    EXPECT_EQ(a->DBLevelName(), QStringLiteral("A"));
    EXPECT_EQ(a->Password(), QString());
    EXPECT_FALSE(a->cLevelEnable()->AllowDesktop());
    // By its present number the same writes go through; a level that is gone is no longer there.
    EXPECT_TRUE(StoreLevelPassword(file.path(), 1, QStringLiteral("B"), QStringLiteral("new")));
    EXPECT_FALSE(StoreLevelPassword(file.path(), 9, QStringLiteral("Gone"), QStringLiteral("x")));
    MoveOperator(file.path(), QStringLiteral("anna"), 1, QStringLiteral("B"));
    EXPECT_EQ(file.operatorLevels().at(QStringLiteral("anna")), 1);
}

TEST_P(ManageOperations, OperatorsAreAddedMovedAndRemovedByTheirQuotedName) {
    file.addLevels({{0, "Top"}, {1, "One"}, {2, "Two"}});
    AddOperator(file.path(), 1, QStringLiteral("O'Brien"));
    AddOperator(file.path(), 2, QStringLiteral("Müller"));
    EXPECT_EQ(errorNumber([&] { AddOperator(file.path(), 2, QStringLiteral("o'brien")); }),
              store::ErrDuplicateKey);
    EXPECT_EQ(errorNumber([&] { AddOperator(file.path(), 9, QStringLiteral("Nobody")); }),
              store::ErrRelatedRecordRequired);
    EXPECT_EQ(file.operatorLevels(), (std::map<QString, int>{{"Müller", 2}, {"O'Brien", 1}}));

    MoveOperator(file.path(), QStringLiteral("O'Brien"), 2);
    const auto row = FindOperatorRow(file.path(), QStringLiteral("O'Brien"));
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->levelId, 2);
    EXPECT_EQ(row->password, QString());

    std::vector<QString> listed;
    ForEachOperatorOf(file.path(), 2, [&](const QString& name) { listed.push_back(name); });
    EXPECT_EQ(listed, (std::vector<QString>{"Müller", "O'Brien"}));

    RemoveOperator(file.path(), QStringLiteral("O'Brien"));
    EXPECT_FALSE(FindOperatorRow(file.path(), QStringLiteral("O'Brien")).has_value());
    EXPECT_EQ(file.operatorLevels().size(), 1u);
    // Every name that reached SQL text went through the quoting first.
    EXPECT_EQ(quoting->quoted.count(QStringLiteral("O'Brien")), 4);
}

// Another process, or another open in this one, holding the database alone keeps every operation out
// with "in use" (3045) and nothing is written; once it lets go they go through.
TEST_P(ManageOperations, WhileAnotherUserHoldsTheDatabaseAloneEveryOperationIsInUse) {
    file.addLevels({{0, "Top", true, true}, {1, "One", false, true}, {2, "Two"}});
    file.addOperators({{"anna", 1}});
    auto level = Class_Level::create();
    const std::vector<std::pair<const char*, std::function<void()>>> operations{
        {"add level", [&] { AddLevel(file.path(), QStringLiteral("Three")); }},
        {"renumber", [&] { RenumberLevels(file.path()); }},
        {"password", [&] { StoreLevelPassword(file.path(), 1, QStringLiteral("One"), QStringLiteral("x")); }},
        {"add operator", [&] { AddOperator(file.path(), 2, QStringLiteral("bob")); }},
        {"move operator", [&] { MoveOperator(file.path(), QStringLiteral("anna"), 2); }},
        {"remove level", [&] { RemoveLevel(file.path(), 1, QStringLiteral("One")); }},
        {"read", [&] { LoadLevel(file.path(), 0, *level); }}};
    const auto ids = idsByName();
    const auto operators = file.operatorLevels();
    for (const bool otherProcess : {true, false}) {
        std::unique_ptr<store::test::Helper> holder;
        std::unique_ptr<store::Database> held;
        if (otherProcess) {
            holder = std::make_unique<store::test::Helper>(
                QStringList{QStringLiteral("hold"), file.path(), QStringLiteral("exclusive")});
            ASSERT_EQ(holder->firstLine(), QStringLiteral("open"));
        } else {
            held = store::DefaultEngine().OpenDatabase(file.path(), store::OpenMode::Exclusive,
                                                       store::ConnectString);
        }
        for (const auto& [what, operation] : operations) {
            EXPECT_EQ(errorNumber(operation), store::ErrFileInUse)
                << what << (otherProcess ? " process" : "");
        }
        // Let go in order: a killed holder's server session would end only a moment after the process.
        if (held) {
            held->Close();
        } else {
            holder->release();
        }
        EXPECT_EQ(idsByName(), ids);
        EXPECT_EQ(file.operatorLevels(), operators);
    }
    for (const auto& [what, operation] : operations) {
        EXPECT_EQ(errorNumber(operation), 0) << what;
    }
    // anna had moved to "Two" before "One" went.
    EXPECT_EQ(idsByName(), (std::map<QString, int>{{"Top", 0}, {"Two", 1}, {"Three", 2}}));
    EXPECT_EQ(file.operatorLevels(), (std::map<QString, int>{{"anna", 1}, {"bob", 1}}));
}

INSTANTIATE_TEST_SUITE_P(Places, ManageOperations, ::testing::Values(Place::File, Place::Server),
                         zav::store::test::placeName);

TEST(PasswordHashing, Argon2idHashesPbkdf2StillReadAndTextLeftByOlderWriters) {
    using enum PasswordStorage;
    const QString first = StoredFormOf(QStringLiteral("Secret7"), Hashed);
    EXPECT_TRUE(first.startsWith(QStringLiteral("$argon2id$v=19$m=19456,t=2,p=1$"))) << first.toStdString();
    EXPECT_NE(first, HashPassword(QStringLiteral("Secret7"))) << "no salt";
    const QString pbkdf2 = HashPasswordPbkdf2(QStringLiteral("Secret7"), 3);
    for (const QString& stored : {first, pbkdf2}) {
        EXPECT_TRUE(IsPasswordHash(stored)) << stored.toStdString();
        EXPECT_TRUE(PasswordMatches(QStringLiteral("Secret7"), stored, Hashed)) << stored.toStdString();
        EXPECT_FALSE(PasswordMatches(QStringLiteral("secret7"), stored, Hashed));
        EXPECT_FALSE(PasswordMatches(stored, stored, Hashed)) << "the hash itself opened the entry";
    }
    EXPECT_EQ(StoredFormOf(QString(), Hashed), QString());
    EXPECT_TRUE(PasswordMatches(QStringLiteral("left"), QStringLiteral("left"), Hashed));
    // Replaced when weaker than today's, never by a weaker one; the limits are only read here.
    const auto limits = [&](const char* text) {
        return QString(first).replace(QStringLiteral("m=19456,t=2,p=1"), QLatin1String(text));
    };
    for (const auto& [stored, needsRehash] : {std::pair{first, false},
                                              {pbkdf2, true},
                                              {QStringLiteral("left"), false},
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
         {QStringLiteral("pbkdf2-sha256$0$") + parts, QStringLiteral("pbkdf2-sha256$x$") + parts,
          QStringLiteral("pbkdf2-sha1$3$") + parts, pbkdf2 + QStringLiteral("$"), pbkdf2.chopped(4),
          QStringLiteral("pbkdf2-sha256$3$!!$") + pbkdf2.section(QLatin1Char('$'), 3),
          // Limits that would stall a login, and what libsodium does not write.
          limits("m=1048577,t=1,p=1"), limits("m=19456,t=108,p=1"), limits("m=7,t=2,p=1"),
          limits("m=19456,t=0,p=1"), limits("m=019456,t=2,p=1"), limits("m=19456,t=2,p=2"),
          QString(first).replace(QStringLiteral("v=19"), QStringLiteral("v=16")),
          QString(first).replace(QStringLiteral("$argon2id$"), QStringLiteral("$argon2i$")),
          first + QStringLiteral("="), first.chopped(1) + QStringLiteral("B"),
          first.section(QLatin1Char('$'), 0, 4), QString(first).replace(salt, salt.left(8))}) {
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
