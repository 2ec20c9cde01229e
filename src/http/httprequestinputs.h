// SPDX-License-Identifier: MIT
#pragma once
// What one HTTP request state sends and how long it waits, read from the state's properties:
// the method, the request with its URL and header fields, the body, and the limits of the
// exchange. Inputs that cannot be sent safely (a line break smuggled into a header field, a
// method that is no single word, an unreadable authority file) are refused here, before any
// byte leaves the machine; the refusal carries the network error code and the reason.
#include <QByteArray>
#include <QNetworkRequest>
#include <QString>

class CPropertyObject;

struct HttpRequestInputs {
    static constexpr int kDefaultTimeout = 30;
    static constexpr qint64 kDefaultMaxSize = qint64(256) << 20;

    QByteArray method;
    QNetworkRequest request;
    QByteArray body;
    int timeout = kDefaultTimeout; // seconds
    qint64 maxSize = kDefaultMaxSize;
    bool binary = false;

    // Non-zero when the request cannot be sent: the network error code and why.
    int errorCode = 0;
    QString error;
};

// Reads the inputs of the state; caFile is its "caFile" property with the macros expanded.
HttpRequestInputs readHttpRequestInputs(const CPropertyObject& state, const QString& caFile);
