// SPDX-License-Identifier: MIT
#include "teststates.h"
#include "engine/trace.h"
#include "engine/variantconv.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>

CTestState::CTestState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CTestState::initialize()
{
    QStringList events = Qt3::toString(property("events")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (events.isEmpty())
        events.append(QStringLiteral("next"));
    addEvents(events);
}

void CTestState::enter()
{
    ++enterCount;
    testJournal().append(fullName());
    if (Qt3::toBool(property("page"))) {
        if (CFsm* fsm = qobject_cast<CFsm*>(parent()))
            fsm->registerCurrentPage();
    }
    if (Qt3::toBool(property("hold")))
        return;
    QStringList answers = Qt3::toString(property("answers")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QString event;
    if (!answers.isEmpty()) {
        event = answers.takeFirst();
        setProperty("answers", answers.join(QLatin1Char(';')));
    } else if (hasValueProperty("leaveWith")) {
        event = Qt3::toString(property("leaveWith"));
    } else {
        event = events().value(0);
    }
    finish(event);
}

void CTestState::leave()
{
    ++leaveCount;
}

void CTestState::finish(const QString& event)
{
    setLeaveEvent(event);
    leaveState();
}

QStringList& testJournal()
{
    static QStringList journal;
    return journal;
}

std::unique_ptr<CStateFactory> makeTestFactory(const QString& name)
{
    auto factory = std::make_unique<CStateFactory>(name);
    factory->addCreator(QStringLiteral("test"), &createStateOf<CTestState>);
    factory->addCreator(QStringLiteral("fsm"), &createFsmOf<CFsm>);
    return factory;
}

CFsm* buildFsm(const QString& xml, CStateFactory* factory, QString* parseError)
{
    QDomDocument doc;
    QString error;
    if (!doc.setContent(xml, &error)) {
        if (parseError)
            *parseError = error;
        return nullptr;
    }
    return qobject_cast<CFsm*>(
        factory->createState(QStringLiteral("fsm"), doc.documentElement(), nullptr, QStringLiteral("root")));
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    f.write(content);
    return path;
}

TraceCapture::TraceCapture()
{
    Trace::setStderrEnabled(false);
    Trace::setSink([this](const QString& text) { lines.append(text); });
}

TraceCapture::~TraceCapture()
{
    Trace::setSink(nullptr);
}

bool TraceCapture::contains(const QString& text) const
{
    for (const QString& l : lines) {
        if (l.contains(text))
            return true;
    }
    return false;
}

void isolateUserFolders()
{
    static QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
}
