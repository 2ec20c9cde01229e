// SPDX-License-Identifier: MIT
#include "http/httprequeststate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "http/httprequestinputs.h"
#include "http/httpresponse.h"
#include "platform/platform.h"
#include "system/filecontent.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSslError>

namespace {

const char kCategory[] = "httpStates";
constexpr qint64 kReadAhead = 64 * 1024;
constexpr qint64 kHugePageThreshold = qint64(4) << 20;

QString tooLarge(qint64 maxSize)
{
    return QStringLiteral("response body larger than maxSize (%1 bytes)").arg(maxSize);
}

} // namespace

CHttpRequestState::CHttpRequestState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
    connect(&m_tickTimer, &QTimer::timeout, this, &CHttpRequestState::timerTick);
}

CHttpRequestState::~CHttpRequestState()
{
    detachRequest();
}

void CHttpRequestState::initialize()
{
    addRequiredProperty(QStringLiteral("host"));
    addRequiredProperty(QStringLiteral("path"));
    addAnnouncedProperty(QStringLiteral("result"));
    addAnnouncedProperty(QStringLiteral("status"));
    addAnnouncedProperty(QStringLiteral("errorCode"));
    addEvents({QStringLiteral("finished"), QStringLiteral("httpError"), QStringLiteral("networkError")});
}

void CHttpRequestState::enter()
{
    detachRequest();
    // Outputs of an earlier entry must not pass for this request's.
    removeProperty("result");
    removeProperty("status");
    removeProperty("errorCode");
    m_status = 0;
    m_body = QByteArray();
    m_ticks = 0;
    m_aborted = false;
    m_abortReason.clear();
    m_progress = 0.0;

    const HttpRequestInputs in = readHttpRequestInputs(*this, expandMacros(Qt3::toString(property("caFile"))));
    m_timeout = in.timeout;
    m_maxSize = in.maxSize;
    m_binary = in.binary;
    m_url = in.request.url().toString();
    if (in.errorCode != 0) {
        leaveWithNetworkError(in.errorCode, in.error);
        return;
    }
    m_reply = send(in);
    // Qt reads ahead of the state only this far: the body is held once, in the state, and
    // Qt's small buffers are reused instead of allocated afresh for every piece.
    m_reply->setReadBufferSize(kReadAhead);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &CHttpRequestState::slotResponseHeaderReceived);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &CHttpRequestState::slotDataTransferProgress);
    connect(m_reply, &QNetworkReply::readyRead, this, &CHttpRequestState::slotReadyRead);
    connect(m_reply, &QNetworkReply::sslErrors, this, &CHttpRequestState::slotSslErrors);
    connect(m_reply, &QNetworkReply::finished, this, &CHttpRequestState::slotFinished);
    m_tickTimer.start(1000);
}

QNetworkReply* CHttpRequestState::send(const HttpRequestInputs& in)
{
    if (!m_manager) {
        m_manager = std::make_unique<QNetworkAccessManager>();
        // The request goes to the host it names, whatever proxy the host application set for Qt.
        m_manager->setProxy(QNetworkProxy::NoProxy);
    }
    // A HEAD answer announces a body it does not send; only Qt's own HEAD knows not to wait.
    if (in.body.isEmpty() && in.method == "GET")
        return m_manager->get(in.request);
    if (in.body.isEmpty() && in.method == "HEAD")
        return m_manager->head(in.request);
    return m_manager->sendCustomRequest(in.request, in.method, in.body);
}

void CHttpRequestState::leave()
{
    detachRequest();
}

void CHttpRequestState::detachRequest()
{
    m_tickTimer.stop();
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
}

void CHttpRequestState::slotResponseHeaderReceived()
{
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return;
    m_status = status.toInt();
    SFSM_TRACE(kCategory, QStringLiteral("HTTP response: ")
                              + QString::fromLatin1(m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray())
                              + QStringLiteral(" (") + QString::number(m_status) + QLatin1Char(')'));
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (!length.isValid())
        return;
    const qint64 announced = length.toLongLong();
    if (announced > m_maxSize)
        abortRequest(tooLarge(m_maxSize));
    else if (announced > m_body.capacity())
        reserveBody(announced);
}

