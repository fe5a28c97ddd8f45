// Assigning DbPath: on an existing, complete database with both grants recorded, and on a new one (a
// missing file, or an empty database on the server) that is set up anew.

#include "BenchEnvironment.h"
#include "BenchPlaces.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <benchmark/benchmark.h>

namespace {

using zav::bench::Place;

void BM_DbPathExisting(benchmark::State& state, Place place) {
    if (zav::bench::skipWithoutServer(state, place)) {
        return;
    }
    zav::bench::sealEnvironment();
    zav::bench::ScratchPlaces places(place);
    const QString path = places.fresh(QStringLiteral("login.db"));
    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    login->setDbPath(path); // creates the tables and records both grants
    for (auto _ : state) {
        login->setDbPath(path);
    }
    if (!login->CurrentLevel() || login->CurrentLevel()->ID() != 1 || zav::bench::messagesShown() != 0) {
        state.SkipWithError("the database was not initialised");
    }
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_DbPathExisting, ->Unit(benchmark::kMillisecond));

void BM_DbPathNew(benchmark::State& state, Place place) {
    if (zav::bench::skipWithoutServer(state, place)) {
        return;
    }
    zav::bench::sealEnvironment();
    zav::bench::ScratchPlaces places(place);
    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = places.fresh(QStringLiteral("login%1.db").arg(n++));
        login->setcRespEnable(Class_LevelEnable::create());
        state.ResumeTiming();
        login->setDbPath(path);
    }
    if (zav::bench::messagesShown() != 0) {
        state.SkipWithError("a database could not be set up");
    }
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_DbPathNew, ->Iterations(20)->Unit(benchmark::kMillisecond));

} // namespace

BENCHMARK_MAIN();
