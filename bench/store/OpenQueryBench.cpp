// Open + one keyed query + close, as every reader of the component does it (shared, read-only), on
// the protected file and on an unprotected copy of the same content. The protected figure should stay
// under 0.3 ms and within four times the unprotected one. With ZAV_BENCH_PG_URI the same queries run on
// a server database too.

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

// The logout level (the largest ID) among 1,000 levels, asked as the component asks it: whether there
// is a level, and the first one's fields.
void BM_LogoutLevelOf1000_Protected(benchmark::State& state) {
    const QString& path = files().manyLevelsFile;
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

void BM_OperatorByName_Protected(benchmark::State& state) {
    openQueryClose(state, files().protectedFile, ConnectString, OperatorByName, FieldPWD);
}
void BM_OperatorByName_Unprotected(benchmark::State& state) {
    openQueryClose(state, files().plainFile, NoPassword, OperatorByName, FieldPWD);
}
void BM_LevelById_Protected(benchmark::State& state) {
    openQueryClose(state, files().protectedFile, ConnectString, LevelById, FieldDesktop);
}
void BM_LevelById_Unprotected(benchmark::State& state) {
    openQueryClose(state, files().plainFile, NoPassword, LevelById, FieldDesktop);
}

// The same on a server database, when ZAV_BENCH_PG_URI names one that is empty (or filled by an
// earlier run).
const QString& serverDatabase() {
    static const QString uri = [] {
        const QString given = qEnvironmentVariable("ZAV_BENCH_PG_URI");
        try {
            if (!given.isEmpty()) {
                fill(given, LocaleArgument);
            }
        } catch (const DbError& error) {
            if (error.Number() != ErrDatabaseExists) {
                throw;
            }
        }
        return given;
    }();
    return uri;
}

void onServer(benchmark::State& state, const QString& sql, const QString& field) {
    if (serverDatabase().isEmpty()) {
        state.SkipWithError("ZAV_BENCH_PG_URI names no server database");
        return;
    }
    openQueryClose(state, serverDatabase(), ConnectString, sql, field);
}
void BM_OperatorByName_Server(benchmark::State& state) {
    onServer(state, OperatorByName, FieldPWD);
}
void BM_LevelById_Server(benchmark::State& state) {
    onServer(state, LevelById, FieldDesktop);
}

BENCHMARK(BM_OperatorByName_Server)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelById_Server)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OperatorByName_Protected)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OperatorByName_Unprotected)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelById_Protected)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelById_Unprotected)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LogoutLevelOf1000_Protected)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
