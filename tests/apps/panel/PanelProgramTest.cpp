// The zav-panel program as a user starts it: without a display, with wrong options, and ended by a
// signal from the terminal, which must show the desktop again and shut down only when asked to.

#include "../../store/StoreTestSupport.h"
#include "support/ComponentFixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using zav::test::ComponentEnvironment;

class PanelProgramTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString db() const { return dir.filePath("login.db"); }
    QString record() const { return dir.filePath("shell.txt"); }

    QProcessEnvironment environment() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("ZAV_SHELL_SERVICES", "record");
        e.insert("ZAV_SHELL_RECORD", record());
        e.insert("ZAV_REGISTRY_FILE", dir.filePath("registry.conf"));
        return e;
    }

    QStringList recorded() const {
        QFile file(record());
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    // Runs the panel and returns its exit code, filling `err`. With `signalNumber` the panel gets that
    // signal once the component has logged out (the first desktop call); otherwise it ends by itself.
    int run(const QStringList& args, const QProcessEnvironment& env, QString* err = nullptr,
            int signalNumber = 0) {
        QFile::remove(record());
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(qEnvironmentVariable("ZAV_PANEL"), args);
        if (signalNumber != 0 && p.waitForStarted() && p.processId() > 0 &&
            QTest::qWaitFor([this] { return !recorded().isEmpty(); }, 60000)) {
            ::kill(static_cast<pid_t>(p.processId()), signalNumber);
        }
        if (!p.waitForFinished(60000)) {
            return -1; // the destructor kills it
        }
        if (err) {
            *err = QString::fromLocal8Bit(p.readAllStandardError());
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

private Q_SLOTS:
    void withoutADisplayOrWithWrongOptionsItStopsBeforeAnythingIsCreated() {
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", QString());
        env.insert("DISPLAY", QString());
        env.insert("WAYLAND_DISPLAY", QString());
        QString err;
        QCOMPARE(run({"--db", db()}, env, &err), 2);
        QVERIFY2(err.contains("xvfb-run") && err.contains("ssh -X"), qPrintable(err));
        QCOMPARE(run({"--db", db(), "--enable-count", "x"}, environment(), &err), 2);
        QVERIFY(err.contains("--enable-count"));
        QCOMPARE(run({"--db", db(), "--language", "Klingon"}, environment(), &err), 1);
        QVERIFY2(err.contains("Languages on offer: English, Deutsch, Italiano"), qPrintable(err));
        QVERIFY(!QFile::exists(db()));
    }

    void onlyAutoShutdownShutsDown() {
        // Guest (ID 2), the logout level, has no desktop: the automatic shutdown asks no question.
        ComponentEnvironment setup;
        setup.createComponent().reset();
        setup.addLevel(2, "Guest", QVariant());
        const QStringList args = {"--db", setup.dbPath()};

        QCOMPARE(run(args, environment(), nullptr, SIGTERM), 0);
        QCOMPARE(recorded(), (QStringList{"HideShell", "ShowShell"}));

        QCOMPARE(run(args + QStringList{"--auto-shutdown"}, environment(), nullptr, SIGHUP), 0);
        QCOMPARE(recorded(),
                 (QStringList{"HideShell", "ShowShell", "EnableShutdownPrivilege", "ExitWindows 1"}));
    }

    // A server address is passed on as given, not taken for a file name in the working folder.
    void runsOnAServerDatabase() {
        zav::store::test::Places places{zav::store::test::Place::Server};
        const QString uri = places.fresh();
        QCOMPARE(run({"--db", uri}, environment(), nullptr, SIGTERM), 0);
        QCOMPARE(recorded(), (QStringList{"ShowShell", "ShowShell"})); // level 1 may use the desktop
        QVERIFY(!QFileInfo::exists(dir.filePath("postgresql:")));      // no folder made in the working folder
        auto db = zav::store::test::openShared(uri, true);
        QCOMPARE(zav::store::test::column(*db, "Select ID from Levels order by ID", "ID"),
                 (QStringList{"0", "1"}));
        db->Close();
    }
};

QTEST_MAIN(PanelProgramTest)
#include "PanelProgramTest.moc"
