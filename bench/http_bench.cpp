// SPDX-License-Identifier: MIT
// The HTTP request state against curl (and Python's urllib) on the same loopback server in the
// same run: one big download into a binary result, the memory it adds, and small requests in
// a loop.
#include "bench.h"
#include "engine/state.h"
#include "engine/transition.h"
#include "plugin/plugin.h"

#include <QEventLoop>
#include <QProcess>
#include <QUrl>
#include <arpa/inet.h>
#include <atomic>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 kBigBody = qint64(64) << 20;

// A keep-alive HTTP server on its own threads, so that its work and its memory stay out of
// the event loop being measured: "/big" answers 64 MiB from one reused block, anything else
// two bytes.
class LoopbackServer {
public:
    LoopbackServer()
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(m_listener, 64) != 0
            || getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
    }
    ~LoopbackServer()
    {
        m_stopping = true;
        shutdown(m_listener, SHUT_RDWR);
        if (m_acceptor.joinable())
            m_acceptor.join();
        for (int fd : m_connections)
            shutdown(fd, SHUT_RDWR);
        for (std::thread& t : m_threads)
            t.join();
        close(m_listener);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    QString url(const char* path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QLatin1String(path)); }
    quint16 port() const { return m_port; }

private:
    void acceptLoop()
    {
        while (!m_stopping) {
            const int fd = accept(m_listener, nullptr, nullptr);
            if (fd < 0)
                return;
            m_connections.push_back(fd);
            m_threads.emplace_back([this, fd] { serve(fd); });
        }
    }

    void serve(int fd)
    {
        static const std::string block(1 << 20, 'x');
        std::string pending;
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
            pending.append(buffer, size_t(n));
            for (size_t end; (end = pending.find("\r\n\r\n")) != std::string::npos; pending.erase(0, end + 4)) {
                const bool big = pending.compare(0, 9, "GET /big ") == 0;
                const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(big ? kBigBody : 2) + "\r\n\r\n";
                if (!sendAll(fd, head + (big ? "" : "ok")))
                    break;
                for (qint64 sent = 0; big && sent < kBigBody; sent += qint64(block.size()))
                    if (!sendAll(fd, block))
                        break;
            }
        }
        close(fd);
    }

    static bool sendAll(int fd, const std::string& bytes)
    {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += size_t(n);
        }
        return true;
    }

    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stopping {false};
    std::thread m_acceptor;
    // Written by the accepting thread only, read after it has ended.
    std::vector<int> m_connections;
    std::vector<std::thread> m_threads;
};

std::unique_ptr<CState> makeRequest(CStateFactory* factory, const LoopbackServer& server, const char* path)
{
    std::unique_ptr<CState> state(factory->createState(QStringLiteral("httpRequest"), QDomNode(), nullptr, QStringLiteral("bench")));
    state->setProperty("host", QStringLiteral("127.0.0.1"));
    state->setProperty("port", server.port());
    state->setProperty("path", QString::fromLatin1(path));
    state->setProperty("binary", true);
    return state;
}

// Enters the state `count` times, each time once it has finished; seconds, or -1 on a failure.
double runRequests(CState* state, int count)
{
    QEventLoop loop;
    int left = count;
    bool failed = false;
    QObject::connect(state, &CState::finished, &loop, [&] {
        failed = failed || state->leaveEvent() != QLatin1String("finished");
        if (--left == 0 || failed)
            loop.quit();
        else
            QMetaObject::invokeMethod(state, [state] { state->enter(); }, Qt::QueuedConnection);
    });
    const double start = Bench::now();
    state->enter();
    loop.exec();
    return failed ? -1.0 : Bench::now() - start;
}

double runCurl(const QString& url, int count)
{
    const double start = Bench::now();
    for (int i = 0; i < count; ++i)
        if (QProcess::execute(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"), url}) != 0)
            return -1.0;
    return Bench::now() - start;
}

// Python times its own loop, so that starting the interpreter does not count.
double runUrllib(const QString& url, int count)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral(
        "import sys, time, urllib.request\n"
        "start = time.monotonic()\n"
        "for _ in range(%1): urllib.request.urlopen(sys.argv[1]).read()\n"
        "print(time.monotonic() - start)\n").arg(count), url});
    if (!python.waitForFinished(600000) || python.exitCode() != 0)
        return -1.0;
    return python.readAllStandardOutput().trimmed().toDouble();
}

const Bench::Register downloadRatio("http.download_ratio", [] {
    LoopbackServer server;
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    std::unique_ptr<CState> state = makeRequest(factory.get(), server, "/big");
    double ours = 1e9, curl = 1e9;
    for (int round = 0; round < 5; ++round) {
        const double o = runRequests(state.get(), 1), c = runCurl(server.url("/big"), 1);
        if (o < 0 || c < 0) {
            Bench::report(QStringLiteral("http.download_ratio.failed"), 1, QStringLiteral("x"));
            return;
        }
        ours = qMin(ours, o);
        curl = qMin(curl, c);
    }
    Bench::report(QStringLiteral("http.download_s"), ours, QStringLiteral("s"));
    Bench::report(QStringLiteral("http.curl_download_s"), curl, QStringLiteral("s"));
    Bench::report(QStringLiteral("http.download_ratio"), ours / curl, QStringLiteral("x"));
});

const Bench::Register peakRss("http.peak_rss_mib", [] {
    LoopbackServer server;
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    std::unique_ptr<CState> state = makeRequest(factory.get(), server, "/big");
    // The peak is restarted just before, so that earlier figures do not count.
    if (!Bench::restartPeakRss())
        return;
    const long before = Bench::statusKib("VmRSS:");
    if (runRequests(state.get(), 1) < 0)
        return;
    Bench::report(QStringLiteral("http.peak_rss_mib"), double(Bench::statusKib("VmHWM:") - before) / 1024.0, QStringLiteral("MiB"));
    Bench::report(QStringLiteral("http.peak_rss_mib.body"), double(kBigBody >> 20), QStringLiteral("MiB"));
});

const Bench::Register requestsPerSecond("http.requests_per_s", [] {
    LoopbackServer server;
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    std::unique_ptr<CState> state = makeRequest(factory.get(), server, "/small");
    const int count = 2000, processes = 200;
    const double ours = runRequests(state.get(), count);
    if (ours > 0)
        Bench::report(QStringLiteral("http.requests_per_s"), count / ours, QStringLiteral("1/s"));
    const double curl = runCurl(server.url("/small"), processes);
    if (curl > 0)
        Bench::report(QStringLiteral("http.requests_per_s.curl"), processes / curl, QStringLiteral("1/s"));
    const double urllib = runUrllib(server.url("/small"), count);
    if (urllib > 0)
        Bench::report(QStringLiteral("http.requests_per_s.urllib"), count / urllib, QStringLiteral("1/s"));
});

} // namespace
