// SPDX-License-Identifier: MIT
#pragma once
// A loopback HTTP server for the tests: it keeps every request it receives, whole, and answers
// the n-th one with the n-th step of its script (the last step repeats), well-behaved or hostile.
#include <QRegularExpression>
#include <QSslServer>
#include <QTimer>

struct Answer {
    enum Then { Keep, Close, Hold, Drip, EndlessHeaders };
    Answer(const QByteArray& bytes = QByteArray(), Then then = Keep, const QByteArray& rest = QByteArray())
        : bytes(bytes), then(then), rest(rest) {}
    QByteArray bytes; // sent at once
    Then then;
    QByteArray rest; // Drip: sent one byte every 500 ms
};
using Script = QList<Answer>;

class ScriptedServer : public QObject {
public:
    explicit ScriptedServer(const Script& script, const QSslConfiguration* tls = nullptr)
        : script(script), m_server(tls ? new QSslServer(this) : new QTcpServer(this))
    {
        if (tls)
            static_cast<QSslServer*>(m_server)->setSslConfiguration(*tls);
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* s = m_server->nextPendingConnection()) {
                ++connections, ++open;
                connect(s, &QTcpSocket::disconnected, this, [this, s] { --open, s->deleteLater(); });
                connect(s, &QTcpSocket::readyRead, this, [this, s] { receive(s); });
                receive(s);
            }
        });
        m_server->listen(QHostAddress::LocalHost);
    }
    quint16 port() const { return m_server->serverPort(); }

    Script script;
    QList<QByteArray> requests;
    int connections = 0, open = 0;

private:
    void receive(QTcpSocket* s)
    {
        static const QRegularExpression length(QStringLiteral("(?i)\r\ncontent-length: *(\\d+)"));
        QByteArray& pending = m_pending[s];
        pending += s->readAll();
        const qsizetype end = pending.indexOf("\r\n\r\n");
        const QRegularExpressionMatch m = length.match(QString::fromLatin1(pending.left(end)));
        const qsizetype size = end + 4 + (m.hasMatch() ? m.captured(1).toLongLong() : 0);
        if (end < 0 || pending.size() < size)
            return;
        requests.append(pending.left(size));
        pending.remove(0, size);
        const Answer a = script.value(requests.size() - 1, script.value(script.size() - 1));
        s->write(a.bytes);
        if (a.then == Answer::Close)
            s->disconnectFromHost();
        if (a.then != Answer::Drip && a.then != Answer::EndlessHeaders)
            return;
        auto* timer = new QTimer(s);
        connect(timer, &QTimer::timeout, s, [s, a, sent = qsizetype(0)]() mutable {
            s->write(a.then == Answer::Drip ? a.rest.mid(sent++, 1) : "X-Filler: " + QByteArray(1000, 'x') + "\r\n");
        });
        timer->start(a.then == Answer::Drip ? 500 : 1);
    }

    QTcpServer* m_server;
    QHash<QTcpSocket*, QByteArray> m_pending;
};
