// SPDX-License-Identifier: MIT
#include "http/httprequestinputs.h"
#include "engine/object.h"
#include "engine/variantconv.h"
#include "platform/platform.h"
#include "system/filecontent.h"

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QUrl>

namespace {

constexpr int kUnknownError = 1;
constexpr int kHostNotFound = 2;

// A method or a header name must be one token of the HTTP grammar: anything else (a blank, a
// line break) would let a definition write a second header or a second request.
bool isToken(const QByteArray& text)
{
    static const QByteArray punctuation("!#$%&'*+-.^_`|~");
    if (text.isEmpty())
        return false;
    for (char c : text) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alnum && !punctuation.contains(c))
            return false;
    }
    return true;
}

// Refused names go into a trace line; a line break in them would forge further lines.
QString printable(const QByteArray& text)
{
    return QString::fromLatin1(text.toPercentEncoding(" !#$&'()*+,/:;=?@[]"));
}

bool isFieldValue(const QByteArray& text)
{
    return !text.contains('\r') && !text.contains('\n') && !text.contains('\0');
}

QByteArray requestMethod(const CPropertyObject& state)
{
    const QByteArray method = Qt3::toString(state.property("method")).toUpper().toLatin1();
    return method.isEmpty() ? QByteArrayLiteral("GET") : method;
}

// The path goes into the request line as given, as far as a URL can carry it: characters that
// a request line cannot hold are percent-encoded ("#" included, which would otherwise start a
// fragment and be dropped), and a path without a leading "/" gets one, so that no part of it
// can be read as the host.
void setRequestTarget(QUrl& url, QString path)
{
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/'));
    path.replace(QLatin1Char('#'), QLatin1String("%23"));
    const QUrl given(QStringLiteral("http://h") + path, QUrl::TolerantMode);
    url.setPath(given.path(QUrl::FullyEncoded), QUrl::StrictMode);
    if (given.hasQuery())
        url.setQuery(given.query(QUrl::FullyEncoded), QUrl::StrictMode);
}

// "Host" carries the host without the port, in the form that reaches the wire: an
// international name in its ASCII form, an IPv6 address in brackets.
QByteArray hostField(const QUrl& url)
{
    const QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    return host.contains(':') ? '[' + host + ']' : host;
}

QByteArray basicAuthorization(const QString& user, const QString& pass)
{
    return "Basic " + QStringLiteral("%1:%2").arg(user, pass).toLatin1().toBase64();
}

// Every value of the object but its object name, in the object's property order; a later
// field of the same name replaces an earlier one, "Host" and "Authorization" included.
QString applyHeaderFields(QNetworkRequest& request, const CPropertyObject* fields)
{
    if (!fields)
        return QString();
    const QStringList names = fields->propertyNames();
    for (const QString& name : names) {
        if (name == QLatin1String("objectName"))
            continue;
        const QByteArray key = name.toLatin1();
        const QVariant value = fields->property(key.constData());
        if (!value.isValid())
            continue;
        const QByteArray text = Qt3::toString(value).toLatin1();
        if (!isToken(key) || !isFieldValue(text))
            return QStringLiteral("header field \"%1\" is no valid header field").arg(printable(key));
        request.setRawHeader(key, text);
    }
    return QString();
}

// A file content object is sent as its bytes; any other value as its text in UTF-8.
QByteArray requestBody(const CPropertyObject& state)
{
    if (const auto* content = qobject_cast<const CFileContent*>(state.objectProperty("data")))
        return content->text().isEmpty() ? content->data() : content->text().toUtf8();
    const QVariant data = state.property("data");
    if (data.typeId() == QMetaType::QByteArray)
        return data.toByteArray();
    return Qt3::toString(data).toUtf8();
}

// Certificates are checked against the system's authorities and those of the optional file;
// nothing here ever relaxes the check.
QString configureTls(QNetworkRequest& request, const QString& caFile)
{
    if (!QSslSocket::supportsSsl())
        return QStringLiteral("TLS is not available on this system");
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    if (!caFile.isEmpty()) {
        // A pipe would hold up the event loop waiting for a writer; a device may never end.
        QList<QSslCertificate> authorities;
        if (Platform::fileKind(caFile) == Platform::FileKind::Regular)
            authorities = QSslCertificate::fromPath(caFile, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        if (authorities.isEmpty())
            return QStringLiteral("no certificate could be read from the caFile \"%1\"").arg(caFile);
        tls.addCaCertificates(authorities);
    }
    request.setSslConfiguration(tls);
    return QString();
}

void setLimits(HttpRequestInputs& in, const CPropertyObject& state)
{
    if (state.hasValueProperty("timeout"))
        in.timeout = Qt3::toInt(state.property("timeout"));
    if (in.timeout < 1)
        in.timeout = HttpRequestInputs::kDefaultTimeout;
    if (state.hasValueProperty("maxSize"))
        in.maxSize = Qt3::toLongLong(state.property("maxSize"));
    if (in.maxSize < 1)
        in.maxSize = HttpRequestInputs::kDefaultMaxSize;
    in.binary = Qt3::toBool(state.property("binary"));
}

// The request as the server must see it, except what only Qt decides (its own extra fields).
QString buildRequest(HttpRequestInputs& in, const CPropertyObject& state, const QString& caFile)
{
    const bool hasPort = state.hasValueProperty("port");
    const quint16 port = quint16(Qt3::toUInt(state.property("port")));
    const bool secure = Qt3::toBool(state.property("secure")) || (hasPort && port == 443);
    QUrl url;
    url.setScheme(secure ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(Qt3::toString(state.property("host")), QUrl::StrictMode);
    url.setPort(hasPort ? port : (secure ? 443 : 80));
    setRequestTarget(url, Qt3::toString(state.property("path")));
    if (url.host().isEmpty() || !url.isValid()) {
        in.errorCode = kHostNotFound;
        return QStringLiteral("invalid host name \"%1\"").arg(Qt3::toString(state.property("host")));
    }
    QNetworkRequest& request = in.request;
    request.setUrl(url);
    // Qt would follow redirects, speak HTTP/2, and keep cookies and credentials between requests.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    request.setRawHeader("Host", hostField(url));
    const QString user = Qt3::toString(state.property("user"));
    if (!user.isEmpty())
        request.setRawHeader("Authorization", basicAuthorization(user, Qt3::toString(state.property("pass"))));
    // The body arrives as the server sent it, so "binary" holds its exact bytes and the size
    // limit counts bytes on the wire; a header field may still ask for compression.
    request.setRawHeader("Accept-Encoding", "identity");
    in.errorCode = kUnknownError;
    if (!isToken(in.method))
        return QStringLiteral("method \"%1\" is no valid method").arg(printable(in.method));
    QString error = applyHeaderFields(request, state.objectProperty("headerFields"));
    if (error.isEmpty() && secure)
        error = configureTls(request, caFile);
    if (error.isEmpty())
        in.errorCode = 0;
    return error;
}

} // namespace

HttpRequestInputs readHttpRequestInputs(const CPropertyObject& state, const QString& caFile)
{
    HttpRequestInputs in;
    in.method = requestMethod(state);
    in.body = requestBody(state);
    setLimits(in, state);
    in.error = buildRequest(in, state, caFile);
    return in;
}
