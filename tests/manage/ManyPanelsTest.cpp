// Eight panels (many_panels_worker processes) log in and change levels and operators on one server
// database at once: the database ends holding exactly what the panels saw go through.

#include "operations/LevelOperations.h"
#include "operations/OperatorOperations.h"
#include "operations/PasswordHashing.h"
#include "operations/PasswordOperations.h"
#include "store/StoreTestSupport.h"
#include "support/ComponentFixture.h"
#include "support/CredentialFile.h"
#include "support/FaultyEngine.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace zav;

namespace {

constexpr int PanelCount = 8;
constexpr int Seconds = 30;

// What the panels left: levels (name -> "NEnable password"), operators (name -> level name), the
// passwords of their logins, and the counts of what they did.
struct Expected {
    std::map<QString, QString> levels;
    std::map<QString, QString> operators;
    std::map<QString, QString> passwords;
    std::map<QString, int> counts;
};

// Adds one panel's report, whose login is `login`.
void add(Expected& expected, const QString& output, const QString& login) {
    for (const QString& line : output.split('\n', Qt::SkipEmptyParts)) {
        const QStringList words = line.split(' ');
        if (words[0] == "level" && words.size() == 4) {
            expected.levels[words[1]] = words[2] + ' ' + words[3];
        } else if (words[0] == "operator" && words.size() == 3) {
            expected.operators[words[1]] = words[2];
        } else if (words[0] == "panel" && words.size() == 2) {
            expected.passwords[login] = words[1];
        } else if (words[0] == "done") {
            for (const QString& count : words.mid(1)) {
                expected.counts[count.section('=', 0, 0)] += count.section('=', 1).toInt();
            }
        } else {
            ADD_FAILURE() << line.toStdString();
        }
    }
}

// The stored levels as "NEnable password" by name; `names` (when given) receives their names by ID.
std::map<QString, QString> storedLevels(const QString& uri, std::map<int, QString>* names = nullptr) {
    std::map<QString, QString> stored;
    for (const auto& [name, level] : test::CredentialFile(uri).levels()) {
        auto read = Class_Level::create();
        EXPECT_TRUE(manage::LoadLevel(uri, level.id, *read));
        stored[name] = QString::number(level.nEnable) + QLatin1Char(' ') + read->Password();
        if (names) {
            (*names)[level.id] = name;
        }
    }
    return stored;
}

TEST(ManyPanels, EveryChangeThatWentThroughIsKeptAndEveryRefusalIsInUseOrChangedElsewhere) {
    store::test::Places places(store::test::Place::Server);
    const QString uri = places.fresh();
    Expected expected;
    {
        test::ComponentEnvironment env(true, uri);
        env.createComponent(); // creates levels |0 and |1
        expected.levels = storedLevels(uri);
    }
    for (int i = 0; i < PanelCount; ++i) {
        const QString home = QStringLiteral("p%1-home").arg(i), login = QStringLiteral("panel%1").arg(i);
        manage::AddOperator(uri, manage::AddLevel(uri, home), login);
        ASSERT_TRUE(manage::StoreOperatorPassword(uri, login, QStringLiteral("start%1").arg(i)));
    }

    std::vector<std::unique_ptr<QProcess>> panels;
    for (int i = 0; i < PanelCount; ++i) {
        panels.push_back(std::make_unique<QProcess>());
        panels.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        panels.back()->start(QStringLiteral(ZAV_MANY_PANELS_WORKER),
                             {uri, QString::number(i), QString::number(Seconds)});
    }
    // All start their components, then work at once.
    for (const auto& panel : panels) {
        while (!panel->canReadLine() && panel->waitForReadyRead(20000)) {
        }
        ASSERT_EQ(panel->readLine().trimmed(), "ready");
    }
    for (const auto& panel : panels) {
        panel->write("go\n");
        panel->waitForBytesWritten(5000);
    }
    for (int i = 0; i < PanelCount; ++i) {
        QProcess& panel = *panels[i];
        ASSERT_TRUE(panel.waitForFinished((Seconds + 10) * 1000)) << i;
        const QString output = QString::fromUtf8(panel.readAllStandardOutput());
        EXPECT_EQ(panel.exitCode(), 0) << "panel " << i << ":\n" << output.toStdString();
        add(expected, output, QStringLiteral("panel%1").arg(i));
        expected.operators[QStringLiteral("panel%1").arg(i)] = QStringLiteral("p%1-home").arg(i);
    }
    auto& [levels, operators, passwords, counts] = expected;
    // Every kind of change went through somewhere, and the levels add up.
    for (const char* kind : {"login", "start", "add-level", "remove-level", "rights", "add-operator",
                             "move-operator", "panel-password", "level-password", "renumber", "restart"}) {
        EXPECT_GT(counts[QString::fromLatin1(kind)], 0) << kind;
    }
    EXPECT_EQ(levels.size(), static_cast<size_t>(2 + PanelCount + counts[QStringLiteral("add-level")] -
                                                 counts[QStringLiteral("remove-level")]));

    // The database holds exactly that, numbered without gaps and in rank order.
    std::map<int, QString> names;
    // A server stores the passwords hashed: each must be the one the panel gave.
    const auto matches = [](const QString& given, const QString& stored) {
        return given == stored || manage::PasswordMatches(given, stored, manage::PasswordStorage::Hashed);
    };
    const auto stored = storedLevels(uri, &names);
    EXPECT_EQ(stored.size(), levels.size());
    for (const auto& [name, given] : levels) {
        const QString held = stored.count(name) ? stored.at(name) : QString();
        EXPECT_TRUE(held.section(' ', 0, 0) == given.section(' ', 0, 0) &&
                    matches(given.section(' ', 1), held.section(' ', 1)))
            << name.toStdString();
    }
    EXPECT_EQ(names.rbegin()->first, static_cast<int>(names.size()) - 1);
    std::map<QString, QString> storedOperators;
    for (const auto& [name, levelId] : test::CredentialFile(uri).operatorLevels()) {
        storedOperators[name] = names[levelId];
    }
    EXPECT_EQ(storedOperators, operators);
    for (const auto& [login, password] : passwords) {
        const auto row = manage::FindOperatorRow(uri, login);
        EXPECT_TRUE(row && matches(password, row->password)) << login.toStdString();
    }
    test::FaultyEngine counting;
    manage::RenumberLevels(uri);
    EXPECT_EQ(counting.keyChanges, 0) << "a level was left out of its rank";
}

} // namespace
