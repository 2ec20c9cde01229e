// SPDX-License-Identifier: MIT
// The HTTP request state against servers of the test's own on loopback: what the server
// receives, how each kind of answer ends the state, and hostile or broken servers.
#include "scriptedserver.h"
#include "support/flowrunner.h"
#include "system/filecontent.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QSslKey>
#include <QTemporaryDir>
#include <QTest>

using FlowTest::TraceLines;
using Props = QVariantMap;
using L = QList<QByteArray>;

namespace {

QByteArray ok(const QByteArray& body, const QByteArray& status = "200 OK")
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort();
}

// One state made by the library's factory; a map value becomes an object property.
struct Request {
    Request(quint16 port, const Props& props, const QString& type = QStringLiteral("httpRequest"))
        : state(factory->createState(type, QDomNode(), nullptr, QStringLiteral("s")))
    {
        set({{"host", "127.0.0.1"}, {"path", "/p"}, {"port", port}});
        set(props);
    }
    void set(const Props& props)
    {
        for (auto it = props.cbegin(); it != props.cend(); ++it) {
            const QByteArray name = it.key().toLatin1();
            if (it->typeId() != QMetaType::QVariantMap) {
                state->setProperty(name, *it);
                continue;
            }
            auto* object = new CPropertyObject(nullptr, "fields");
            const Props fields = it->toMap();
            for (auto f = fields.cbegin(); f != fields.cend(); ++f)
                object->setProperty(f.key().toLatin1(), *f);
            state->setObjectProperty(name, object);
        }
    }
    QString run()
    {
        const qsizetype before = finished.size();
        state->enter();
        return QTest::qWaitFor([&] { return finished.size() > before; }, 15000) ? state->leaveEvent() : QString();
    }
    QVariant out(const char* name) const { return state->property(name); }

    std::unique_ptr<CStateFactory> factory {createFactory(nullptr)};
    std::unique_ptr<CState> state;
    QSignalSpy finished {state.get(), &CState::finished};
    QSignalSpy progress {state.get(), &CState::progress};
};

} // namespace

class tst_HttpRequest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void requestAsSent_data();
    void requestAsSent();
    void outcomes_data();
    void outcomes();
    void progressFromTicksAndData();
    void enteredAgain();
    void leavingAbandonsTheRequest();
    void tls_data();
    void tls();

private:
    QTemporaryDir m_dir;
    QSslConfiguration m_tls;
};

void tst_HttpRequest::initTestCase()
{
    Trace::setStderrEnabled(false);
    // A test authority, and a certificate for 127.0.0.1 that it signed.
    const QString key = QStringLiteral("-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes");
    const QString script = QStringLiteral(
        "(cd '%1' && printf 'subjectAltName=IP:127.0.0.1' > ext && openssl req -x509 %2 -days 2 -subj /CN=ca -keyout ca.key "
        "-out ca.pem -addext basicConstraints=critical,CA:TRUE -addext keyUsage=keyCertSign && openssl req %2 "
        "-subj /CN=127.0.0.1 -keyout s.key -out s.csr && openssl x509 -req -in s.csr -CA ca.pem -CAkey ca.key "
        "-CAcreateserial -days 2 -extfile ext -out s.pem) >/dev/null 2>&1").arg(m_dir.path(), key);
    QFile cert(m_dir.filePath(QStringLiteral("s.pem"))), privateKey(m_dir.filePath(QStringLiteral("s.key")));
    if (QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), script}) != 0 || !cert.open(QIODevice::ReadOnly)
        || !privateKey.open(QIODevice::ReadOnly))
        return; // tls() skips
    m_tls = QSslConfiguration::defaultConfiguration();
    m_tls.setLocalCertificate(QSslCertificate(cert.readAll()));
    m_tls.setPrivateKey(QSslKey(privateKey.readAll(), QSsl::Ec));
}

