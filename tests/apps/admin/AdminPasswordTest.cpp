// passwd: from standard input, and typed on a terminal without echo.

#include "AdminTool.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

using zav::test::AdminTest;

namespace {

class AdminPasswords : public AdminTest {
protected:
    void SetUp() override {
        ok({"init"});
        ok({"add-level", "Shift"}); // level 2, now in force when nobody is logged in
        ok({"add-operator", "anna", "--level", "1"});
    }

    // The stored passwords, as the export shows them.
    QString operatorPassword(const QString& name) const { return password("operators", name, "name"); }
    QString levelPassword(int id) const { return password("levels", QString::number(id), "id"); }

    QString password(const char* table, const QString& key, const char* keyMember) const {
        for (const QJsonValue row : exported()[table].toArray()) {
            if (row[keyMember].toVariant().toString() == key) {
                return row["password"].toString();
            }
        }
        ADD_FAILURE() << "no row " << key.toStdString();
        return {};
    }
};

TEST_F(AdminPasswords, ReadAsOneLineOfStandardInputAndFailuresLeaveTheDatabaseUnchanged) {
    expectFailure({"passwd", "operator", "anna", "--stdin"}, 5, "holds no password", "");
    expectFailure({"passwd", "operator", "nobody", "--stdin"}, 3021, "no operator is named", "x\n");
    expectFailure({"passwd", "level", "9", "--stdin"}, 3021, "no level has ID 9", "x\n");
    // The level in force when nobody is logged in has no password; removing one is accepted.
    expectFailure({"passwd", "level", "2", "--stdin"}, 5, "cannot have a password", "x\n");
    ok({"passwd", "level", "2", "--stdin"}, "\n");

    ok({"passwd", "operator", "ANNA", "--stdin"}, "s3 cret'\nsecond line\n");
    EXPECT_EQ(operatorPassword("anna"), "s3 cret'");
    EXPECT_TRUE(operators().at(0)["hasPassword"].toBool());
    EXPECT_FALSE(ok({"operators"}).contains("s3 cret"));
    EXPECT_FALSE(ok({"operators", "--json"}).contains("s3 cret"));

    ok({"passwd", "level", "1", "--stdin"}, "Top\r\n");
    EXPECT_EQ(levelPassword(1), "Top");
    ok({"passwd", "level", "1", "--stdin"}, "no line end");
    EXPECT_EQ(levelPassword(1), "no line end");
    // An empty line removes the password.
    ok({"passwd", "level", "1", "--stdin"}, "\n");
    EXPECT_EQ(levelPassword(1), "");
    EXPECT_FALSE(level("|1")["hasPassword"].toBool(true));
}

// Runs zav-admin on a pseudo terminal, answering each prompt with the next of `answers`; returns the
// exit status (-1 when a signal ended it) and everything the terminal showed. With `signalNumber`, the
// program gets that signal at its first prompt (having started with it ignored when `ignored`), and
// `echoAtEnd` tells whether the terminal echoes once the program has gone.
std::pair<int, QString> runOnTerminal(const QString& folder, const QStringList& args,
                                      const QStringList& answers, int signalNumber = 0, bool ignored = false,
                                      bool* echoAtEnd = nullptr) {
    // Everything the child needs is ready before the fork: it only executes the program.
    qputenv("ZAV_REGISTRY_FILE", (folder + "/registry.ini").toLocal8Bit());
    QByteArray program = qgetenv("ZAV_ADMIN");
    std::vector<QByteArray> words{program};
    for (const QString& arg : args) {
        words.push_back(arg.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    if (child == 0) {
        if (ignored) {
            std::signal(signalNumber, SIG_IGN);
        }
        ::execv(program.constData(), argv.data());
        ::_exit(127);
    }
    EXPECT_GT(child, 0);
    QByteArray shown;
    qsizetype answered = 0;
    for (;;) {
        pollfd fd{master, POLLIN, 0};
        if (::poll(&fd, 1, 20000) <= 0) {
            ADD_FAILURE() << "the terminal stayed silent: " << shown.toStdString();
            break;
        }
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) {
            break; // the program has ended
        }
        shown.append(buffer, n);
        if (signalNumber != 0 && shown.contains(": ")) {
            ::kill(child, std::exchange(signalNumber, 0));
        }
        // Each prompt ends with ": "; answer it once echo is already off.
        if (answered < answers.size() && shown.count(": ") > answered) {
            const QByteArray line = answers[answered++].toUtf8() + "\n";
            EXPECT_EQ(::write(master, line.constData(), static_cast<size_t>(line.size())), line.size());
        }
    }
    termios terminal{};
    if (echoAtEnd) {
        *echoAtEnd = ::tcgetattr(master, &terminal) == 0 && (terminal.c_lflag & ECHO) != 0;
    }
    ::close(master);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, QString::fromUtf8(shown)};
}

TEST_F(AdminPasswords, TypedTwiceOnTheTerminalWithoutEchoWhateverSignalComes) {
    const QStringList args{"--db", db, "passwd", "operator", "anna"};
    auto [status, shown] = runOnTerminal(folder.path(), args, {"t0p secret", "t0p secret"});
    EXPECT_TRUE(status == 0 && shown.contains("New password: ") &&
                shown.contains("Repeat the new password: ") && !shown.contains("t0p"))
        << shown.toStdString();
    EXPECT_EQ(operatorPassword("anna"), "t0p secret");

    std::tie(status, shown) = runOnTerminal(folder.path(), args, {"one", "two"});
    EXPECT_TRUE(status == 1 && shown.contains("the two passwords differ")) << shown.toStdString();
    EXPECT_EQ(operatorPassword("anna"), "t0p secret");

    // A signal ignored at the start (a background job's SIGINT) is still ignored at the prompt.
    std::tie(status, shown) = runOnTerminal(folder.path(), args, {"x1", "x1"}, SIGINT, true);
    EXPECT_EQ(status, 0) << shown.toStdString();
    EXPECT_EQ(operatorPassword("anna"), "x1");
    // Ended at the prompt by a closed terminal or a kill: the terminal echoes again.
    for (const int signalNumber : {SIGHUP, SIGTERM}) {
        bool echo = false;
        std::tie(status, shown) = runOnTerminal(folder.path(), args, {}, signalNumber, false, &echo);
        EXPECT_TRUE(status == -1 && echo) << signalNumber << shown.toStdString();
    }
    EXPECT_EQ(operatorPassword("anna"), "x1");
}

} // namespace
