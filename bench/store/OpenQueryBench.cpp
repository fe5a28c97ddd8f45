// Open + one keyed query + close, as every reader of the component does it (shared, read-only), on
// the protected file, on an unprotected copy of the same content and on the server. The protected
// figure should stay under 0.3 ms and within four times the unprotected one. The server's run when
// ZAV_BENCH_PG_URI names one.

#include "BenchPlaces.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace zav::store;

const QString NoPassword; // an unprotected file

struct Files {
    QTemporaryDir dir;
    QString protectedFile = dir.filePath(QStringLiteral("protected.mdb"));
    QString plainFile = dir.filePath(QStringLiteral("plain.mdb"));
    QString manyLevelsFile = dir.filePath(QStringLiteral("levels.mdb"));
};

void fill(const QString& path, const QString& locale, int levelCount = 5) {
    auto db = DefaultEngine().CreateDatabase(path, locale);
    db->CreateTable(LevelsTableDef());
    db->CreateTable(OperatorsTableDef());
    db->CreateRelation(RelIDRefDef());
    auto levels = db->OpenRecordset(QStringLiteral("Select * from Levels"));
    for (int id = 0; id < levelCount; ++id) {
        levels->AddNew();
        levels->SetField(FieldID, id);
        levels->SetField(FieldName, QStringLiteral("Level %1").arg(id));
        levels->SetField(FieldNEnable, 0);
        levels->Update();
    }
    auto operators = db->OpenRecordset(QStringLiteral("Select * from Operators"));
    for (int n = 0; n < 50; ++n) {
        operators->AddNew();
        operators->SetField(FieldName, QStringLiteral("Operator %1").arg(n));
        operators->SetField(FieldPWD, QStringLiteral("pw%1").arg(n));
        operators->SetField(FieldID, n % 5);
        operators->Update();
    }
    db->Close();
}

const Files& files() {
    static Files* made = [] {
        auto* f = new Files;
        fill(f->protectedFile, LocaleArgument + ConnectString);
        fill(f->plainFile, LocaleArgument);
        fill(f->manyLevelsFile, LocaleArgument + ConnectString, 1000);
        return f;
    }();
    return *made;
}

void openQueryClose(benchmark::State& state, const QString& path, const QString& connect, const QString& sql,
                    const QString& field) {
    DefaultEngine().OpenDatabase(path, OpenMode::SharedReadOnly, connect)->Close(); // the key is derived once
    for (auto _ : state) {
        auto db = DefaultEngine().OpenDatabase(path, OpenMode::SharedReadOnly, connect);
        auto rs = db->OpenRecordset(sql);
        QVariant value = rs->Field(field);
        benchmark::DoNotOptimize(value);
        rs->Close();
        db->Close();
    }
}

const QString OperatorByName = QStringLiteral("Select * from Operators where Name = 'Operator 17'");
const QString LevelById = QStringLiteral("Select * from Levels where ID = 3");

// The same on databases of their own on the server ZAV_BENCH_PG_URI names (no key there: the server
// checks the login), filled as the protected files.
QString serverDatabase(bool manyLevels) {
    static zav::bench::ScratchPlaces places(zav::bench::Place::Server);
    static const QString few = [] {
        const QString made = places.fresh(QStringLiteral("few"));
        fill(made, LocaleArgument);
        return made;
    }();
    if (!manyLevels) {
        return few;
    }
    static const QString many = [] {
        const QString made = places.fresh(QStringLiteral("levels"));
        fill(made, LocaleArgument, 1000);
        return made;
    }();
    return many;
}

// The protected file, or the server's database.
QString databaseAt(zav::bench::Place place, bool manyLevels) {
    if (place == zav::bench::Place::Server) {
        return serverDatabase(manyLevels);
    }
    return manyLevels ? files().manyLevelsFile : files().protectedFile;
}

// The logout level (the largest ID) among 1,000 levels, asked as the component asks it: whether there
// is a level, and the first one's fields.
void BM_LogoutLevelOf1000(benchmark::State& state, zav::bench::Place place) {
    if (zav::bench::skipWithoutServer(state, place)) {
        return;
    }
    const QString path = databaseAt(place, true);
    DefaultEngine().OpenDatabase(path, OpenMode::SharedReadOnly, ConnectString)->Close();
    for (auto _ : state) {
        auto db = DefaultEngine().OpenDatabase(path, OpenMode::SharedReadOnly, ConnectString);
        auto rs = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID Desc"));
        if (rs->Eof() || rs->Field(FieldID).toInt() != 999) {
            state.SkipWithError("the logout level was not found");
        }
        rs->Close();
        db->Close();
    }
}

void BM_OperatorByName(benchmark::State& state, zav::bench::Place place) {
    if (!zav::bench::skipWithoutServer(state, place)) {
        openQueryClose(state, databaseAt(place, false), ConnectString, OperatorByName, FieldPWD);
    }
}
void BM_LevelById(benchmark::State& state, zav::bench::Place place) {
    if (!zav::bench::skipWithoutServer(state, place)) {
        openQueryClose(state, databaseAt(place, false), ConnectString, LevelById, FieldDesktop);
    }
}
// The file without protection, what the protection costs beside.
void BM_OperatorByName_Unprotected(benchmark::State& state) {
    openQueryClose(state, files().plainFile, NoPassword, OperatorByName, FieldPWD);
}
void BM_LevelById_Unprotected(benchmark::State& state) {
    openQueryClose(state, files().plainFile, NoPassword, LevelById, FieldDesktop);
}

ZAV_BENCHMARK_AT_BOTH_PLACES(BM_OperatorByName, ->Unit(benchmark::kMicrosecond));
BENCHMARK(BM_OperatorByName_Unprotected)->Unit(benchmark::kMicrosecond);
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_LevelById, ->Unit(benchmark::kMicrosecond));
BENCHMARK(BM_LevelById_Unprotected)->Unit(benchmark::kMicrosecond);
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_LogoutLevelOf1000, ->Unit(benchmark::kMicrosecond));

} // namespace

BENCHMARK_MAIN();