void tst_HttpRequest::requestAsSent_data()
{
    QTest::addColumn<Props>("props");
    QTest::addColumn<QByteArray>("requestLine");
    QTest::addColumn<L>("present"); // whole header lines
    QTest::addColumn<L>("absent");  // beginnings of header lines
    QTest::addColumn<QByteArray>("body");
    const QByteArray get = "GET /p HTTP/1.1";
    QTest::newRow("empty method") << Props {{"method", ""}} << get << L {"Host: 127.0.0.1"}
                                  << L {"Authorization:", "Content-Length:"} << QByteArray();
    QTest::newRow("upper-cased, body") << Props {{"method", "post"}, {"data", "a=1&b=\xc3\xa4"}} << QByteArray("POST /p HTTP/1.1")
                                       << L {"Content-Length: 8"} << L() << QByteArray("a=1&b=\xc3\xa4");
    QTest::newRow("file content body") << Props {{"method", "Purge"}} << QByteArray("PURGE /p HTTP/1.1")
                                       << L {"Content-Length: 3"} << L() << QByteArray("a\0b", 3);
    QTest::newRow("path as given") << Props {{"path", "/a%2Fb/c d.cgi?x=%2F&y"}}
                                   << QByteArray("GET /a%2Fb/c%20d.cgi?x=%2F&y HTTP/1.1") << L() << L() << QByteArray();
    QTest::newRow("user, empty pass") << Props {{"user", "a"}} << get << L {"Authorization: Basic YTo="} << L() << QByteArray();
    QTest::newRow("latin-1") << Props {{"user", "j\xc3\xbcrgen"}, {"pass", "\xc3\xb6"}} << get
                             << L {"Authorization: Basic avxyZ2VuOvY="} << L() << QByteArray();
    QTest::newRow("empty user") << Props {{"user", ""}, {"pass", "x"}} << get << L() << L {"Authorization:"} << QByteArray();
    QTest::newRow("header fields") << Props {{"user", "a"}, {"headerFields", Props {{"X-Dup", 1}, {"x-dup", 2},
                                       {"host", "virtual.example"}, {"Authorization", "Bearer t"}}}}
                                   << get << L {"x-dup: 2", "host: virtual.example", "Authorization: Bearer t"}
                                   << L {"X-Dup: 1", "Host: 127.0.0.1", "Authorization: Basic"} << QByteArray();
}

void tst_HttpRequest::requestAsSent()
{
    QFETCH(Props, props);
    QFETCH(QByteArray, requestLine);
    QFETCH(L, present);
    QFETCH(L, absent);
    QFETCH(QByteArray, body);
    ScriptedServer server({ok("x")});
    Request request(server.port(), props);
    if (QTest::currentDataTag() == QByteArray("file content body")) {
        auto* content = new CFileContent(QStringLiteral("f"));
        content->setData(body);
        request.state->setObjectProperty("data", content);
    }
    QCOMPARE(request.run(), QStringLiteral("finished"));
    QCOMPARE(server.requests.size(), 1);
    const QByteArray got = server.requests.first();
    const qsizetype end = got.indexOf("\r\n\r\n");
    const QByteArray head = got.left(end + 2).toLower();
    QCOMPARE(got.left(got.indexOf("\r\n")), requestLine);
    QCOMPARE(head.count("\r\nhost:"), 1);
    for (const QByteArray& line : present)
        QVERIFY2(head.contains("\r\n" + line.toLower() + "\r\n"), got.constData());
    for (const QByteArray& line : absent)
        QVERIFY2(!head.contains("\r\n" + line.toLower()), got.constData());
    QCOMPARE(got.mid(end + 4), body);
}

