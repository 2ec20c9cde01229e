// SPDX-License-Identifier: MIT
#pragma once
// "httpRequest" and "httpGetRequest": one HTTP/1.1 request (or HTTPS with "secure"), sent
// asynchronously on the event-loop thread through Qt's network access. The state leaves with
// "finished" for a 2xx answer, "httpError" for any other answer, and "networkError" when no
// complete answer arrived (refused, closed, malformed, too large, or the time-out passed).
// Leaving the state from outside, or deleting it, abandons the request: its reply is
// disconnected and aborted, so it reaches nobody. The state owns its network access manager,
// kept across entries so that a state entered again reuses the open connection.
#include "engine/state.h"
#include "system/standardpaths.h"

#include <QByteArray>
#include <QTimer>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QSslError;
struct HttpRequestInputs;

class CHttpRequestState : public CState, public IStandardPaths {
    Q_OBJECT
public:
    CHttpRequestState(QObject* parent, const char* name, const QDomNode& element);
    ~CHttpRequestState() override;

    void initialize() override;
    void enter() override;
    void leave() override;

public Q_SLOTS:
    void slotResponseHeaderReceived();
    void slotDataTransferProgress(qint64 done, qint64 total);
    void slotFinished();
    void timerTick();

private:
    QNetworkReply* send(const HttpRequestInputs& in);
    void slotReadyRead();
    void slotSslErrors(const QList<QSslError>& errors);
    // Moves what the reply holds into the body; false (and the request aborted) past maxSize.
    bool takeBody();
    void reserveBody(qint64 size);
    void abortRequest(const QString& reason);
    void detachRequest();
    void leaveWithNetworkError(int code, const QString& error);
    void leaveWithAnswer();
    void setRequestProgress(int percent);

    std::unique_ptr<QNetworkAccessManager> m_manager;
    QNetworkReply* m_reply = nullptr;
    QByteArray m_body;
    QTimer m_tickTimer;
    int m_status = 0;
    int m_timeout = 0;
    int m_ticks = 0;
    qint64 m_maxSize = 0;
    bool m_binary = false;
    bool m_aborted = false;
    QString m_abortReason;
    QString m_url;
};
