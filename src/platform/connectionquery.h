// SPDX-License-Identifier: MIT
#pragma once
// Asks NetworkManager (through nmcli) for the names of the connections it knows. The answer
// arrives later, so the event loop never waits on a slow or hung NetworkManager.
#include <QObject>
#include <QStringList>

class QProcess;
class QTimer;

namespace Platform {

class ConnectionQuery : public QObject {
    Q_OBJECT
public:
    explicit ConnectionQuery(QObject* parent = nullptr);
    ~ConnectionQuery() override;

    // Starts a new query; one still under way is dropped first.
    void start();
    // Drops a query under way; it reports nothing.
    void abort();

    // Seconds after which a query that has not answered is given up.
    static constexpr int kTimeoutSeconds = 15;

    // The connection names of nmcli's terse listing, its escapes of ":" and "\" undone.
    static QStringList parseNames(const QByteArray& terseOutput);

Q_SIGNALS:
    // Exactly once per start that is not aborted. `error` is empty when nmcli answered.
    void finished(const QStringList& names, const QString& error);

private:
    void report(const QStringList& names, const QString& error);

    QProcess* m_process = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace Platform