void tst_HttpRequest::outcomes_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<Props>("props");
    QTest::addColumn<QString>("event");
    QTest::addColumn<int>("errorCode");
    QTest::addColumn<QVariant>("status"); // invalid: not set
    QTest::addColumn<QVariant>("result"); // text, or the bytes of the file content
    QTest::addColumn<QString>("trace");   // held by a trace line
    const QString fin = QStringLiteral("finished"), err = QStringLiteral("httpError"), net = QStringLiteral("networkError");
    const QByteArray zeros("a\0\0b\xff", 5), head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n", big(100, 'b');
    const QVariant none;
    const Props bin {{"binary", true}}, small {{"maxSize", 99}}, twoSeconds {{"timeout", 2}};
    QTest::newRow("200 utf-8") << Script {ok("gr\xc3\xbc\xc3\x9f")} << Props() << fin << 0 << QVariant(200)
                               << QVariant(QString::fromUtf8("gr\xc3\xbc\xc3\x9f")) << QStringLiteral("]HTTP response: OK (200)");
    QTest::newRow("200 utf-16") << Script {ok(QByteArray("\xfe\xff\0h\0i", 6))} << Props() << fin << 0 << QVariant(200)
                                << QVariant(QStringLiteral("hi")) << QStringLiteral("]Finished");
    QTest::newRow("204") << Script {Answer("HTTP/1.1 204 No Content\r\n\r\n")} << Props() << fin << 0 << QVariant(204)
                         << QVariant(QString()) << QStringLiteral("(204)");
    QTest::newRow("299") << Script {ok("z", "299 X")} << Props() << fin << 0 << QVariant(299) << QVariant("z") << QString();
    QTest::newRow("300") << Script {ok("m", "300 M")} << Props() << err << 0 << QVariant(300) << QVariant("m") << QString();
    QTest::newRow("302 not followed") << Script {Answer("HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 1\r\n\r\nr"), ok("x")}
                                      << Props() << err << 0 << QVariant(302) << QVariant("r") << QString();
    QTest::newRow("401") << Script {ok("who?", "401 Unauthorized")} << Props() << err << 0 << QVariant(401)
                         << QVariant("who?") << QString();
    QTest::newRow("404") << Script {ok("not here", "404 Not Found")} << Props() << err << 0 << QVariant(404)
                         << QVariant("not here") << QStringLiteral("]HTTP response: Not Found (404)");
    QTest::newRow("binary") << Script {ok(zeros)} << bin << fin << 0 << QVariant(200) << QVariant(zeros) << QString();
    QTest::newRow("refused") << Script() << Props {{"port", closedPort()}} << net << 3 << none << none << QString();
    QTest::newRow("malformed") << Script {{"HTTP/1.1 abc\r\n\r\n", Answer::Close}} << Props() << net << 4 << none << none
                               << QString();
    QTest::newRow("closed mid-body") << Script {{head + "part", Answer::Close}} << Props() << net << 6 << none << none
                                     << QStringLiteral("]  error: ");
    QTest::newRow("over maxSize") << Script {ok(big)} << small << net << 7 << none << none << QStringLiteral("maxSize (99");
    QTest::newRow("chunks over maxSize") << Script {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n64\r\n" + big, Answer::Hold}}
                                         << small << net << 7 << none << none << QStringLiteral("maxSize (99");
    QTest::newRow("huge length") << Script {{"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999\r\n\r\nx", Answer::Hold}}
                                 << Props() << net << 7 << none << none << QStringLiteral("maxSize (268435456");
    QTest::newRow("never answers") << Script {{"", Answer::Hold}} << twoSeconds << net << 7 << none << none
                                   << QStringLiteral("]timeout, abort request");
    QTest::newRow("drips") << Script {{head, Answer::Drip, QByteArray(1000, 'd')}} << twoSeconds << net << 7 << none << none
                           << QStringLiteral("]timeout, abort request");
    QTest::newRow("endless header") << Script {{"HTTP/1.1 200 OK\r\n", Answer::EndlessHeaders}} << twoSeconds << net << 7
                                    << none << none << QStringLiteral("]timeout, abort request");
    QTest::newRow("line break in a field") << Script() << Props {{"headerFields", Props {{"X", "a\r\nEvil: 1"}}}} << net << 1
                                           << none << none << QStringLiteral("]  error: header field \"X\"");
    QTest::newRow("line break in the method") << Script() << Props {{"method", "GET / HTTP/1.0\r\n"}} << net << 1 << none
                                              << none << QStringLiteral("]  error: method \"GET / HTTP/1.0%0D%0A\"");
}

