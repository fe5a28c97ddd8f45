// One panel guessing an operator's password: once a line arrives on its input (so that several start
// together) it tries the password the given number of times and prints each outcome's number.
//   login_guesser <database> <operator> <password> <tries>
#include "access/Class_Par.h"
#include "base/MessageBox.h"
#include "component/CredentialCheck.h"
#include "outside/OutsideObjects.h"
#include "support/ComponentSession.h"
#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QCoreApplication>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 5) {
        std::cerr << "usage: login_guesser <database> <operator> <password> <tries>\n";
        return 2;
    }
    zav::setMessageBoxHandler([](const QString& text, int, const QString&) {
        std::cout << "message " << text.toStdString() << std::endl;
        return zav::vbOK;
    });
    // The one-time grants count as done: they would rewrite the levels while the others guess.
    zav::outside::setRegistryAccess(std::make_shared<zav::test::GrantsDoneRegistry>());
    const auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    login->setDbPath(arguments[1]);
    std::cout << "ready" << std::endl;
    std::string go;
    std::getline(std::cin, go);
    for (int i = 0; i < arguments[4].toInt(); ++i) {
        try {
            std::cout << static_cast<int>(
                             zav::CheckCredentials(zav::LoginModeOperator, 0, arguments[2], arguments[3]))
                      << std::endl;
        } catch (const std::exception& error) {
            std::cout << "error " << error.what() << std::endl;
        }
    }
    return 0;
}
