// A host built against the installed package: it creates the component, initialises a database and
// checks a few answers, including an automation error thrown across the library boundary.
#include <ZAV_PrjLogin/AutomationError.h>
#include <ZAV_PrjLogin/Class_LevelEnable.h>
#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        return 2;
    }
    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    login->setDbPath(QString::fromLocal8Bit(argv[1]));
    if (!login->CurrentLevel() || login->CurrentLevel()->ID() != 1 || !login->HaveLevels()) {
        std::fprintf(stderr, "the database was not initialised\n");
        return 1;
    }
    auto rights = Class_LevelEnable::create();
    try {
        rights->setAllowCustom(101, true);
        std::fprintf(stderr, "no error for index 101\n");
        return 1;
    } catch (const AutomationError& e) {
        if (e.Number() != 9) {
            return 1;
        }
    }
    login->Terminate();
    std::puts("tiny host: ok");
    return 0;
}
