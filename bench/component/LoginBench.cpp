// The login with 10,000 operators in 200 levels: the credential check (open, two lookups, close)
// and the login dialog from its creation to the filled list.

#include "BenchEnvironment.h"

#include "base/Mod_Globali.h"
#include "component/CredentialCheck.h"
#include "component/Frm_Login.h"
#include "operations/CredentialDatabase.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QApplication>
#include <QComboBox>
#include <benchmark/benchmark.h>

namespace {

constexpr int Levels = 200;
constexpr int Operators = 10000;

struct Fixture {
    QTemporaryDir dir;
    std::shared_ptr<ZAV_Login> login;

    // The file is built through the import (level 1 with every right, the other levels with a password
    // each, the operators dealt out over them); assigning DbPath then adds level 0.
    Fixture() {
        zav::bench::sealEnvironment();
        const QString path = dir.filePath(QStringLiteral("login.db"));
        zav::manage::Snapshot contents;
        for (int id = 1; id < Levels; ++id) {
            zav::manage::LevelEntry entry;
            entry.level->setID(id);
            entry.level->setDBLevelName(id == 1 ? QStringLiteral("|1") : QStringLiteral("Level %1").arg(id));
            if (id == 1) {
                auto rights = entry.level->cLevelEnable();
                rights->setAllowManageLevel(true);
                rights->setAllowManageOperator(true);
                rights->setDisShutDown(true);
                rights->setAllowDesktop(true);
                for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
                    rights->setAllowCustom(n, true);
                }
                entry.nEnable = Class_LevelEnable::CustomCount;
            } else {
                entry.level->setPassword(QStringLiteral("pw%1").arg(id));
            }
            contents.levels.push_back(entry);
        }
        for (int i = 0; i < Operators; ++i) {
            contents.operators.push_back({QStringLiteral("Operator %1").arg(i, 5, 10, QLatin1Char('0')),
                                          QStringLiteral("secret%1").arg(i), 1 + i % (Levels - 1)});
        }
        zav::manage::ImportIntoNewFile(path, contents);
        login = ZAV_Login::create();
        login->setAutoShutDown(false);
        login->setDbPath(path);
        login->Logout();
    }
};

// Released at the end of main, while the thread's module state still exists.
std::unique_ptr<Fixture> g_fixture;

Fixture& fixture() {
    if (!g_fixture) {
        g_fixture = std::make_unique<Fixture>();
    }
    return *g_fixture;
}

void BM_CredentialCheckOperator(benchmark::State& state) {
    fixture();
    int i = 0;
    for (auto _ : state) {
        const int n = (i++ * 7919) % Operators;
        const auto outcome =
            zav::CheckCredentials(1, 0, QStringLiteral("Operator %1").arg(n, 5, 10, QLatin1Char('0')),
                                  QStringLiteral("secret%1").arg(n));
        if (outcome != zav::CredentialOutcome::Accepted) {
            state.SkipWithError("the right password was refused");
            break;
        }
    }
}
BENCHMARK(BM_CredentialCheckOperator)->Unit(benchmark::kMicrosecond);

void BM_LoginDialogFilledList(benchmark::State& state) {
    fixture();
    for (auto _ : state) {
        zav::Mod_Globali().touchScreen = state.range(1) != 0;
        zav::Class_Par par;
        par.LoginMode = static_cast<int>(state.range(0));
        zav::Frm_Login dialog(par);
        dialog.Form_Load();
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.findChild<QComboBox*>(QStringLiteral("Cbo_Login"))->count());
        dialog.hide();
    }
    zav::Mod_Globali().touchScreen = false;
}
// Arguments: by operator (1) or level (0); touch-screen mode off (0) or on (1).
BENCHMARK(BM_LoginDialogFilledList)
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Offscreen; a caller may describe the screen (offscreen:configfile=FILE.json).
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen"))) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_fixture.reset();
    return 0;
}
