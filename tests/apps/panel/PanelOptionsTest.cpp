// The demo panel's command line and its reading of language files.

#include "PanelOptions.h"
#include "PanelComponent.h"
#include "TerminationSignals.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zav::panel;

namespace {

ParsedOptions parse(QStringList args) {
    args.prepend(QStringLiteral("zav-panel"));
    return parsePanelOptions(args);
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had) {
            qputenv(m_name, m_old);
        } else {
            qunsetenv(m_name);
        }
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return file.fileName();
}

} // namespace

TEST(PanelOptions, DefaultsKeepTheMachineRunning) {
    const ScopedEnv data("XDG_DATA_HOME", "/srv/data");
    const ParsedOptions parsed = parse({});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->dbPath, QStringLiteral("/srv/data/zav-panel/login.db"));
    EXPECT_FALSE(parsed.options->autoShutDown);
    EXPECT_FALSE(parsed.options->touch);
    EXPECT_FALSE(parsed.options->fullscreen);
    EXPECT_EQ(parsed.options->enableCount, 6);
    EXPECT_TRUE(parsed.options->language.isEmpty());
}

TEST(PanelOptions, DefaultDatabaseFollowsXdgDataHome) {
    const ScopedEnv home("HOME", "/home/op");
    {
        const ScopedEnv data("XDG_DATA_HOME", "");
        EXPECT_EQ(defaultDatabasePath(), QStringLiteral("/home/op/.local/share/zav-panel/login.db"));
    }
    {
        // A relative XDG_DATA_HOME is to be ignored.
        const ScopedEnv data("XDG_DATA_HOME", "relative/data");
        EXPECT_EQ(defaultDatabasePath(), QStringLiteral("/home/op/.local/share/zav-panel/login.db"));
    }
    const ScopedEnv data("XDG_DATA_HOME", "/var/panel/");
    EXPECT_EQ(defaultDatabasePath(), QStringLiteral("/var/panel/zav-panel/login.db"));
}

TEST(PanelOptions, EveryOptionIsRead) {
    QTemporaryDir dir;
    const QString lang = writeFile(dir, QStringLiteral("x.lang"), "language = X\n");
    const ParsedOptions parsed =
        parse({"--db", "relative.db", "--touch", "--enable-count", "100", "--language", "Deutsch",
               "--language-file", lang, "--fullscreen", "--auto-shutdown"});
    ASSERT_TRUE(parsed.options) << parsed.message.toStdString();
    EXPECT_EQ(parsed.options->dbPath, QDir::current().absoluteFilePath(QStringLiteral("relative.db")));
    EXPECT_TRUE(parsed.options->touch);
    EXPECT_EQ(parsed.options->enableCount, 100);
    EXPECT_EQ(parsed.options->language, QStringLiteral("Deutsch"));
    EXPECT_EQ(parsed.options->languageFile, lang);
    EXPECT_TRUE(parsed.options->fullscreen);
    EXPECT_TRUE(parsed.options->autoShutDown);
}

TEST(PanelOptions, WrongUsageStopsWithStatus2) {
    for (const QStringList& args :
         {QStringList{"--enable-count", "101"}, QStringList{"--enable-count", "-1"},
          QStringList{"--enable-count", "six"}, QStringList{"--db"}, QStringList{"--no-such-option"},
          QStringList{"extra"}, QStringList{"--language-file", "/no/such/file.lang"}}) {
        const ParsedOptions parsed = parse(args);
        EXPECT_FALSE(parsed.options) << args.join(u' ').toStdString();
        EXPECT_EQ(parsed.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(parsed.message.isEmpty());
    }
    const ParsedOptions help = parse({"--help"});
    EXPECT_FALSE(help.options);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.message.contains(QStringLiteral("--auto-shutdown")));
}

TEST(LanguageOfFile, TakesTheFirstNameOfTheFirstLanguageLine) {
    QTemporaryDir dir;
    EXPECT_EQ(languageOfFile(writeFile(dir, "a.lang",
                                       "\xEF\xBB\xBF# comment = no\n1 = Ok\n  LANGUAGE =  , Suomi , fi\n"
                                       "language = Other\n")),
              QStringLiteral("Suomi"));
    EXPECT_EQ(languageOfFile(writeFile(dir, "b.lang", "1 = Ok\nlanguages = Not this\n")), QString());
    EXPECT_EQ(languageOfFile(dir.filePath("missing.lang")), QString());
}

// Signals that nobody reads yet fill the socket; the handler must then drop them rather than block the
// program inside itself. Run in a child process, which would hang.
TEST(TerminationSignals, AFullSocketNeverBlocksTheHandler) {
    const pid_t child = ::fork();
    if (child == 0) {
        const zav::panel::TerminationSignals handlers;
        ::alarm(10);
        for (int i = 0; i < 20000; ++i) {
            std::raise(SIGTERM);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}
