#include "ServerRelay.h"

#include <QRegularExpression>
#include <algorithm>
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
    int client;
    int server; // -1 for a connection taken while silent
};

} // namespace

ServerRelay::ServerRelay(const QString& serverFolder)
    : m_serverSocket(serverFolder + QStringLiteral("/.s.PGSQL.5432")) {
    m_listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(m_folder.filePath(QStringLiteral(".s.PGSQL.5432")));
    ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::listen(m_listener, 64);
    m_thread = std::thread([this] { run(); });
}

ServerRelay::~ServerRelay() {
    m_stop = true;
    m_thread.join();
    ::close(m_listener);
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
    const auto close = [](Pair& pair) {
        ::close(pair.client);
        ::close(pair.server);
        pair.client = -1;
    };
    while (!m_stop) {
        std::vector<pollfd> watched{{m_listener, POLLIN, 0}};
        for (const Pair& pair : m_mode == Mode::Silent ? std::vector<Pair>() : pairs) { // nothing read
            watched.push_back({pair.client, POLLIN, 0});
            watched.push_back({pair.server, POLLIN, 0});
        }
        ::poll(watched.data(), watched.size(), 20);
        const Mode now = m_mode; // as the test set it while the relay waited
        if (now == Mode::Refuse || Clock::now() >= cutAt) {
            std::for_each(pairs.begin(), pairs.end(), close);
            if (now != Mode::Refuse) {
                cutAt = Clock::time_point::max();
                m_mode = Mode::Forward;
            }
        }
        for (std::size_t k = 1; k < watched.size() && now != Mode::Silent; ++k) {
            Pair& pair = pairs[(k - 1) / 2];
            if (pair.client < 0 || !(watched[k].revents & (POLLIN | POLLHUP))) {
                continue;
            }
            const bool fromClient = watched[k].fd == pair.client;
            char buffer[8192];
            const ssize_t got = ::read(watched[k].fd, buffer, sizeof buffer);
            if (got <= 0) { // one side closed: so does the other
                close(pair);
            } else if ((fromClient && now == Mode::SwallowRequestsThenCut) ||
                       (!fromClient && now == Mode::SwallowAnswersThenCut)) {
                cutAt = Clock::now() + std::chrono::milliseconds(200);
            } else {
                ::send(fromClient ? pair.server : pair.client, buffer, size_t(got), MSG_NOSIGNAL);
            }
        }
        std::erase_if(pairs, [](const Pair& pair) { return pair.client < 0; });
        if (watched[0].revents & POLLIN) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client >= 0 && now == Mode::Refuse) {
                ::close(client);
            } else if (client >= 0) {
                pairs.push_back({client, now == Mode::Silent ? -1 : connectTo(m_serverSocket)});
            }
        }
    }
    std::for_each(pairs.begin(), pairs.end(), close);
}

} // namespace zav::store::test
