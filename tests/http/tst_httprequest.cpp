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
using Script = QList<Answer>;

namespace {

QByteArray ok(const QByteArray& body, const QByteArray& head = "200 OK")
{
    return "HTTP/1.1 " + head + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// One state made by the library's factory, with its properties: a map value becomes an object
// property whose values are the map's entries.
class Request {
public:
    Request(quint16 port, const Props& props, const QString& type = QStringLiteral("httpRequest"))
        : m_factory(createFactory(nullptr))
        , m_state(m_factory->createState(type, QDomNode(), nullptr, QStringLiteral("s")))
        , m_finished(m_state.get(), &CState::finished)
        , m_progress(m_state.get(), &CState::progress)
    {
        set(QStringLiteral("host"), QStringLiteral("127.0.0.1"));
        set(QStringLiteral("path"), QStringLiteral("/p"));
        set(QStringLiteral("port"), port);
        for (auto it = props.cbegin(); it != props.cend(); ++it)
            set(it.key(), *it);
    }

    void set(const QString& name, const QVariant& value)
    {
        if (value.typeId() != QMetaType::QVariantMap) {
            m_state->setProperty(name.toLatin1().constData(), value);
            return;
        }
        auto* object = new CPropertyObject(nullptr, "fields");
        const Props fields = value.toMap();
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            object->setProperty(it.key().toLatin1().constData(), *it);
        m_state->setObjectProperty(name.toLatin1().constData(), object);
    }

    // Enters the state and returns its leave event, or "<none>" when it did not finish in time.
    QString run(int timeoutMs = 15000)
    {
        const qsizetype before = m_finished.size();
        m_state->enter();
        return QTest::qWaitFor([&] { return m_finished.size() > before; }, timeoutMs) ? m_state->leaveEvent()
                                                                                       : QStringLiteral("<none>");
    }

    CState* state() const { return m_state.get(); }
    QVariant out(const char* name) const { return m_state->property(name); }
    QList<int> progress() const
    {
        QList<int> values;
        for (const QList<QVariant>& args : m_progress)
            values.append(args.at(0).toInt());
        return values;
    }
    qsizetype finishes() const { return m_finished.size(); }
    void destroy() { m_state.reset(); }

private:
    std::unique_ptr<CStateFactory> m_factory;
    std::unique_ptr<CState> m_state;
    QSignalSpy m_finished;
    QSignalSpy m_progress;
};

// The request line, the header lines and the body of a request as received.
struct Received {
    explicit Received(const QByteArray& raw)
    {
        const qsizetype end = raw.indexOf("\r\n\r\n");
        QList<QByteArray> lines = raw.left(end).split('\n');
        for (QByteArray& line : lines)
            line = line.trimmed();
        requestLine = lines.takeFirst();
        fields = lines;
        body = raw.mid(end + 4);
    }
    // The values of the field, its name in any case.
    QList<QByteArray> field(const QByteArray& name) const
    {
        QList<QByteArray> values;
        for (const QByteArray& f : fields)
            if (f.toLower().startsWith(name.toLower() + ':'))
                values.append(f.mid(name.size() + 1).trimmed());
        return values;
    }
    QByteArray requestLine;
    QList<QByteArray> fields;
    QByteArray body;
};

quint16 closedPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost);
    return s.serverPort();
}

