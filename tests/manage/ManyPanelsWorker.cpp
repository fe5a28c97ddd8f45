// One of many panels sharing one credential database: for the given seconds it logs its operator in and
// changes levels and operators of its own through the headless operations while the others do the same,
// pausing before each step up to twice the given milliseconds (logins-and-adds: it only logs in and adds
// operators, in turn), then prints what it left, for the test to check the database against all panels:
//   level <name> <NEnable> <password>, operator <name> <level name>, panel <password of panel<index>>,
//   did <kind> <error number, 0 when it went through> <monotonic clock ms at its end> <us it took> <error>
// for each step, and "bad ..." for a fault that is no error of the component's. A start refused for
// anything but "in use" is not tried again: that panel does nothing more.
//   many_panels_worker <database URI> <index> <seconds> <pause ms> all|logins-and-adds

#include "access/Class_Par.h"
#include "base/MessageBox.h"
#include "component/CredentialCheck.h"
#include "operations/LevelOperations.h"
#include "operations/OperationErrors.h"
#include "operations/OperatorOperations.h"
#include "operations/PasswordOperations.h"
#include "outside/OutsideObjects.h"
#include "support/ComponentSession.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <random>

namespace {

using namespace zav;

struct OwnLevel {
    int nEnable = 0;
    QString password;
};

class Panel {
public:
    Panel(QString uri, int index)
        : m_uri(std::move(uri)), m_me(QStringLiteral("p%1-").arg(index)),
          m_login(QStringLiteral("panel%1").arg(index)), m_random(index) {
        m_levels[home()] = {};
        setMessageBoxHandler([this](const QString& text, int, const QString& title) {
            m_shown.append({text, title});
            return vbOK;
        });
    }
    ~Panel() { setMessageBoxHandler(nullptr); }

    void run(qint64 milliseconds, unsigned pauseMs, bool loginsAndAdds) {
        // Every panel has started before the work begins.
        while (!m_component && m_bad == 0 &&
               attempt("start", [&] { startComponent(); }) == manage::ErrFileInUse) {
            QThread::msleep(5);
        }
        std::printf("ready\n");
        std::fflush(stdout);
        std::string go;
        std::getline(std::cin, go);
        QElapsedTimer clock;
        clock.start();
        for (int n = 0; m_component; ++n) {
            const unsigned pause = m_random() % (2 * pauseMs + 1);
            if (clock.elapsed() + pause >= milliseconds) {
                break;
            }
            QThread::msleep(pause);
            step(loginsAndAdds ? n % 2 * 4 : static_cast<int>(m_random() % 10));
        }
    }

    void report() const {
        for (const auto& [name, level] : m_levels) {
            std::printf("level %s %d %s\n", qPrintable(name), level.nEnable, qPrintable(level.password));
        }
        for (const auto& [name, level] : m_operators) {
            std::printf("operator %s %s\n", qPrintable(name), qPrintable(level));
        }
        std::printf("panel %s\n%s", qPrintable(m_panelPassword), qPrintable(m_steps));
    }

    bool faultless() const { return m_bad == 0; }

private:
    QString home() const { return m_me + "home"; }

    // Notes a step with its outcome, end and duration; returns the component's error number (0 when
    // it went through). Anything else is a fault.
    int attempt(const char* what, const std::function<void()>& action) {
        QElapsedTimer took;
        took.start();
        int number = 0;
        QString error;
        try {
            action();
        } catch (const AutomationError& refused) {
            number = refused.Number();
            error = refused.Description().simplified();
        } catch (const std::exception& fault) {
            std::printf("bad %s: %s\n", what, fault.what());
            return ++m_bad, -1;
        }
        m_steps += QStringLiteral("did %1 %2 %3 %4 %5\n")
                       .arg(what, QString::number(number),
                            QString::number(took.msecsSinceReference() + took.elapsed()),
                            QString::number(took.nsecsElapsed() / 1000), error);
        return number;
    }

    // A panel starting, or starting again, while the others work: a database that lacks nothing is not
    // opened alone. A refused new start (shown in a message box titled with its number) changes nothing.
    void startComponent() {
        m_shown.clear();
        if (m_component) {
            m_component->Fun_InitDatabase();
        } else {
            m_component = ZAV_Login::create();
            m_component->setAutoShutDown(false);
            m_component->setDbPath(m_uri);
            if (!m_shown.isEmpty()) {
                m_component.reset(); // it has no level in force
            }
        }
        if (!m_shown.isEmpty()) {
            throw AutomationError(m_shown.first().second.section(QLatin1Char(' '), -1).toInt(),
                                  m_shown.first().first);
        }
    }

