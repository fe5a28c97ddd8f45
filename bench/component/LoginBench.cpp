// The login with 10,000 operators in 200 levels: the credential check (open, two lookups, close)
// and the login dialog from its creation to the filled list; one password hash check, and the
// credential check on the same operators in a file whose whole policy is on (hashed storage, lockout,
// password rules, automatic logout).

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

QString operatorName(int n) {
    return QStringLiteral("Operator %1").arg(n, 5, 10, QLatin1Char('0'));
}

// Level 1 with every right, the other levels with a password each, the operators dealt out over them.
// With `hashedPassword` the policy is all on (the audit trail too) and every operator stores that hash (what
// a check costs does not depend on the salt, and hashing 10,000 passwords would take over a minute); the
// import hashes the levels' passwords.
zav::manage::Snapshot contents(const QString& hashedPassword = {}) {
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
        contents.operators.push_back(
            {operatorName(i), hashedPassword.isEmpty() ? QStringLiteral("secret%1").arg(i) : hashedPassword,
             1 + i % (Levels - 1)});
    }
    if (!hashedPassword.isEmpty()) {
        contents.policy = {{QStringLiteral("password-storage"), QStringLiteral("hashed")},
                           {QStringLiteral("lockout-attempts"), QStringLiteral("1000")},
                           {QStringLiteral("password-require-digit"), QStringLiteral("on")},
                           {QStringLiteral("auto-logout-minutes"), QStringLiteral("15")},
                           {QStringLiteral("audit"), QStringLiteral("on")}};
    }
    return contents;
}

struct Fixture {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("login.db"));
    QString hashedPath = dir.filePath(QStringLiteral("hashed.db"));
    QString hashedSecret = zav::manage::HashPassword(QStringLiteral("secret"));
    std::shared_ptr<ZAV_Login> login;

    // The files are built through the import; assigning DbPath then adds level 0.
    Fixture() {
        zav::bench::sealEnvironment();
        zav::manage::ImportIntoNewFile(path, contents());
        zav::manage::ImportIntoNewFile(hashedPath, contents(hashedSecret));
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
        const auto outcome = zav::CheckCredentials(1, 0, operatorName(n), QStringLiteral("secret%1").arg(n));
        if (outcome != zav::CredentialOutcome::Accepted) {
            state.SkipWithError("the right password was refused");
            break;
        }
    }
}
BENCHMARK(BM_CredentialCheckOperator)->Unit(benchmark::kMicrosecond);

void BM_PasswordHashCheck(benchmark::State& state) {
    const QString stored = fixture().hashedSecret;
    for (auto _ : state) {
        if (!zav::manage::PasswordMatches(QStringLiteral("secret"), stored,
                                          zav::manage::PasswordStorage::Hashed)) {
            state.SkipWithError("the right password was refused");
            break;
        }
    }
}
BENCHMARK(BM_PasswordHashCheck)->Unit(benchmark::kMillisecond);

// Argument 1: the right password (one hash checked); 0: a wrong one, checked against the operator's
// hash and the remembered top password's, and counted for the lockout (a write); 2: the same without
// the lockout, what the two hashes and the reads cost.
void BM_CredentialCheckOperatorHashed(benchmark::State& state) {
    Fixture& f = fixture();
    zav::manage::SetPolicyEntry(f.hashedPath, QStringLiteral("lockout-attempts"),
                                state.range(0) == 2 ? QStringLiteral("0") : QStringLiteral("1000"));
    f.login->setDbPath(f.hashedPath); // adds level 0, its fixed key hashed
    auto top = Class_Level::create();
    zav::manage::LoadLevel(f.hashedPath, 0, *top);
    zav::Mod_Globali().loginTopPassword = top->Password();
    const bool right = state.range(0) == 1;
    const auto expected = right ? zav::CredentialOutcome::Accepted : zav::CredentialOutcome::WrongPassword;
    int i = 0;
    for (auto _ : state) {
        const int n = (i++ * 7919) % Operators;
        const auto outcome = zav::CheckCredentials(
            1, 0, operatorName(n), right ? QStringLiteral("secret") : QStringLiteral("wrong"));
        if (outcome != expected) {
            state.SkipWithError("the check did not come out as expected");
            break;
        }
    }
    zav::Mod_Globali().loginTopPassword.clear();
    f.login->setDbPath(f.path);
    f.login->Logout();
}
BENCHMARK(BM_CredentialCheckOperatorHashed)->Arg(1)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

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
