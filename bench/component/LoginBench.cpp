// The login with 10,000 operators in 200 levels: the credential check (open, two lookups, close)
// and the login dialog from its creation to the filled list.

#include "BenchEnvironment.h"

#include "component/CredentialCheck.h"
#include "component/Frm_Login.h"
#include "store/Engine.h"
#include "store/Schema.h"

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

    Fixture() {
        zav::bench::sealEnvironment();
        login = ZAV_Login::create();
        login->setAutoShutDown(false);
        login->setDbPath(dir.filePath(QStringLiteral("login.db")));
        auto db = zav::store::DefaultEngine().OpenDatabase(
            login->DbPath(), zav::store::OpenMode::SharedReadWrite, zav::store::ConnectString);
        zav::store::Transaction tx(*db);
        auto levels = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID"));
        for (int id = 2; id < Levels; ++id) {
            levels->AddNew();
            levels->SetField(QStringLiteral("ID"), id);
            levels->SetField(QStringLiteral("Name"), QStringLiteral("Level %1").arg(id));
            levels->SetField(QStringLiteral("PWD"), QStringLiteral("pw%1").arg(id));
            levels->SetField(QStringLiteral("NEnable"), 0);
            levels->Update();
        }
        auto ops = db->OpenRecordset(QStringLiteral("Select * from Operators"));
        for (int i = 0; i < Operators; ++i) {
            ops->AddNew();
            ops->SetField(QStringLiteral("Name"),
                          QStringLiteral("Operator %1").arg(i, 5, 10, QLatin1Char('0')));
            ops->SetField(QStringLiteral("PWD"), QStringLiteral("secret%1").arg(i));
            ops->SetField(QStringLiteral("ID"), 1 + i % (Levels - 1));
            ops->Update();
        }
        tx.Commit();
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
        zav::Class_Par par;
        par.LoginMode = state.range(0);
        zav::Frm_Login dialog(par);
        dialog.Form_Load();
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.findChild<QComboBox*>(QStringLiteral("Cbo_Login"))->count());
        dialog.hide();
    }
}
BENCHMARK(BM_LoginDialogFilledList)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_fixture.reset();
    return 0;
}