// The body then never moves while it grows, so it needs its size once, not twice.
void CHttpRequestState::reserveBody(qint64 size)
{
    m_body.reserve(size);
    if (size >= kHugePageThreshold)
        Platform::preferHugePages(m_body.data(), size);
}

void CHttpRequestState::slotReadyRead()
{
    if (!takeBody())
        abortRequest(tooLarge(m_maxSize));
}

bool CHttpRequestState::takeBody()
{
    const qint64 available = m_reply->bytesAvailable();
    if (available <= 0)
        return true;
    if (m_body.size() + available > m_maxSize)
        return false;
    const qsizetype old = m_body.size();
    m_body.resize(old + available);
    const qint64 got = m_reply->read(m_body.data() + old, available);
    m_body.resize(old + qMax<qint64>(got, 0));
    return true;
}

void CHttpRequestState::slotDataTransferProgress(qint64 done, qint64 total)
{
    // Qt says -1 where the length is unknown; the trace has always said 0 there.
    total = qMax<qint64>(total, 0);
    SFSM_TRACE(kCategory, QStringLiteral("Progress: ") + QString::number(done) + QLatin1Char('/') + QString::number(total));
    if (total > 0)
        setRequestProgress(int(qMin<qint64>(done * 90 / total + 10, 100)));
}

void CHttpRequestState::timerTick()
{
    ++m_ticks;
    setRequestProgress(int(qMin<qint64>(qint64(m_ticks) * 10 / m_timeout, 10)));
    if (m_ticks < m_timeout)
        return;
    SFSM_TRACE(kCategory, QStringLiteral("timeout, abort request"));
    m_tickTimer.stop();
    abortRequest(QString());
}

void CHttpRequestState::slotSslErrors(const QList<QSslError>& errors)
{
    for (const QSslError& e : errors)
        SFSM_TRACE(kCategory, QStringLiteral("TLS error: ") + e.errorString());
}

// Qt answers the abort with the reply's finished signal, which ends the state.
void CHttpRequestState::abortRequest(const QString& reason)
{
    m_aborted = true;
    m_abortReason = reason;
    if (m_reply)
        m_reply->abort();
}

void CHttpRequestState::slotFinished()
{
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    if (!m_aborted && !takeBody()) {
        m_aborted = true;
        m_abortReason = tooLarge(m_maxSize);
    }
    SFSM_TRACE(kCategory, QStringLiteral("Finished"));
    m_tickTimer.stop();
    disconnect(reply, nullptr, this, nullptr);
    m_reply = nullptr;
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid())
        m_status = status.toInt();
    const int code = m_aborted ? HttpResponse::Aborted : HttpResponse::errorCode(reply->error(), status.isValid());
    if (code != HttpResponse::NoError)
        leaveWithNetworkError(code, m_abortReason.isEmpty() ? reply->errorString() : m_abortReason);
    else
        leaveWithAnswer();
}

void CHttpRequestState::leaveWithNetworkError(int code, const QString& error)
{
    SFSM_TRACE(kCategory, QStringLiteral("  error: ") + error);
    m_body = QByteArray();
    setProperty("errorCode", code);
    setLeaveEvent(QStringLiteral("networkError"));
    leaveState();
}

void CHttpRequestState::leaveWithAnswer()
{
    if (m_binary) {
        auto* content = new CFileContent(m_url);
        content->setData(m_body);
        setObjectProperty("result", content);
    } else {
        setProperty("result", HttpResponse::decodeText(m_body));
    }
    m_body = QByteArray();
    setProperty("status", m_status);
    setProperty("errorCode", int(HttpResponse::NoError));
    const bool success = m_status >= 200 && m_status < 300;
    setLeaveEvent(success ? QStringLiteral("finished") : QStringLiteral("httpError"));
    leaveState();
}

void CHttpRequestState::setRequestProgress(int percent)
{
    if (percent == int(m_progress))
        return;
    m_progress = percent;
    emitProgress(percent);
}
