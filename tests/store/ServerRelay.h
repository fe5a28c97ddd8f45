#pragma once

// A relay on a Unix socket in front of a server's socket, which a test turns silent or cuts, as a
// network or a server that stops answering would: connections through it see exactly what it lets pass.

#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

namespace zav::store::test {

class ServerRelay {
public:
    enum class Mode {
        Forward,                // passes everything both ways
        Silent,                 // takes connections and data and answers nothing
        SwallowAnswersThenCut,  // the server's next answer is dropped, and the connections cut
        SwallowRequestsThenCut, // the client's next request is dropped, and the connections cut
        Refuse,                 // cuts every connection and closes each new one at once: a server gone
    };
    // Relays to the server's socket folder (port 5432). Built into the benchmarks too.
    explicit ServerRelay(const QString& serverFolder);
    ~ServerRelay();
    ServerRelay(const ServerRelay&) = delete;
    ServerRelay& operator=(const ServerRelay&) = delete;

    // `uri` with its host replaced by the relay's folder.
    QString through(const QString& uri) const;
    // After a cut the relay passes everything again.
    void setMode(Mode mode) { m_mode = mode; }

private:
    void run();

    QTemporaryDir m_folder;
    QString m_serverSocket;
    int m_listener = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<Mode> m_mode{Mode::Forward};
    std::thread m_thread;
};

} // namespace zav::store::test