bool openssl(const QString& dir, const QStringList& arguments)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral("openssl"), arguments);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class tst_HttpRequest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void requestAsSent_data();
    void requestAsSent();
    void answers_data();
    void answers();
    void failures_data();
    void failures();
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
    // A test authority and a server certificate for 127.0.0.1 that it signed.
    const QString d = m_dir.path();
    const QStringList key {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    QFile ext(m_dir.filePath(QStringLiteral("ext.cnf")));
    if (!ext.open(QIODevice::WriteOnly) || ext.write("subjectAltName=IP:127.0.0.1\n") < 0)
        QFAIL("cannot write the certificate extensions");
    ext.close();
    if (!openssl(d, QStringList {"req", "-x509", "-days", "2", "-subj", "/CN=test CA", "-keyout", "ca.key", "-out", "ca.pem",
                                 "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=keyCertSign"} + key)
        || !openssl(d, QStringList {"req", "-subj", "/CN=127.0.0.1", "-keyout", "server.key", "-out", "server.csr"} + key)
        || !openssl(d, {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
                        "-days", "2", "-extfile", "ext.cnf", "-out", "server.pem"}))
        return; // tls() skips
    QFile cert(m_dir.filePath(QStringLiteral("server.pem"))), key_(m_dir.filePath(QStringLiteral("server.key")));
    if (cert.open(QIODevice::ReadOnly) && key_.open(QIODevice::ReadOnly)) {
        m_tls = QSslConfiguration::defaultConfiguration();
        m_tls.setLocalCertificate(QSslCertificate(cert.readAll()));
        m_tls.setPrivateKey(QSslKey(key_.readAll(), QSsl::Ec));
    }
}

void tst_HttpRequest::requestAsSent_data()
{
    QTest::addColumn<Props>("props");
    QTest::addColumn<QByteArray>("requestLine");
    QTest::addColumn<QList<QByteArray>>("present"); // "Name: value" fields that must be there
    QTest::addColumn<QList<QByteArray>>("absent");  // field names that must not
    QTest::addColumn<QByteArray>("body");
    using L = QList<QByteArray>;
    QTest::newRow("defaults") << Props() << QByteArray("GET /p HTTP/1.1") << L {"Host: 127.0.0.1"}
                              << L {"Authorization", "Content-Length"} << QByteArray();
    QTest::newRow("method upper-cased, body") << Props {{"method", "post"}, {"data", "a=1&b=\xc3\xa4"}}
                                              << QByteArray("POST /p HTTP/1.1") << L {"Content-Length: 8"} << L()
                                              << QByteArray("a=1&b=\xc3\xa4");
    QTest::newRow("empty method") << Props {{"method", ""}} << QByteArray("GET /p HTTP/1.1") << L() << L() << QByteArray();
    QTest::newRow("any verb") << Props {{"method", "Purge"}} << QByteArray("PURGE /p HTTP/1.1") << L() << L()
                              << QByteArray();
    QTest::newRow("path and query as given")
        << Props {{"path", "/a%2Fb/c.cgi?x=%2F&y=1"}} << QByteArray("GET /a%2Fb/c.cgi?x=%2F&y=1 HTTP/1.1") << L() << L()
        << QByteArray();
    QTest::newRow("blank in path") << Props {{"path", "/a b"}} << QByteArray("GET /a%20b HTTP/1.1") << L() << L()
                                   << QByteArray();
    QTest::newRow("user, empty pass") << Props {{"user", "a"}} << QByteArray("GET /p HTTP/1.1")
                                      << L {"Authorization: Basic YTo="} << L() << QByteArray();
    QTest::newRow("one padding sign") << Props {{"user", "ab"}, {"pass", "cd"}} << QByteArray("GET /p HTTP/1.1")
                                      << L {"Authorization: Basic YWI6Y2Q="} << L() << QByteArray();
    QTest::newRow("no padding") << Props {{"user", "abc"}, {"pass", "de"}} << QByteArray("GET /p HTTP/1.1")
                                << L {"Authorization: Basic YWJjOmRl"} << L() << QByteArray();
    QTest::newRow("latin-1 credentials") << Props {{"user", "j\xc3\xbcrgen"}, {"pass", "\xc3\xb6"}}
                                         << QByteArray("GET /p HTTP/1.1") << L {"Authorization: Basic avxyZ2VuOvY="}
                                         << L() << QByteArray();
    QTest::newRow("empty user, a pass") << Props {{"user", ""}, {"pass", "x"}} << QByteArray("GET /p HTTP/1.1") << L()
                                        << L {"Authorization"} << QByteArray();
    QTest::newRow("header fields replace Host and Authorization")
        << Props {{"user", "a"}, {"headerFields", Props {{"X-One", 1}, {"host", "virtual.example"}, {"Authorization", "Bearer t"}}}}
        << QByteArray("GET /p HTTP/1.1") << L {"X-One: 1", "Host: virtual.example", "Authorization: Bearer t"} << L()
        << QByteArray();
    QTest::newRow("later field of the same name wins") << Props {{"headerFields", Props {{"X-Dup", "1"}, {"x-dup", "2"}}}}
                                                       << QByteArray("GET /p HTTP/1.1") << L {"X-Dup: 2"} << L()
                                                       << QByteArray();
}