void tst_HttpRequest::outcomes()
{
    QFETCH(Script, script);
    QFETCH(Props, props);
    QFETCH(QString, event);
    QFETCH(int, errorCode);
    QFETCH(QVariant, status);
    QFETCH(QVariant, result);
    QFETCH(QString, trace);
    TraceLines lines;
    ScriptedServer server(script);
    Request request(server.port(), props);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(request.run(), event);
    QVERIFY2(clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(request.out("errorCode"), QVariant(errorCode));
    QCOMPARE(request.out("status"), status);
    if (auto* content = qobject_cast<CFileContent*>(request.state->objectProperty("result")))
        QCOMPARE(QVariant(content->data()), result);
    else
        QCOMPARE(request.out("result"), result.isValid() ? QVariant(result.toString()) : result);
    QVERIFY2(lines.contains(trace), qPrintable(lines.all()));
    if (errorCode == 0)
        QCOMPARE(server.requests.size(), 1);
    QCOMPARE(server.connections > 0, !script.isEmpty());
}

void tst_HttpRequest::progressFromTicksAndData()
{
    const QByteArray half(500, 'h');
    ScriptedServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + half, Answer::Drip, half}});
    Request request(server.port(), {{"timeout", 3}});
    QCOMPARE(request.run(), QStringLiteral("networkError"));
    // Data and ticks take turns, each setting the progress anew, so it falls back below 10.
    QList<int> values;
    for (const QList<QVariant>& args : request.progress)
        values.append(args.at(0).toInt());
    QVERIFY2(values.contains(55), "half of the body: 10 + 500 * 90 / 1000");
    QVERIFY2(values.contains(3) && values.contains(6), "the ticks: 10 * ticks / time-out");
    QCOMPARE(values.last(), 100);
    for (int v : values.mid(0, values.size() - 1))
        QVERIFY2(v >= 0 && v <= 56, qPrintable(QString::number(v)));
}

void tst_HttpRequest::enteredAgain()
{
    ScriptedServer server({ok("first"), ok("second", "404 Not Found")});
    Request request(server.port(), {}, QStringLiteral("httpGetRequest"));
    QCOMPARE(request.run(), QStringLiteral("finished"));
    QCOMPARE(request.run(), QStringLiteral("httpError"));
    QCOMPARE(request.out("result"), QVariant(QStringLiteral("second")));
    QCOMPARE(server.connections, 1); // the open connection was used again
    request.set({{"port", closedPort()}});
    QCOMPARE(request.run(), QStringLiteral("networkError"));
    QVERIFY(!request.state->hasProperty("status") && !request.state->hasProperty("result"));
}

void tst_HttpRequest::leavingAbandonsTheRequest()
{
    ScriptedServer holding({{"", Answer::Hold}}), answering({ok("now")});
    Request request(holding.port(), {{"timeout", 1}});
    request.state->enter();
    QTRY_COMPARE(holding.open, 1);
    request.state->leave();
    QTRY_COMPARE(holding.open, 0);
    // Had the abandoned request lived on, its time-out would end the state before this one.
    request.set({{"port", answering.port()}});
    QCOMPARE(request.run(), QStringLiteral("finished"));
    QCOMPARE(request.finished.size(), 1);
    request.set({{"port", holding.port()}});
    request.state->enter();
    QTRY_COMPARE(holding.open, 1);
    request.state.reset();
    QTRY_COMPARE(holding.open, 0);
}

void tst_HttpRequest::tls_data()
{
    QTest::addColumn<QString>("caFile");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("trace");
    QTest::newRow("test authority") << QStringLiteral("ca.pem") << QStringLiteral("finished") << QStringLiteral("(200)");
    QTest::newRow("system authorities") << QString() << QStringLiteral("networkError") << QStringLiteral("]TLS error: ");
    QTest::newRow("unreadable caFile") << QStringLiteral("no.pem") << QStringLiteral("networkError") << QStringLiteral("no.pem");
}

void tst_HttpRequest::tls()
{
    QFETCH(QString, caFile);
    QFETCH(QString, event);
    QFETCH(QString, trace);
    if (m_tls.isNull())
        QSKIP("openssl could not make the test certificates");
    TraceLines lines;
    ScriptedServer server({ok("secret")}, &m_tls);
    Request request(server.port(), {{"secure", "true"}});
    if (!caFile.isEmpty())
        request.set({{"caFile", m_dir.filePath(caFile)}});
    QCOMPARE(request.run(), event);
    QVERIFY2(lines.contains(trace), qPrintable(lines.all()));
    QCOMPARE(request.out("result"), event == QLatin1String("finished") ? QVariant(QStringLiteral("secret")) : QVariant());
    QCOMPARE(request.out("errorCode"), QVariant(event == QLatin1String("finished") ? 0 : 1));
}

QTEST_GUILESS_MAIN(tst_HttpRequest)
#include "tst_httprequest.moc"
