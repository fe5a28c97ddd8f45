#include "ServerRelay.h"

#include <QRegularExpression>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace zav::store::test {

namespace {

sockaddr_un addressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), sizeof address.sun_path - 1),
                address.sun_path);
    return address;
}

int connectTo(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(path);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct Pair {
    int client = -1;
    int server = -1; // -1 for a connection taken while silent
};

} // namespace

ServerRelay::ServerRelay(const QString& serverFolder)
    : m_serverSocket(serverFolder + QStringLiteral("/.s.PGSQL.5432")) {
    m_listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(m_folder.filePath(QStringLiteral(".s.PGSQL.5432")));
    ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::listen(m_listener, 64);
    if (::pipe(m_wake) != 0) {
        m_wake[0] = m_wake[1] = -1;
    }
    m_thread = std::thread([this] { run(); });
}

ServerRelay::~ServerRelay() {
    const char stop = 'x';
    [[maybe_unused]] const auto written = ::write(m_wake[1], &stop, 1);
    m_thread.join();
    for (const int fd : {m_listener, m_wake[0], m_wake[1]}) {
        ::close(fd);
    }
}

QString ServerRelay::through(const QString& uri) const {
    QString relayed = uri;
    return relayed.replace(QRegularExpression(QStringLiteral("host=[^&]*")),
                           QStringLiteral("host=") + m_folder.path());
}

void ServerRelay::run() {
    using Clock = std::chrono::steady_clock;
    std::vector<Pair> pairs;
    Clock::time_point cutAt = Clock::time_point::max(); // none planned
    const auto closeAll = [&] {
        for (const Pair& pair : pairs) {
            ::close(pair.client);
            if (pair.server >= 0) {
                ::close(pair.server);
            }
        }
        pairs.clear();
    };
    for (;;) {
        const Mode mode = m_mode;
        std::vector<pollfd> watched{{m_wake[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
        if (mode != Mode::Silent) {
            for (const Pair& pair : pairs) {
                watched.push_back({pair.client, POLLIN, 0});
                watched.push_back({pair.server, POLLIN, 0});
            }
        }
        ::poll(watched.data(), watched.size(), 20);
        if (watched[0].revents) {
            closeAll();
            return;
        }
        if (Clock::now() >= cutAt) {
            closeAll();
            cutAt = Clock::time_point::max();
            m_mode = Mode::Forward;
            continue;
        }
        if (watched[1].revents & POLLIN) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client >= 0) {
                const int server = m_mode == Mode::Silent ? -1 : connectTo(m_serverSocket);
                pairs.push_back({client, server});
            }
        }
        for (std::size_t k = 2; k < watched.size(); ++k) {
            if (!(watched[k].revents & (POLLIN | POLLHUP))) {
                continue;
            }
            Pair& pair = pairs[(k - 2) / 2];
            const Mode now = m_mode; // as the test set it while the relay waited
            if (pair.client < 0 || now == Mode::Silent) {
                continue;
            }
            const bool fromClient = watched[k].fd == pair.client;
            char buffer[8192];
            const ssize_t got = ::read(watched[k].fd, buffer, sizeof buffer);
            if (got <= 0) { // one side closed: so does the other
                ::close(pair.client);
                ::close(pair.server);
                pair = {};
                continue;
            }
            const bool swallow = (fromClient && now == Mode::SwallowRequestsThenCut) ||
                                 (!fromClient && now == Mode::SwallowAnswersThenCut);
            if (swallow) {
                cutAt = Clock::now() + std::chrono::milliseconds(200);
                continue;
            }
            [[maybe_unused]] const auto sent =
                ::send(fromClient ? pair.server : pair.client, buffer, size_t(got), MSG_NOSIGNAL);
        }
        std::erase_if(pairs, [](const Pair& pair) { return pair.client < 0; });
    }
}

} // namespace zav::store::test
