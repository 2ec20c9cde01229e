// SPDX-License-Identifier: MIT
#pragma once
// A loopback HTTP server for the tests: it keeps every request it receives, whole, and answers
// the n-th one with the n-th step of its script, well-behaved or hostile.
#include <QList>
#include <QRegularExpression>
#include <QSslServer>
#include <QSslSocket>
#include <QTimer>

struct Answer {
    enum Then { Keep, Close, Hold, Drip, EndlessHeaders };
    Answer(const QByteArray& bytes = QByteArray(), Then then = Keep, const QByteArray& rest = QByteArray())
        : bytes(bytes), then(then), rest(rest)
    {
    }
    QByteArray bytes; // sent at once
    Then then;
    QByteArray rest; // Drip: sent one byte every 500 ms
};

class ScriptedServer : public QObject {
public:
    explicit ScriptedServer(QList<Answer> script, const QSslConfiguration* tls = nullptr)
        : m_script(std::move(script))
        , m_server(tls ? new QSslServer(this) : new QTcpServer(this))
    {
        if (tls)
            static_cast<QSslServer*>(m_server)->setSslConfiguration(*tls);
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &ScriptedServer::accept);
        m_server->listen(QHostAddress::LocalHost);
    }

    quint16 port() const { return m_server->serverPort(); }
    const QList<QByteArray>& requests() const { return m_requests; }
    int connections() const { return m_connections; }
    int openConnections() const { return m_open; }

private:
    void accept()
    {
        while (QTcpSocket* s = m_server->nextPendingConnection()) {
            ++m_connections;
            ++m_open;
            connect(s, &QTcpSocket::disconnected, this, [this, s] { --m_open; s->deleteLater(); });
            connect(s, &QTcpSocket::readyRead, this, [this, s] { receive(s); });
            receive(s);
        }
    }

    void receive(QTcpSocket* s)
    {
        QByteArray& pending = m_pending[s];
        pending += s->readAll();
        const qsizetype end = pending.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        static const QRegularExpression lengthField(QStringLiteral("(?i)\r\ncontent-length: *(\\d+)"));
        const QRegularExpressionMatch m = lengthField.match(QString::fromLatin1(pending.left(end)));
        const qsizetype size = end + 4 + (m.hasMatch() ? m.captured(1).toLongLong() : 0);
        if (pending.size() < size)
            return;
        m_requests.append(pending.left(size));
        pending.remove(0, size);
        answer(s, m_script.value(m_requests.size() - 1, m_script.value(m_script.size() - 1)));
    }

    void answer(QTcpSocket* s, const Answer& a)
    {
        s->write(a.bytes);
        if (a.then == Answer::Close)
            s->disconnectFromHost();
        if (a.then != Answer::Drip && a.then != Answer::EndlessHeaders)
            return;
        auto* timer = new QTimer(s);
        connect(timer, &QTimer::timeout, s, [s, a, sent = qsizetype(0)]() mutable {
            if (a.then == Answer::EndlessHeaders)
                s->write("X-Filler: " + QByteArray(1000, 'x') + "\r\n");
            else if (sent < a.rest.size())
                s->write(a.rest.mid(sent++, 1));
        });
        timer->start(a.then == Answer::Drip ? 500 : 1);
    }

    QList<Answer> m_script;
    QTcpServer* m_server;
    QList<QByteArray> m_requests;
    QHash<QTcpSocket*, QByteArray> m_pending;
    int m_connections = 0;
    int m_open = 0;
};
