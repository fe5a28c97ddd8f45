// Speed of the management window with large credential databases, in a file and on the server:
// opening it to its filled lists, renumbering every level, adding and removing one operator, the read a
// menu makes as it opens while the policy locks out. Each runs with 100 and with 1,000 levels, and
// 10,000 operators spread over them.
//
// Runs offscreen in a private home folder with the recording shell services: nothing of the machine
// or the user is touched.

#include "CredentialDataset.h"
#include "QuietMessageBoxes.h"
#include "SealedHome.h"
#include "dialogs/Frm_Manage.h"

#include "operations/CredentialDatabase.h"
#include "outside/OutsideObjects.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <map>

using namespace zav;
using zav::bench::buildCredentialDatabase;
using zav::bench::messagesShown;
using zav::bench::Place;
using zav::bench::ScratchPlaces;
using zav::bench::skipWithoutServer;

namespace {

constexpr int OperatorCount = 10000;

class GrantsDoneRegistry : public outside::RegistryAccess {
public:
    QString ReadValue(const QString&, const QString&, const QString&) override {
        return QStringLiteral("done");
    }
    void WriteValue(const QString&, const QString&, const QString&) override {}
};

// One database per place and number of levels, built once: level 0 with the four fixed rights, then
// levels holding one custom right each, and last the lowest level, "Mover", holding none; the
// operators are dealt out over the levels below 0.
struct Setup {
    explicit Setup(Place place) : places(place) {}
    ScratchPlaces places;
    QString path;
    std::shared_ptr<ZAV_Login> component;
};

std::map<std::pair<Place, int>, std::unique_ptr<Setup>>& setups() {
    static std::map<std::pair<Place, int>, std::unique_ptr<Setup>> instance;
    return instance;
}

const QString Mover = QStringLiteral("Mover");

manage::Snapshot benchContents(int levelCount) {
    manage::Snapshot contents;
    for (int id = 0; id < levelCount; ++id) {
        manage::LevelEntry entry;
        entry.level->setID(id);
        entry.level->setDBLevelName(id == 0                ? QStringLiteral("|0")
                                    : id == levelCount - 1 ? Mover
                                                           : QStringLiteral("Level %1").arg(id));
        auto rights = entry.level->cLevelEnable();
        if (id == 0) {
            rights->setAllowManageLevel(true);
            rights->setAllowManageOperator(true);
            rights->setDisShutDown(true);
            rights->setAllowDesktop(true);
        } else if (id < levelCount - 1) {
            rights->setAllowCustom(1, true);
            entry.nEnable = 1;
        }
        contents.levels.push_back(entry);
    }
    for (int n = 0; n < OperatorCount; ++n) {
        contents.operators.push_back({QStringLiteral("Operator %1").arg(n, 5, 10, QLatin1Char('0')),
                                      QString(), 1 + n % (levelCount - 1)});
    }
    return contents;
}

// The setup of the place and number of levels, or nullptr (and the benchmark skipped) without a server.
Setup* setupFor(benchmark::State& state, Place place, int levelCount) {
    if (skipWithoutServer(state, place)) {
        return nullptr;
    }
    auto& setup = setups()[{place, levelCount}];
    if (!setup) {
        setup = std::make_unique<Setup>(place);
        setup->path =
            buildCredentialDatabase(setup->places, QStringLiteral("bench.db"), benchContents(levelCount));
    }
    // The component reads its DbPath for every open; point it at this database.
    const int before = messagesShown();
    setup->component.reset();
    setup->component = ZAV_Login::create();
    setup->component->setAutoShutDown(false);
    setup->component->setDbPath(setup->path);
    if (messagesShown() != before) {
        state.SkipWithError("the component could not use the database");
        return nullptr;
    }
    return setup.get();
}

void BM_OpenWindowToFilledLists(benchmark::State& state, Place place) {
    Setup* found = setupFor(state, place, static_cast<int>(state.range(0)));
    if (!found) {
        return;
    }
    Setup& setup = *found;
    setup.component->setIsTouchScreen(state.range(1) != 0);
    auto owner = Class_Level::create();
    manage::LoadLevel(setup.path, 0, *owner);
    for (auto _ : state) {
        manage::Frm_Manage window;
        window.cOwnerLevel = owner;
        window.show(); // loads: fills the levels, selects the first, fills its operators
        benchmark::DoNotOptimize(
            window.findChild<QTreeWidget*>(QStringLiteral("Lv_Level"))->topLevelItemCount());
        state.PauseTiming();
        window.hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// The levels are in rank order already (as after Undo in the rights dialog): only the read of the ranks.
void BM_RenumberLevelsInOrder(benchmark::State& state, Place place) {
    Setup* setup = setupFor(state, place, static_cast<int>(state.range(0)));
    if (!setup) {
        return;
    }
    for (auto _ : state) {
        manage::RenumberLevels(setup->path);
    }
}

// Every level below 0 moves, and its operators with it: the lowest level gains the right to manage
// levels and rises to place 1, then loses it and sinks back below the levels holding a custom right.
// Each iteration is one of these two changes of rights, each renumbered in the same transaction (the one
// row of rights written with it is small beside the renumbering).
void BM_RenumberLevelsAllMove(benchmark::State& state, Place place) {
    const int levelCount = static_cast<int>(state.range(0));
    Setup* setup = setupFor(state, place, levelCount);
    if (!setup) {
        return;
    }
    const auto plain = Class_LevelEnable::create();
    const auto managing = Class_LevelEnable::create();
    managing->setAllowManageLevel(true);
    bool raised = false;
    const auto move = [&] {
        raised = !raised;
        return manage::StoreLevelRights(setup->path, raised ? levelCount - 1 : 1, Mover,
                                        raised ? *managing : *plain);
    };
    for (auto _ : state) {
        if (!move()) {
            state.SkipWithError("the lowest level was not where it should have been");
            break;
        }
    }
    if (raised) {
        move();
    }
    if (manage::LevelIdByName(setup->path, Mover) != levelCount - 1) {
        state.SkipWithError("the lowest level did not sink back to its place");
    }
}

void BM_AddOperator(benchmark::State& state, Place place) {
    Setup* found = setupFor(state, place, static_cast<int>(state.range(0)));
    if (!found) {
        return;
    }
    Setup& setup = *found;
    const QString name = QStringLiteral("Bench operator");
    for (auto _ : state) {
        manage::AddOperator(setup.path, 1, name);
        state.PauseTiming();
        manage::RemoveOperator(setup.path, name);
        state.ResumeTiming();
    }
}

void BM_RemoveOperator(benchmark::State& state, Place place) {
    Setup* found = setupFor(state, place, static_cast<int>(state.range(0)));
    if (!found) {
        return;
    }
    Setup& setup = *found;
    const QString name = QStringLiteral("Bench operator");
    for (auto _ : state) {
        state.PauseTiming();
        manage::AddOperator(setup.path, 1, name);
        state.ResumeTiming();
        manage::RemoveOperator(setup.path, name);
    }
}

// The policy and one operator's lock, read as a menu opens while the policy locks out; 100 operators
// have a failed login counted.
void BM_ReadLockStateForMenu(benchmark::State& state, Place place) {
    Setup* found = setupFor(state, place, static_cast<int>(state.range(0)));
    if (!found) {
        return;
    }
    Setup& setup = *found;
    manage::SetPolicyEntry(setup.path, QStringLiteral("lockout-attempts"), QStringLiteral("3"));
    const manage::Policy policy = manage::ReadPolicy(setup.path);
    const auto entry = [](int n) {
        return manage::LockoutEntry{manage::LockoutKind::Operator,
                                    QStringLiteral("Operator %1").arg(n, 5, 10, QLatin1Char('0'))};
    };
    for (int n = 0; n < OperatorCount; n += OperatorCount / 100) {
        manage::RecordFailedLogin(setup.path, manage::AttemptAgainst(entry(n)), policy);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(manage::ReadLockStateUnderPolicy(setup.path, entry(0)));
    }
    // Back as built: no counts, no lockout.
    for (int n = 0; n < OperatorCount; n += OperatorCount / 100) {
        manage::ClearFailedLogins(setup.path, entry(n));
    }
    manage::SetPolicyEntry(setup.path, QStringLiteral("lockout-attempts"), QStringLiteral("0"));
}

// Arguments: levels; touch-screen mode off (0) or on (1).
ZAV_BENCHMARK_AT_BOTH_PLACES(
    BM_OpenWindowToFilledLists, ->Args({100, 0})->Args({1000, 0})->Args({1000, 1})->Unit(
                                    benchmark::kMillisecond));
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_RenumberLevelsInOrder, ->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond));
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_RenumberLevelsAllMove, ->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond));
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_AddOperator, ->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond));
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_RemoveOperator, ->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond));
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_ReadLockStateForMenu, ->Arg(1000)->Unit(benchmark::kMillisecond));

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    zav::bench::sealHome(home);
    qputenv("ZAV_SHELL_SERVICES", "record");
    // Offscreen; a caller may describe the screen (offscreen:configfile=FILE.json).
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen"))) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    zav::bench::answerMessageBoxes();
    outside::setRegistryAccess(std::make_shared<GrantsDoneRegistry>());

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    setups().clear(); // the components go while the application still exists
    return 0;
}
