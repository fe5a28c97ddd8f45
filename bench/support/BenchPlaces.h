#pragma once

// Where a benchmark's credential database lives: a file of a temporary folder, or a database of its own
// on the server that ZAV_BENCH_PG_URI names (scripts/bench starts a throwaway one). Every benchmark is
// registered for both places from one source; without that variable the server variants are skipped.

#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>

namespace zav::bench {

enum class Place { File, Server };

inline const char* placeName(Place place) {
    return place == Place::File ? "File" : "Server";
}

// The URI of ZAV_BENCH_PG_URI, or "" when it is not set.
QString benchServerUri();

using PlacedBenchmark = void (*)(benchmark::State&, Place);
// Registers `function` as NAME/File and NAME/Server and returns both, for their further settings.
std::vector<benchmark::internal::Benchmark*> atBothPlaces(const char* name, PlacedBenchmark function);

// Registers a benchmark for both places with the same settings, for example
// ZAV_BENCHMARK_AT_BOTH_PLACES(BM_Check, ->Arg(1)->Unit(benchmark::kMillisecond)).
#define ZAV_BENCHMARK_AT_BOTH_PLACES(function, settings)                                                     \
    [[maybe_unused]] static const bool function##_registered = [] {                                          \
        for (auto* registered : ::zav::bench::atBothPlaces(#function, function)) {                           \
            registered settings;                                                                             \
        }                                                                                                    \
        return true;                                                                                         \
    }()

// Skips the benchmark with the reason and returns true when it runs on the server and there is none.
bool skipWithoutServer(benchmark::State& state, Place place);

// New, empty credential databases: file paths in a folder of their own, or databases made on the
// server (each with a name of its own) and dropped again when this object goes.
class ScratchPlaces {
public:
    explicit ScratchPlaces(Place place) : m_place(place) {}
    ~ScratchPlaces();
    ScratchPlaces(const ScratchPlaces&) = delete;
    ScratchPlaces& operator=(const ScratchPlaces&) = delete;

    Place place() const { return m_place; }
    // A path where nothing is yet, or the URI of a new database that holds no table.
    QString fresh(const QString& name);

private:
    Place m_place;
    QTemporaryDir m_folder;
    std::vector<QString> m_databases;
};

} // namespace zav::bench
