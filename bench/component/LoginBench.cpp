// The login with 10,000 operators in 200 levels, in a file and on the server: the credential check by
// operator and by level (open, lookups, close) and the login dialog from its creation to the filled
// list; one password hash check, and the credential check on the same operators in a database whose
// whole policy is on (hashed storage, lockout, password rules, automatic logout), each with the hashes
// older versions wrote (PBKDF2) and with today's (Argon2id); panels logging in at once, straight and
// through PgBouncer; the first login from the panel's copy after the server was lost; and a signature
// with its dialog; a badge login on the same operators, each with a badge.

#include "BenchEnvironment.h"
#include "CredentialDataset.h"
#include "ServerRelay.h"

#include "base/Mod_Globali.h"
#include "component/CredentialCheck.h"
#include "component/Frm_Login.h"
#include "component/OfflineMode.h"
#include "dialogs/Frm_Sign.h"
#include "operations/BadgeCodes.h"
#include "operations/CredentialDatabase.h"
#include "operations/Signatures.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>

namespace {

constexpr int Levels = 200;
constexpr int Operators = 10000;

QString operatorName(int n) {
    return QStringLiteral("Operator %1").arg(n, 5, 10, QLatin1Char('0'));
}

// How a data set keeps its passwords: as text, or hashed in the form older versions wrote or today's.
enum Storage { Text, Pbkdf2, Argon2id };

// Level 1 with every right, the other levels with a password each except the lowest (the one in force
// when nobody is logged in, which has none), the operators dealt out over them.
// With `hashedPassword` the policy is all on (the audit trail too), every operator and level stores
// that hash (what a check costs does not depend on the salt, and hashing 10,000 passwords would take
// minutes) and level 0 `hashedTop`, in the same form.
zav::manage::Snapshot contents(const QString& hashedPassword = {}, const QString& hashedTop = {}) {
    zav::manage::Snapshot contents;
    if (!hashedTop.isEmpty()) {
        zav::manage::LevelEntry top;
        top.level->setID(0);
        top.level->setDBLevelName(QStringLiteral("|0"));
        top.level->setPassword(hashedTop);
        contents.levels.push_back(top);
    }
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
        } else if (id < Levels - 1) {
            entry.level->setPassword(hashedPassword.isEmpty() ? QStringLiteral("pw%1").arg(id)
                                                              : hashedPassword);
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

// What operator n's badge reader types: a decimal number, which stands for two values (decimal and
// hexadecimal), so every operator has two rows and the lookup meets 20,000.
QString badgeReading(int n) {
    return QString::number(4000000 + 37 * n);
}

// The plain data set with badge login on and a badge (method badge, no PIN) for every operator.
zav::manage::Snapshot badgedContents(const QByteArray& key) {
    zav::manage::Snapshot badged = contents();
    badged.policy = {{QStringLiteral("badge-login"), QStringLiteral("on")}};
    badged.badges.emplace();
    for (int n = 0; n < Operators; ++n) {
        for (const QString& hmac : zav::manage::BadgeHmacs(key, badgeReading(n))) {
            badged.badges->push_back({hmac, operatorName(n), zav::manage::LoginMethod::Badge, QString()});
        }
    }
    return badged;
}

// The data sets of one place, by storage, built on first use.
struct PlaceData {
    explicit PlaceData(zav::bench::Place place) : places(place) {}
    zav::bench::ScratchPlaces places;
    std::map<Storage, QString> paths;
    QString badged;
};

struct Fixture {
    // Each hash is made once for all.
    std::map<Storage, QString> hashedSecret{
        {Pbkdf2, zav::manage::HashPasswordPbkdf2(QStringLiteral("secret"))},
        {Argon2id, zav::manage::HashPassword(QStringLiteral("secret"))}};
    std::map<Storage, QString> hashedTop{{Pbkdf2, zav::manage::HashPasswordPbkdf2(QStringLiteral("top"))},
                                         {Argon2id, zav::manage::HashPassword(QStringLiteral("top"))}};
    std::map<zav::bench::Place, std::unique_ptr<PlaceData>> data;
    std::shared_ptr<ZAV_Login> login;

    Fixture() {
        zav::bench::sealEnvironment();
        login = ZAV_Login::create();
        login->setAutoShutDown(false);
    }

    QString path(zav::bench::Place place, Storage storage = Text) {
        auto& made = data[place];
        if (!made) {
            made = std::make_unique<PlaceData>(place);
        }
        QString& path = made->paths[storage];
        if (path.isEmpty()) {
            const char* const names[] = {"login.db", "pbkdf2.db", "argon2id.db"};
            path = zav::bench::buildCredentialDatabase(
                made->places, QString::fromLatin1(names[storage]),
                storage == Text ? contents() : contents(hashedSecret.at(storage), hashedTop.at(storage)));
        }
        return path;
    }

    zav::manage::BadgeKey badgeKey{QByteArray(zav::manage::BadgeKeyBytes, '\x5a'), QString()};
    QString badgedPath(zav::bench::Place place) {
        path(place); // the place exists
        PlaceData& made = *data.at(place);
        if (made.badged.isEmpty()) {
            made.badged = zav::bench::buildCredentialDatabase(made.places, QStringLiteral("badges.db"),
                                                              badgedContents(badgeKey.bytes));
        }
        return made.badged;
    }

    // Makes the database the component's (assigning DbPath adds level 0) with nobody logged in.
    void use(const QString& dbPath) {
        const int before = zav::bench::messagesShown();
        login->setDbPath(dbPath);
        login->Logout();
        if (zav::bench::messagesShown() != before) {
            throw std::runtime_error("the component could not use its database: " + dbPath.toStdString());
        }
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

// The fixture with the plain data set of `place` in use; false (and skipped) without a server.
bool usePlain(benchmark::State& state, zav::bench::Place place) {
    if (zav::bench::skipWithoutServer(state, place)) {
        return false;
    }
    fixture().use(fixture().path(place));
    return true;
}

void BM_CredentialCheckOperator(benchmark::State& state, zav::bench::Place place) {
    if (!usePlain(state, place)) {
        return;
    }
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
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_CredentialCheckOperator, ->Unit(benchmark::kMicrosecond));

// The same by level: the level's row and its password.
void BM_CredentialCheckLevel(benchmark::State& state, zav::bench::Place place) {
    if (!usePlain(state, place)) {
        return;
    }
    int i = 0;
    for (auto _ : state) {
        const int id = 2 + (i++ * 7919) % (Levels - 3); // the levels with a password
        const auto outcome = zav::CheckCredentials(0, id, QString(), QStringLiteral("pw%1").arg(id));
        if (outcome != zav::CredentialOutcome::Accepted) {
            state.SkipWithError("the right password was refused");
            break;
        }
    }
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_CredentialCheckLevel, ->Unit(benchmark::kMicrosecond));

// The hash alone, the same wherever the database lives.
void BM_PasswordHashCheck(benchmark::State& state, Storage storage) {
    const QString stored = fixture().hashedSecret.at(storage);
    for (auto _ : state) {
        if (!zav::manage::PasswordMatches(QStringLiteral("secret"), stored,
                                          zav::manage::PasswordStorage::Hashed)) {
            state.SkipWithError("the right password was refused");
            break;
        }
    }
}
BENCHMARK_CAPTURE(BM_PasswordHashCheck, pbkdf2, Pbkdf2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PasswordHashCheck, argon2id, Argon2id)->Unit(benchmark::kMillisecond);

// Argument check 1: the right password (one hash checked; an older hash is replaced by today's, a hash
// and a write more); 0: a wrong one, checked against the operator's hash and level 0's, and counted for
// the lockout (a write); 2: the same without the lockout, what the two hashes and the reads cost.
// Argument storage: the hashes' form (level 0's too).
void BM_CredentialCheckOperatorHashed(benchmark::State& state, zav::bench::Place place) {
    if (zav::bench::skipWithoutServer(state, place)) {
        return;
    }
    Fixture& f = fixture();
    const auto storage = static_cast<Storage>(state.range(1));
    const QString hashedPath = f.path(place, storage);
    const auto lockout = [&](const char* attempts) {
        zav::manage::SetPolicyEntry(hashedPath, QStringLiteral("lockout-attempts"),
                                    QString::fromLatin1(attempts));
    };
    lockout(state.range(0) == 2 ? "0" : "1000");
    f.login->setDbPath(hashedPath);
    const bool right = state.range(0) == 1;
    const auto expected = right ? zav::CredentialOutcome::Accepted : zav::CredentialOutcome::WrongPassword;
    int i = 0;
    for (auto _ : state) {
        if (!right && i % 500 == 499) {
            // Level 0's failures count too; before they reach the limit, where its password would wait
            // and no longer be compared, they are forgotten.
            state.PauseTiming();
            zav::manage::ClearFailedLogins(hashedPath,
                                           {zav::manage::LockoutKind::Level, QStringLiteral("|0")});
            state.ResumeTiming();
        }
        // Each kind of check meets operators of its own: a right password replaces an older hash, which
        // would change what the next kind compares with.
        const int n = (i++ * 7919 + static_cast<int>(state.range(0)) * 3331) % Operators;
        const auto outcome = zav::CheckCredentials(
            1, 0, operatorName(n), right ? QStringLiteral("secret") : QStringLiteral("wrong"));
        if (outcome != expected) {
            state.SkipWithError("the check did not come out as expected");
            break;
        }
    }
    lockout("1000"); // the whole policy again, for the logins at once
    f.use(f.path(place));
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_CredentialCheckOperatorHashed, ->ArgsProduct({{1, 0, 2}, {Pbkdf2, Argon2id}})
                                                                   ->ArgNames({"check", "storage"})
                                                                   ->Unit(benchmark::kMillisecond));

// A signature on the data set whose whole policy is on (Argon2id hashes, the audit): the signer's
// password checked and the row written, as Sign does once its dialog is confirmed.
void BM_Signature(benchmark::State& state, zav::bench::Place place) {
    if (zav::bench::skipWithoutServer(state, place)) {
        return;
    }
    using zav::manage::SignatureOutcome;
    const QString dbPath = fixture().path(place, Argon2id);
    int i = 0;
    for (auto _ : state) {
        const QString name = operatorName((i++ * 7919) % Operators);
        if (zav::manage::CheckSignaturePassword(dbPath, {name, QStringLiteral("secret")}).outcome !=
                SignatureOutcome::Signed ||
            zav::manage::RecordSignature(dbPath, {QStringLiteral("Approved"), QStringLiteral("Batch 42"),
                                                  QStringLiteral("Checked"), name, std::nullopt, 0})
                    .outcome != SignatureOutcome::Signed) {
            state.SkipWithError("the signature was refused");
            break;
        }
    }
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_Signature, ->Unit(benchmark::kMillisecond));

// A badge login, method badge: the reading made into its HMACs, then the badge, its operator and level
// read in one moment (nothing written: no lockout, no audit).
void BM_BadgeLogin(benchmark::State& state, zav::bench::Place place) {
    if (zav::bench::skipWithoutServer(state, place)) {
        return;
    }
    Fixture& f = fixture();
    const QString dbPath = f.badgedPath(place);
    int i = 0;
    for (auto _ : state) {
        const int n = (i++ * 7919) % Operators;
        const auto checked = zav::manage::CheckBadge(dbPath, badgeReading(n), f.badgeKey, {});
        if (checked.outcome != zav::manage::BadgeOutcome::Accepted ||
            checked.operatorName != operatorName(n)) {
            state.SkipWithError("the badge did not open its operator");
            break;
        }
    }
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_BadgeLogin, ->Unit(benchmark::kMillisecond));

// The signer's dialog from its creation to its first paint, in touch-screen mode (0) or not (1).
void BM_SignatureDialogOpen(benchmark::State& state) {
    zav::Mod_Globali().touchScreen = state.range(0) == 0;
    for (auto _ : state) {
        zav::Frm_Sign dialog({zav::Frm_Sign::Role::Signer,
                              QStringLiteral("Approved"),
                              QStringLiteral("Release of batch 42 to packaging"),
                              operatorName(1),
                              true,
                              {QStringLiteral("Checked"), QStringLiteral("Line clearance")},
                              true},
                             [](const zav::Frm_Sign::Entry&) { return true; });
        dialog.Form_Load();
        dialog.show();
        QApplication::processEvents();
        dialog.hide();
    }
    zav::Mod_Globali().touchScreen = false;
}
BENCHMARK(BM_SignatureDialogOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LoginDialogFilledList(benchmark::State& state, zav::bench::Place place) {
    if (!usePlain(state, place)) {
        return;
    }
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
ZAV_BENCHMARK_AT_BOTH_PLACES(
    BM_LoginDialogFilledList, ->Args({1, 0})->Args({0, 0})->Args({1, 1})->Args({0, 1})->Unit(
                                  benchmark::kMillisecond));

// Panels log in at the same moment: a helper program started once per panel, each with the database in
// use and connected, is let go at once and times its own credential check by operator. Each iteration
// is one such round; the counters give the percentiles of every login of every round (nearest rank),
// the time of an iteration is the round from the go to the last exit.
struct Round {
    std::vector<double> loginsMs;
    double wallSeconds = 0;
    QString failure;
};

// `logins` and `pauseMs` (when given): each panel logs in that many times, pausing up to twice the time.
Round concurrentLogins(const QString& dbPath, int round, int panelCount, Storage storage, int logins = 0,
                       int pauseMs = 0) {
    Round result;
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_login_process");
    std::vector<std::unique_ptr<QProcess>> panels;
    // One after the other until ready: assigning DbPath opens the database exclusively.
    for (int k = 0; k < panelCount; ++k) {
        const int n = ((round * panelCount + k) * 7919) % Operators;
        auto& panel = panels.emplace_back(std::make_unique<QProcess>());
        panel->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList arguments{dbPath, operatorName(n),
                              storage == Text ? QStringLiteral("secret%1").arg(n) : QStringLiteral("secret")};
        if (logins > 0) {
            arguments << QString::number(logins) << QString::number(pauseMs);
        }
        panel->start(program, arguments);
        if (!panel->waitForReadyRead(30000) || panel->readLine().trimmed() != "ready") {
            result.failure = QStringLiteral("a panel did not get ready");
            break;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    // Written out to each before the first is waited for: a QProcess writes only while it is waited on.
    for (auto& panel : panels) {
        panel->write("go\n");
        panel->waitForBytesWritten(5000);
        panel->closeWriteChannel();
    }
    for (auto& panel : panels) {
        panel->waitForFinished(30000 + 2 * logins * pauseMs);
    }
    result.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (auto& panel : panels) {
        const QList<QByteArray> lines = panel->readAllStandardOutput().trimmed().split('\n');
        if (panel->exitStatus() != QProcess::NormalExit || panel->exitCode() != 0 ||
            lines.size() != std::max(logins, 1)) {
            result.failure = QStringLiteral("a panel's login failed");
            continue;
        }
        for (const QByteArray& line : lines) {
            result.loginsMs.push_back(line.mid(9).toDouble() / 1000.0);
        }
    }
    return result;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(fraction * double(values.size())));
    return values.at(std::max<size_t>(rank, 1) - 1);
}

// One round of logins (given its number) for each iteration; the counters come from every login of every
// round.
void timeRounds(benchmark::State& state, const std::function<Round(int)>& round) {
    std::vector<double> logins;
    int number = 0;
    for (auto _ : state) {
        const Round done = round(number++);
        if (!done.failure.isEmpty()) {
            state.SkipWithError(done.failure.toStdString().c_str());
            break;
        }
        state.SetIterationTime(done.wallSeconds);
        logins.insert(logins.end(), done.loginsMs.begin(), done.loginsMs.end());
    }
    if (!logins.empty()) {
        state.counters["logins"] = double(logins.size());
        state.counters["p50_ms"] = percentile(logins, 0.50);
        state.counters["p99_ms"] = percentile(logins, 0.99);
        state.counters["max_ms"] = percentile(logins, 1.0);
    }
}

// Arguments: how many panels, and how the data set keeps its passwords (hashed: the whole policy on).
void BM_ConcurrentLogins(benchmark::State& state, zav::bench::Place place) {
    if (!usePlain(state, place)) {
        return;
    }
    const auto storage = static_cast<Storage>(state.range(1));
    const QString dbPath = fixture().path(place, storage);
    timeRounds(state, [&](int round) {
        return concurrentLogins(dbPath, round, static_cast<int>(state.range(0)), storage);
    });
}
ZAV_BENCHMARK_AT_BOTH_PLACES(BM_ConcurrentLogins, ->Args({50, Text})
                                                      ->Args({4, Pbkdf2})
                                                      ->Args({4, Argon2id})
                                                      ->ArgNames({"panels", "storage"})
                                                      ->Iterations(4)
                                                      ->UseManualTime()
                                                      ->Unit(benchmark::kMillisecond));

// The time from losing the server to the first login, then checked against the panel's copy (the plain
// data set with offline login for 7 days, reached through a relay; the URI's deadline is 1 s). Argument
// 0: the server is gone, its connections cut and new ones closed at once; 1: it stops answering, and the
// login waits out the deadline. Before each round the panel is online again, connected, its copy fresh.
void BM_FirstLoginAfterLosingTheServer(benchmark::State& state) {
    using Relay = zav::store::test::ServerRelay;
    if (zav::bench::skipWithoutServer(state, zav::bench::Place::Server)) {
        return;
    }
    Fixture& f = fixture();
    static const QString dbPath = [&f] {
        f.path(zav::bench::Place::Server); // the place exists
        zav::manage::Snapshot keptOffline = contents();
        keptOffline.policy = {{QStringLiteral("offline-login-days"), QStringLiteral("7")}};
        return zav::bench::buildCredentialDatabase(f.data.at(zav::bench::Place::Server)->places,
                                                   QStringLiteral("offline.db"), keptOffline);
    }();
    static const QRegularExpression host(QStringLiteral("host=([^&]*)"));
    Relay relay(host.match(dbPath).captured(1));
    f.login->setDbPath(relay.through(dbPath) + QStringLiteral("&connect_timeout=1"));
    zav::OfflineMode::SetProbeIntervalForTests(50);
    const Relay::Mode lost = state.range(0) == 0 ? Relay::Mode::Refuse : Relay::Mode::Silent;
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        relay.setMode(Relay::Mode::Forward);
        const int n = (i++ * 7919) % Operators;
        const QString name = operatorName(n);
        const QString password = QStringLiteral("secret%1").arg(n);
        // Online again, and a login checked by the server itself: within a deadline of the last one that
        // passed, the panel's own connection still fails at once and the login goes to the copy.
        bool ready = false;
        for (const QDeadlineTimer deadline(30000); !ready && !deadline.hasExpired();) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            ready = !f.login->IsOffline() &&
                    zav::CheckCredentials(1, 0, name, password) == zav::CredentialOutcome::Accepted &&
                    !f.login->IsOffline();
        }
        ready = ready && zav::OfflineOf(*f.login).WaitForRefreshesForTests(30000);
        relay.setMode(lost);
        state.ResumeTiming();
        if (!ready || zav::CheckCredentials(1, 0, name, password) != zav::CredentialOutcome::Accepted ||
            !f.login->IsOffline()) {
            state.SkipWithError(ready ? "the copy did not log in" : "the panel did not get online again");
            break;
        }
    }
    relay.setMode(Relay::Mode::Forward);
    zav::OfflineMode::SetProbeIntervalForTests(0);
    f.use(f.path(zav::bench::Place::Server)); // before the relay goes
}
BENCHMARK(BM_FirstLoginAfterLosingTheServer)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("silent")
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

// A plant of 200 panels through one PgBouncer (ZAV_BENCH_PGBOUNCER_URI, which scripts/bench starts in
// front of its server): each of them logs in 20 times, pausing half a second on average in between.
void BM_PooledLogins(benchmark::State& state) {
    const QString bouncer = qEnvironmentVariable("ZAV_BENCH_PGBOUNCER_URI");
    if (bouncer.isEmpty() || zav::bench::benchServerUri().isEmpty()) {
        state.SkipWithError("ZAV_BENCH_PG_URI or ZAV_BENCH_PGBOUNCER_URI not set");
        return;
    }
    // The server's data set, reached through PgBouncer: the same database name.
    static const QRegularExpression database(QStringLiteral("/[^/?]*\\?"));
    const QString server = fixture().path(zav::bench::Place::Server);
    const QString dbPath = QString(bouncer).replace(database, database.match(server).captured());
    fixture().use(dbPath);
    timeRounds(state, [&](int round) {
        return concurrentLogins(dbPath, round, static_cast<int>(state.range(0)), Text, 20, 500);
    });
}
BENCHMARK(BM_PooledLogins)
    ->Arg(200)
    ->ArgName("panels")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Offscreen; a caller may describe the screen (offscreen:configfile=FILE.json).
    if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen"))) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("ZAV_SYSTEM_LOG_SOCKET", "/nonexistent/system-log"); // audited logins leave no heads behind
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_fixture.reset();
    return 0;
}