void tst_HttpRequest::requestAsSent()
{
    QFETCH(Props, props);
    QFETCH(QByteArray, requestLine);
    QFETCH(QList<QByteArray>, present);
    QFETCH(QList<QByteArray>, absent);
    QFETCH(QByteArray, body);
    ScriptedServer server(Script {ok("x")});
    Request request(server.port(), props);
    QCOMPARE(request.run(), QStringLiteral("finished"));
    QCOMPARE(server.requests().size(), 1);
    const Received got(server.requests().first());
    QCOMPARE(got.requestLine, requestLine);
    QCOMPARE(got.field("Host").size(), 1);
    for (const QByteArray& f : present) {
        const qsizetype colon = f.indexOf(':');
        QCOMPARE(got.field(f.left(colon)), QList<QByteArray> {f.mid(colon + 2)});
    }
    for (const QByteArray& name : absent)
        QVERIFY2(got.field(name).isEmpty(), name.constData());
    QCOMPARE(got.body, body);
}

void tst_HttpRequest::answers_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("binary");
    QTest::addColumn<QString>("event");
    QTest::addColumn<int>("status");
    QTest::addColumn<QVariant>("result"); // text, or the bytes of the file content
    const QString get = QStringLiteral("httpGetRequest"), req = QStringLiteral("httpRequest");
    const QString fin = QStringLiteral("finished"), err = QStringLiteral("httpError");
    const QByteArray zeros("a\0\0b\xff", 5);
    QTest::newRow("200 utf-8") << req << ok("gr\xc3\xbc\xc3\x9f") << false << fin << 200 << QVariant(QString::fromUtf8("gr\xc3\xbc\xc3\x9f"));
    QTest::newRow("200 utf-16le") << req << ok(QByteArray("\xff\xfeh\0i\0", 6)) << false << fin << 200 << QVariant(QStringLiteral("hi"));
    QTest::newRow("200 utf-16be") << get << ok(QByteArray("\xfe\xff\0h\0i", 6)) << false << fin << 200 << QVariant(QStringLiteral("hi"));
    QTest::newRow("204 empty") << get << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << false << fin << 204 << QVariant(QString());
    QTest::newRow("299") << req << ok("z", "299 Whatever") << false << fin << 299 << QVariant(QStringLiteral("z"));
    QTest::newRow("300") << req << ok("m", "300 Multiple Choices") << false << err << 300 << QVariant(QStringLiteral("m"));
    QTest::newRow("302 not followed") << req << QByteArray("HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: 1\r\n\r\nr")
                                      << false << err << 302 << QVariant(QStringLiteral("r"));
    QTest::newRow("401 with body") << req << ok("who?", "401 Unauthorized") << false << err << 401 << QVariant(QStringLiteral("who?"));
    QTest::newRow("404 with body") << req << ok("not here", "404 Not Found") << false << err << 404 << QVariant(QStringLiteral("not here"));
    QTest::newRow("500") << req << ok("oops", "500 Internal Server Error") << false << err << 500 << QVariant(QStringLiteral("oops"));
    QTest::newRow("binary, zero bytes") << req << ok(zeros) << true << fin << 200 << QVariant(zeros);
    QTest::newRow("binary 404") << req << ok(zeros, "404 Not Found") << true << err << 404 << QVariant(zeros);
    QTest::newRow("chunked") << req << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n")
                             << false << fin << 200 << QVariant(QStringLiteral("abcde"));
}

