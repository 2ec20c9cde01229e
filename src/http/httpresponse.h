// SPDX-License-Identifier: MIT
#pragma once
// How an HTTP exchange ended, in the terms of a definition: the network error code of a
// failed exchange, and the text of a response body.
#include <QNetworkReply>
#include <QString>

namespace HttpResponse {

enum ErrorCode {
    NoError = 0,
    UnknownError = 1,
    HostNotFound = 2,
    ConnectionRefused = 3,
    UnexpectedClose = 4,
    InvalidResponseHeader = 5,
    WrongContentLength = 6,
    Aborted = 7,
};

// The error code of an exchange that Qt ended with this error, or NoError when the server
// answered (an answer with an error status is an answer). headerReceived: the status line
// and header of the answer had arrived.
ErrorCode errorCode(QNetworkReply::NetworkError error, bool headerReceived);

// The body as text: a byte-order mark selects its Unicode encoding, otherwise the body is in
// the local 8-bit encoding.
QString decodeText(const QByteArray& body);

} // namespace HttpResponse
