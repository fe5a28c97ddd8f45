// A panel's local copy of a server database (the server ZAV_BENCH_PG_URI names; skipped without it): a
// refresh of a copy of 10,000 operators (the target is under 500 ms, on the worker thread, never the GUI
// thread), written anew or found unchanged; a login checked against the copy; and sending a queue of
// 1,000 audit rows recorded offline to the server's trail (the target is under 1 s).
//
// Runs in a private home and state folder, without a screen: nothing of the machine or the user is touched.

#include "CredentialDataset.h"
#include "SealedHome.h"

#include "operations/CredentialCheck.h"
#include "operations/CredentialDatabase.h"
#include "operations/Replica.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <memory>

using namespace zav;

namespace {

constexpr int Operators = 10000;

// A server database of four levels and 10,000 operators with plain passwords, the audit and the lockout
// on, offline login for 7 days; and its copy.
struct Plant {
    bench::ScratchPlaces places{bench::Place::Server};
    QString uri;
    QString copy;

    Plant() {
        manage::Snapshot contents;
        for (int id = 0; id < 4; ++id) {
            manage::LevelEntry entry;
            entry.level->setID(id);
            entry.level->setDBLevelName(id < 2 ? QStringLiteral("|%1").arg(id)
                                               : QStringLiteral("Level %1").arg(id));
            entry.level->setPassword(id == 3 ? QString() : QStringLiteral("pw%1").arg(id));
            contents.levels.push_back(entry);
        }
        for (int i = 0; i < Operators; ++i) {
            contents.operators.push_back(
                {QStringLiteral("Operator %1").arg(i), QStringLiteral("op%1").arg(i), 1 + i % 2});
        }
        contents.policy = {{QStringLiteral("audit"), QStringLiteral("on")},
                           {QStringLiteral("lockout-attempts"), QStringLiteral("5")},
                           {QStringLiteral("offline-login-days"), QStringLiteral("7")}};
        uri = bench::buildCredentialDatabase(places, QStringLiteral("offline"), contents);
        copy = manage::RefreshReplica(uri).path.value_or(QString());
    }
};

Plant* plant(benchmark::State& state) {
    if (bench::skipWithoutServer(state, bench::Place::Server)) {
        return nullptr;
    }
    static std::unique_ptr<Plant> built = std::make_unique<Plant>();
    if (built->copy.isEmpty()) {
        state.SkipWithError("no copy was made");
        return nullptr;
    }
    return built.get();
}

// Arg 1: the copy is written anew (it is removed before each refresh); 0: the server holds what it holds.
void BM_RefreshCopyOf10000Operators(benchmark::State& state) {
    Plant* server = plant(state);
    for (auto _ : state) {
        if (!server) {
            break;
        }
        if (state.range(0) == 1) {
            state.PauseTiming();
            QFile::remove(server->copy);
            state.ResumeTiming();
        }
        if (!manage::RefreshReplica(server->uri).path) {
            state.SkipWithError("the copy was not kept");
            break;
        }
    }
    state.counters["operators"] = Operators;
}
BENCHMARK(BM_RefreshCopyOf10000Operators)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A login by operator checked against the copy, as the component checks it offline (what the attempt
// leaves, here its audit row, is queued in the copy).
void BM_LoginFromCopy(benchmark::State& state) {
    Plant* server = plant(state);
    for (auto _ : state) {
        if (!server) {
            break;
        }
        const manage::CheckedLogin login = manage::CheckCredentials(
            server->copy, {1, true, 0, QStringLiteral("Operator 4711"), QStringLiteral("op4711")});
        if (login.verdict.outcome != manage::CredentialOutcome::Accepted) {
            state.SkipWithError("the login was refused");
            break;
        }
    }
}
BENCHMARK(BM_LoginFromCopy)->Unit(benchmark::kMillisecond);

// 1,000 audit rows recorded offline, sent to the server's trail in one transaction (each iteration a new
// copy, whose queue the server has not seen).
void BM_SendQueueOf1000Rows(benchmark::State& state) {
    Plant* server = plant(state);
    manage::Policy audited;
    audited.audit = true;
    const std::vector<manage::AuditEvent> rows(
        1000, {QStringLiteral("login"), QStringLiteral("by operator"),
               manage::AuditSubject{QStringLiteral("Operator 1"), QStringLiteral("Level 1")}});
    for (auto _ : state) {
        if (!server) {
            break;
        }
        state.PauseTiming();
        QFile::remove(server->copy);
        manage::RefreshReplica(server->uri);
        manage::RecordAuditEvents(server->copy, audited, rows);
        state.ResumeTiming();
        if (manage::SendReplicaQueue(server->uri, server->copy).rows != int(rows.size())) {
            state.SkipWithError("the server did not take every row");
            break;
        }
    }
}
BENCHMARK(BM_SendQueueOf1000Rows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return zav::bench::runSealedBenchmarks(argc, argv);
}