void tst_HttpRequest::answers()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, answer);
    QFETCH(bool, binary);
    QFETCH(QString, event);
    QFETCH(int, status);
    QFETCH(QVariant, result);
    TraceLines trace;
    ScriptedServer server(Script {answer});
    Request request(server.port(), {{"binary", binary}}, type);
    QCOMPARE(request.run(), event);
    QCOMPARE(request.out("status"), QVariant(status));
    QCOMPARE(request.out("errorCode"), QVariant(0));
    if (binary) {
        auto* content = qobject_cast<CFileContent*>(request.state()->objectProperty("result"));
        QVERIFY(content);
        QCOMPARE(content->data(), result.toByteArray());
    } else {
        QCOMPARE(request.out("result").toString(), result.toString());
    }
    const QByteArray statusLine = answer.left(answer.indexOf("\r\n"));
    QVERIFY(trace.has("httpStates", QStringLiteral("HTTP response: %1 (%2)").arg(QString::fromLatin1(statusLine.mid(13))).arg(status)));
    QVERIFY(trace.has("httpStates", QStringLiteral("Finished")));
    QCOMPARE(server.requests().size(), 1);
}

void tst_HttpRequest::failures_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<Props>("props");
    QTest::addColumn<int>("errorCode");
    QTest::addColumn<QString>("error"); // held by the trace line "  error: ..."
    QTest::addColumn<int>("maxSeconds");
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
    const QByteArray big(100, 'b');
    QTest::newRow("refused") << Script() << Props {{"port", closedPort()}} << 3 << QString() << 10;
    QTest::newRow("closed before the answer") << Script {{"", Answer::Close}} << Props() << 4 << QString() << 10;
    QTest::newRow("malformed status line") << Script {{"HTTP/1.1 abc\r\n\r\n", Answer::Close}} << Props() << 4 << QString() << 10;
    QTest::newRow("closed mid-body") << Script {{head + "partial", Answer::Close}} << Props() << 6 << QString() << 10;
    QTest::newRow("body above maxSize") << Script {{ok(big)}} << Props {{"maxSize", 99}} << 7 << QStringLiteral("maxSize") << 10;
    QTest::newRow("chunked body above maxSize")
        << Script {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n64\r\n" + big + "\r\n", Answer::Hold}}
        << Props {{"maxSize", 99}} << 7 << QStringLiteral("maxSize") << 10;
    QTest::newRow("huge Content-Length") << Script {{"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999\r\n\r\nx", Answer::Hold}}
                                         << Props() << 7 << QStringLiteral("maxSize") << 10;
    QTest::newRow("never answers") << Script {{"", Answer::Hold}} << Props {{"timeout", 2}} << 7 << QString() << 5;
    QTest::newRow("drips") << Script {{head, Answer::Drip, QByteArray(1000, 'd')}} << Props {{"timeout", 2}} << 7 << QString() << 5;
    QTest::newRow("endless header") << Script {{"HTTP/1.1 200 OK\r\n", Answer::EndlessHeaders}} << Props {{"timeout", 2}} << 7
                                    << QString() << 5;
    QTest::newRow("line break in a field") << Script() << Props {{"headerFields", Props {{"X", "a\r\nEvil: 1"}}}} << 1
                                           << QStringLiteral("\"X\"") << 10;
    QTest::newRow("blank in the method") << Script() << Props {{"method", "GET /x HTTP/1.0\r\n"}} << 1
                                         << QStringLiteral("method") << 10;
    QTest::newRow("invalid host") << Script() << Props {{"host", "no such/host"}} << 2 << QStringLiteral("host") << 10;
}

