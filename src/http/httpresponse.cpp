// SPDX-License-Identifier: MIT
#include "http/httpresponse.h"

#include <QStringDecoder>

namespace HttpResponse {

ErrorCode errorCode(QNetworkReply::NetworkError error, bool headerReceived)
{
    switch (error) {
    case QNetworkReply::NoError:
        return NoError;
    case QNetworkReply::HostNotFoundError:
        return HostNotFound;
    case QNetworkReply::ConnectionRefusedError:
        return ConnectionRefused;
    // Qt drops a connection whose answer it cannot parse and reports it closed, so a close
    // before the header also covers a malformed status line; after the header, the body fell
    // short of what the header announced.
    case QNetworkReply::RemoteHostClosedError:
        return headerReceived ? WrongContentLength : UnexpectedClose;
    case QNetworkReply::ProtocolFailure:
        return headerReceived ? WrongContentLength : InvalidResponseHeader;
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return Aborted;
    default:
        break;
    }
    // Qt reports an error status (404, 500 ...) as an error of its own; for a definition it is
    // the server's answer, with its status and body.
    const bool statusError = (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
                             || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
    return headerReceived && statusError ? NoError : UnknownError;
}

QString decodeText(const QByteArray& body)
{
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(body);
    if (!marked)
        return QString::fromLocal8Bit(body);
    QStringDecoder decoder(*marked);
    return decoder.decode(body);
}

} // namespace HttpResponse
