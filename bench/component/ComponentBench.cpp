// Assigning DbPath: on an existing, complete file with both grants recorded, and on a missing file
// that is created anew.

#include "BenchEnvironment.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QFile>
#include <benchmark/benchmark.h>

namespace {

void BM_DbPathExistingFile(benchmark::State& state) {
    zav::bench::sealEnvironment();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("login.db"));
    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    login->setDbPath(path); // creates the file and records both grants
    for (auto _ : state) {
        login->setDbPath(path);
    }
    if (!login->CurrentLevel() || login->CurrentLevel()->ID() != 1) {
        state.SkipWithError("the database was not initialised");
    }
}
BENCHMARK(BM_DbPathExistingFile)->Unit(benchmark::kMillisecond);

void BM_DbPathMissingFile(benchmark::State& state) {
    zav::bench::sealEnvironment();
    QTemporaryDir dir;
    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = dir.filePath(QStringLiteral("login%1.db").arg(n++));
        login->setcRespEnable(Class_LevelEnable::create());
        state.ResumeTiming();
        login->setDbPath(path);
    }
}
BENCHMARK(BM_DbPathMissingFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
