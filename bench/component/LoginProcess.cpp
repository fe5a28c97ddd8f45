// One panel of many logging in at once: assigns DbPath (so the database is complete and, on a server,
// connected, as in a panel that has been running), says "ready", waits for a line on its input and
// then times one credential check by operator, which it prints as "login_us N". Given a number of logins
// and a pause, it makes that many, each after a pause of up to twice the milliseconds given.
//
//   bench_login_process DBPATH OPERATOR PASSWORD [LOGINS PAUSE_MS]
//
// Exit status 0 when the right password was accepted, 1 when the database could not be used, 2 when the
// check refused the login.

#include "BenchEnvironment.h"

#include "component/CredentialCheck.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QApplication>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <random>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4 && argc != 6) {
        std::fprintf(stderr, "usage: %s DBPATH OPERATOR PASSWORD [LOGINS PAUSE_MS]\n", argv[0]);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zav::bench::sealEnvironment();
    const QStringList arguments = QCoreApplication::arguments();
    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    login->setDbPath(arguments.at(1));
    login->Logout();
    if (zav::bench::messagesShown() != 0) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    std::string go;
    std::getline(std::cin, go);

    const int logins = argc == 6 ? arguments.at(4).toInt() : 1;
    const int pauseMs = argc == 6 ? arguments.at(5).toInt() : 0;
    std::mt19937 random(static_cast<unsigned>(QCoreApplication::applicationPid()));
    for (int n = 0; n < logins; ++n) {
        if (pauseMs > 0) {
            QThread::msleep(random() % (2 * static_cast<unsigned>(pauseMs)));
        }
        const auto start = std::chrono::steady_clock::now();
        zav::CredentialOutcome outcome = zav::CredentialOutcome::WrongPassword;
        try {
            outcome = zav::CheckCredentials(1, 0, arguments.at(2), arguments.at(3));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s\n", error.what());
        }
        const auto took = std::chrono::steady_clock::now() - start;
        if (outcome != zav::CredentialOutcome::Accepted) {
            return 2;
        }
        std::printf(
            "login_us %lld\n",
            static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
    }
    return 0;
}
