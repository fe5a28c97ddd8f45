// The audit trail at size, in a file and on the server: verifying the chain of 100,000 rows (the target
// is under 2 s), listing them, and one audited change against the same change with the audit off.
//
// Runs in a private home folder, without a screen: nothing of the machine or the user is touched.

#include "CredentialDataset.h"
#include "SealedHome.h"

#include "operations/CredentialDatabase.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace zav;

namespace {

constexpr int TrailRows = 100000;

// A database with two levels, the audit on and 100,000 rows appended in chunks of 10,000.
struct Trail {
    bench::ScratchPlaces places;
    QString path;

    Trail(bench::Place place, bool audit) : places(place) {
        manage::Snapshot contents;
        for (int id = 0; id < 2; ++id) {
            manage::LevelEntry entry;
            entry.level->setID(id);
            entry.level->setDBLevelName(QStringLiteral("|%1").arg(id));
            contents.levels.push_back(entry);
        }
        path = bench::buildCredentialDatabase(places, QStringLiteral("audit.db"), contents);
        if (!audit) {
            return;
        }
        manage::SetPolicyEntry(path, QStringLiteral("audit"), QStringLiteral("on"));
        manage::Policy policy;
        policy.audit = true;
        std::vector<manage::AuditEvent> chunk;
        for (int i = 1; i < TrailRows; ++i) {
            chunk.push_back(
                {QStringLiteral("login"), QStringLiteral("by operator"),
                 manage::AuditSubject{QStringLiteral("Operator %1").arg(i % 10000), QStringLiteral("|1")}});
            if (chunk.size() == 10000 || i == TrailRows - 1) {
                manage::RecordAuditEvents(path, policy, chunk);
                chunk.clear();
            }
        }
    }
};

// Built on first use, per place and with or without the audit.
Trail& trail(bench::Place place, bool audit = true) {
    static std::map<std::pair<bench::Place, bool>, std::unique_ptr<Trail>> built;
    auto& made = built[{place, audit}];
    if (!made) {
        made = std::make_unique<Trail>(place, audit);
    }
    return *made;
}

void BM_VerifyAuditTrail(benchmark::State& state, bench::Place place) {
    if (bench::skipWithoutServer(state, place)) {
        return;
    }
    const QString path = trail(place).path;
    for (auto _ : state) {
        const manage::AuditVerdict verdict = manage::VerifyAuditTrail(path);
        if (!verdict.intact || verdict.rows != TrailRows) {
            state.SkipWithError("the trail is not intact, or not whole");
            break;
        }
    }
    state.counters["rows"] = TrailRows;
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_VerifyAuditTrail, ->Unit(benchmark::kMillisecond));

void BM_ListAuditTrail(benchmark::State& state, bench::Place place) {
    if (bench::skipWithoutServer(state, place)) {
        return;
    }
    const QString path = trail(place).path;
    for (auto _ : state) {
        benchmark::DoNotOptimize(manage::ReadAuditRows(path).size());
    }
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_ListAuditTrail, ->Unit(benchmark::kMillisecond));

// Adding an operator and removing it again: two changes, each with its row while the audit is on
// (argument 1), on a trail of 100,000 rows.
void BM_AuditedChange(benchmark::State& state, bench::Place place) {
    if (bench::skipWithoutServer(state, place)) {
        return;
    }
    const QString path = trail(place, state.range(0) != 0).path;
    for (auto _ : state) {
        manage::AddOperator(path, 1, QStringLiteral("bench"));
        manage::RemoveOperator(path, QStringLiteral("bench"));
    }
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_AuditedChange, ->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond));

} // namespace

int main(int argc, char** argv) {
    return zav::bench::runSealedBenchmarks(argc, argv);
}
