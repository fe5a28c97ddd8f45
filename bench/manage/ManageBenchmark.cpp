// Speed of the management window with large credential files: opening it to its filled lists,
// renumbering every level, adding and removing one operator, the read a menu makes as it opens while the
// policy locks out. Each runs with 100 and with 1,000
// levels, and 10,000 operators spread over them.
//
// Runs offscreen in a private home folder with the recording shell services: nothing of the machine
// or the user is touched.

#include "SealedHome.h"
#include "dialogs/Frm_Manage.h"

#include "operations/CredentialDatabase.h"
#include "outside/OutsideObjects.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <map>

using namespace zav;

namespace {

constexpr int OperatorCount = 10000;

class GrantsDoneRegistry : public outside::RegistryAccess {
public:
    QString ReadValue(const QString&, const QString&, const QString&) override {
        return QStringLiteral("done");
    }
    void WriteValue(const QString&, const QString&, const QString&) override {}
};

// One file per number of levels, built once through the import: level 0 with the four fixed rights,
// then plain levels, and the operators dealt out over the levels below 0. A second file differs only in
// that its lowest level, "Mover", holds the right to manage levels but has not been renumbered yet.
struct Setup {
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("bench.db"));
    std::shared_ptr<ZAV_Login> component;
    QString pristine = path + QStringLiteral(".pristine"); // the file as built
    QString moverRaised = path + QStringLiteral(".mover"); // the lowest level about to rise

    // Puts the file back as it was built, or as it is before every level below 0 moves.
    void restore(const QString& from) const {
        QFile::remove(path);
        QFile::copy(from, path);
    }
};

std::map<int, std::unique_ptr<Setup>>& setups() {
    static std::map<int, std::unique_ptr<Setup>> instance;
    return instance;
}

manage::Snapshot benchContents(int levelCount) {
    manage::Snapshot contents;
    for (int id = 0; id < levelCount; ++id) {
        manage::LevelEntry entry;
        entry.level->setID(id);
        entry.level->setDBLevelName(id == 0                ? QStringLiteral("|0")
                                    : id == levelCount - 1 ? QStringLiteral("Mover")
                                                           : QStringLiteral("Level %1").arg(id));
        auto rights = entry.level->cLevelEnable();
        if (id == 0) {
            rights->setAllowManageLevel(true);
            rights->setAllowManageOperator(true);
            rights->setDisShutDown(true);
            rights->setAllowDesktop(true);
        }
        contents.levels.push_back(entry);
    }
    for (int n = 0; n < OperatorCount; ++n) {
        contents.operators.push_back({QStringLiteral("Operator %1").arg(n, 5, 10, QLatin1Char('0')),
                                      QString(), 1 + n % (levelCount - 1)});
    }
    return contents;
}

Setup& setupFor(int levelCount) {
    auto& setup = setups()[levelCount];
    if (!setup) {
        setup = std::make_unique<Setup>();
        manage::Snapshot contents = benchContents(levelCount);
        manage::ImportIntoNewFile(setup->pristine, contents);
        contents.levels.back().level->cLevelEnable()->setAllowManageLevel(true);
        manage::ImportIntoNewFile(setup->moverRaised, contents);
        setup->restore(setup->pristine);
    }
    // The component reads its DbPath for every open; point it at this file.
    setup->component.reset();
    setup->component = ZAV_Login::create();
    setup->component->setAutoShutDown(false);
    setup->component->setDbPath(setup->path);
    return *setup;
}

void BM_OpenWindowToFilledLists(benchmark::State& state) {
    Setup& setup = setupFor(static_cast<int>(state.range(0)));
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

// The levels are in rank order already (as after Undo in the rights dialog).
void BM_RenumberLevelsInOrder(benchmark::State& state) {
    Setup& setup = setupFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        manage::RenumberLevels(setup.path);
    }
}

// Every level below 0 moves: the lowest level gains the right to manage levels and rises to place 1.
void BM_RenumberLevelsAllMove(benchmark::State& state) {
    Setup& setup = setupFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        setup.restore(setup.moverRaised);
        state.ResumeTiming();
        manage::RenumberLevels(setup.path);
    }
    setup.restore(setup.pristine);
}

void BM_AddOperator(benchmark::State& state) {
    Setup& setup = setupFor(static_cast<int>(state.range(0)));
    const QString name = QStringLiteral("Bench operator");
    for (auto _ : state) {
        manage::AddOperator(setup.path, 1, name);
        state.PauseTiming();
        manage::RemoveOperator(setup.path, name);
        state.ResumeTiming();
    }
}

void BM_RemoveOperator(benchmark::State& state) {
    Setup& setup = setupFor(static_cast<int>(state.range(0)));
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
void BM_ReadLockStateForMenu(benchmark::State& state) {
    Setup& setup = setupFor(static_cast<int>(state.range(0)));
    manage::SetPolicyEntry(setup.path, QStringLiteral("lockout-attempts"), QStringLiteral("3"));
    const manage::Policy policy = manage::ReadPolicy(setup.path);
    const auto entry = [](int n) {
        return manage::LockoutEntry{manage::LockoutKind::Operator,
                                    QStringLiteral("Operator %1").arg(n, 5, 10, QLatin1Char('0'))};
    };
    for (int n = 0; n < OperatorCount; n += OperatorCount / 100) {
        manage::RecordFailedLogin(setup.path, {entry(n), {}, {}}, policy);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(manage::ReadLockStateUnderPolicy(setup.path, entry(0)));
    }
    setup.restore(setup.pristine);
}

// Arguments: levels; touch-screen mode off (0) or on (1).
BENCHMARK(BM_OpenWindowToFilledLists)
    ->Args({100, 0})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenumberLevelsInOrder)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenumberLevelsAllMove)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddOperator)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveOperator)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLockStateForMenu)->Arg(1000)->Unit(benchmark::kMillisecond);

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