void tst_HttpRequest::failures()
{
    QFETCH(Script, script);
    QFETCH(Props, props);
    QFETCH(int, errorCode);
    QFETCH(QString, error);
    QFETCH(int, maxSeconds);
    TraceLines trace;
    ScriptedServer server(script);
    Request request(server.port(), props);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(request.run(), QStringLiteral("networkError"));
    QVERIFY2(clock.elapsed() < maxSeconds * 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(request.out("errorCode"), QVariant(errorCode));
    QVERIFY(!request.state()->hasProperty("status") && !request.state()->hasProperty("result"));
    const QStringList errors = trace.lines().filter(QStringLiteral("]  error: "));
    QVERIFY2(errors.size() == 1 && errors.first().contains(error), qPrintable(trace.all()));
    if (props.contains(QStringLiteral("timeout"))) {
        QVERIFY(clock.elapsed() >= 1500);
        QVERIFY(trace.has("httpStates", QStringLiteral("timeout, abort request")));
    }
    if (script.isEmpty())
        QCOMPARE(server.connections(), 0);
}

void tst_HttpRequest::progressFromTicksAndData()
{
    const QByteArray half(500, 'h');
    ScriptedServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + half, Answer::Drip, half}});
    Request request(server.port(), {{"timeout", 3}});
    QCOMPARE(request.run(), QStringLiteral("networkError"));
    // Data and ticks take turns: each sets the progress anew, so it falls back below 10.
    const QList<int> values = request.progress();
    QVERIFY2(values.contains(55), "half of the body: 10 + 500 * 90 / 1000");
    QVERIFY2(values.contains(3) && values.contains(6), "the ticks: 10 * ticks / time-out");
    for (int v : values.mid(0, values.size() - 1))
        QVERIFY2(v >= 0 && v <= 56, qPrintable(QString::number(v)));
    QCOMPARE(values.last(), 100);
}

void tst_HttpRequest::enteredAgain()
{
    ScriptedServer server({{ok("first")}, {ok("second", "404 Not Found")}});
    Request request(server.port(), {});
    QCOMPARE(request.run(), QStringLiteral("finished"));
    QCOMPARE(request.run(), QStringLiteral("httpError"));
    QCOMPARE(request.out("result").toString(), QStringLiteral("second"));
    QCOMPARE(server.connections(), 1); // the open connection was used again
    request.set(QStringLiteral("port"), closedPort());
    QCOMPARE(request.run(), QStringLiteral("networkError"));
    QVERIFY(!request.state()->hasProperty("status") && !request.state()->hasProperty("result"));
}

void tst_HttpRequest::leavingAbandonsTheRequest()
{
    ScriptedServer holding({{"", Answer::Hold}});
    Request request(holding.port(), {{"timeout", 1}});
    request.state()->enter();
    QTRY_COMPARE(holding.openConnections(), 1);
    request.state()->leave();
    QTRY_COMPARE(holding.openConnections(), 0);
    // A late answer would have come before this second request ends, and with the time-out.
    ScriptedServer answering(Script {ok("late")});
    request.set(QStringLiteral("port"), answering.port());
    QCOMPARE(request.run(), QStringLiteral("finished"));
    QCOMPARE(request.finishes(), 1);
    request.set(QStringLiteral("port"), holding.port());
    request.state()->enter();
    QTRY_COMPARE(holding.openConnections(), 1);
    request.destroy();
    QTRY_COMPARE(holding.openConnections(), 0);
}

void tst_HttpRequest::tls_data()
{
    QTest::addColumn<QString>("caFile");
    QTest::addColumn<QString>("event");
    QTest::addColumn<QString>("trace");
    QTest::newRow("test authority") << QStringLiteral("ca.pem") << QStringLiteral("finished") << QStringLiteral("HTTP response");
    QTest::newRow("system authorities only") << QString() << QStringLiteral("networkError") << QStringLiteral("TLS error: ");
    QTest::newRow("unreadable caFile") << QStringLiteral("missing.pem") << QStringLiteral("networkError")
                                       << QStringLiteral("missing.pem");
}

void tst_HttpRequest::tls()
{
    QFETCH(QString, caFile);
    QFETCH(QString, event);
    QFETCH(QString, trace);
    if (m_tls.isNull())
        QSKIP("openssl could not make the test certificates");
    TraceLines lines;
    ScriptedServer server({{ok("secret")}}, &m_tls);
    Props props {{"secure", "true"}};
    if (!caFile.isEmpty())
        props.insert(QStringLiteral("caFile"), m_dir.filePath(caFile));
    Request request(server.port(), props);
    QCOMPARE(request.run(), event);
    QVERIFY2(lines.contains(trace), qPrintable(lines.all()));
    QCOMPARE(request.out("result").toString(), event == QLatin1String("finished") ? QStringLiteral("secret") : QString());
    if (event == QLatin1String("networkError"))
        QCOMPARE(request.out("errorCode"), QVariant(1));
}

QTEST_GUILESS_MAIN(tst_HttpRequest)
#include "tst_httprequest.moc"