    static void require(bool holds, const QString& otherwise) {
        if (!holds) {
            throw std::runtime_error(otherwise.toStdString());
        }
    }

    int idOf(const QString& level) {
        const auto id = manage::LevelIdByName(m_uri, level);
        require(id.has_value(), QStringLiteral("level %1 was lost").arg(level));
        return *id;
    }

    int step(int action) {
        std::vector<QString> own; // its levels; without the home level for a removal
        for (const auto& entry : m_levels) {
            if (action != 3 || entry.first != home()) {
                own.push_back(entry.first);
            }
        }
        const QString level = own.empty() ? QString() : own[m_random() % own.size()];
        const QString serial = QString::number(++m_serial);
        switch (action) {
        case 0:
            return attempt("login", [&] { login(); });
        case 1:
            return attempt("add-level", [&] {
                manage::AddLevel(m_uri, m_me + u'L' + serial);
                m_levels[m_me + u'L' + serial] = {};
            });
        case 2:
            return attempt("rights", [&] {
                auto rights = Class_LevelEnable::create();
                rights->setAllowManageOperator(m_random() % 4 == 0);
                rights->setAllowDesktop(m_random() % 2 == 0);
                const int customs = static_cast<int>(m_random() % 6);
                for (int n = 1; n <= customs; ++n) {
                    rights->setAllowCustom(n * 7, true);
                }
                require(manage::StoreLevelRights(m_uri, idOf(level), level, *rights), "no level");
                m_levels[level].nEnable = customs;
            });
        case 3:
            return level.isEmpty() ? 0 : attempt("remove-level", [&] {
                manage::RemoveLevel(m_uri, idOf(level), level);
                m_levels.erase(level);
                std::erase_if(m_operators, [&](const auto& entry) { return entry.second == level; });
            });
        case 4:
            return attempt("add-operator", [&] {
                manage::AddOperator(m_uri, idOf(level), m_me + u'O' + serial, level);
                m_operators[m_me + u'O' + serial] = level;
            });
        case 5:
            return m_operators.empty() ? 0 : attempt("move-operator", [&] {
                auto moved =
                    std::next(m_operators.begin(), static_cast<long>(m_random() % m_operators.size()));
                manage::MoveOperator(m_uri, moved->first, idOf(level), level);
                moved->second = level;
            });
        case 6:
            return attempt("panel-password", [&] {
                require(manage::StoreOperatorPassword(m_uri, m_login, u'p' + serial).has_value(),
                        "the login operator was lost");
                m_panelPassword = u'p' + serial;
            });
        case 7:
            return attempt("level-password", [&] {
                require(manage::StoreLevelPassword(m_uri, idOf(level), level, u'l' + serial).has_value(),
                        "no level");
                m_levels[level].password = u'l' + serial;
            });
        case 8:
            return attempt("renumber", [&] { manage::RenumberLevels(m_uri); });
        default:
            return attempt("restart", [&] { startComponent(); });
        }
    }

    // The login operator with its latest password reaches its own level, and nothing else does.
    void login() {
        require(CheckCredentials(LoginModeOperator, 0, m_login, m_panelPassword) ==
                    CredentialOutcome::Accepted,
                "the latest password was refused");
        const QString reached = m_component->CurrentLevel()->DBLevelName();
        require(reached == home(), "logged in to level " + reached);
    }

    QString m_uri;
    QString m_me;    // the prefix of every name of its own
    QString m_login; // its login operator, of its home level
    std::mt19937 m_random;
    std::shared_ptr<ZAV_Login> m_component;
    std::map<QString, OwnLevel> m_levels;
    std::map<QString, QString> m_operators; // name -> level name
    QString m_panelPassword;
    int m_serial = 0;
    QString m_steps; // the "did" lines
    int m_bad = 0;
    QList<std::pair<QString, QString>> m_shown; // text, title of the message boxes shown
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: many_panels_worker <URI> <index> <seconds> <pause ms> all|logins-and-adds\n");
        return 2;
    }
    outside::setRegistryAccess(std::make_shared<test::GrantsDoneRegistry>());
    Panel panel(QString::fromLocal8Bit(argv[1]), std::atoi(argv[2]));
    panel.run(std::atoll(argv[3]) * 1000, static_cast<unsigned>(std::atoi(argv[4])),
              std::string(argv[5]) == "logins-and-adds");
    panel.report();
    return panel.faultless() ? 0 : 1;
}
