#include "host.h"
#include "pagestate.h"

#include "engine/fsm.h"
#include "engine/statefactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QFileInfo>
#include <QLibrary>

namespace {

using CreateFactory = CStateFactory* (*)(CStateFactory*);

QStringList pluginCandidates()
{
    QStringList candidates;
    const QString fromEnv = qEnvironmentVariable("SETUPFSM_PLUGIN");
    if (!fromEnv.isEmpty())
        candidates << fromEnv;
    const QString dir = QCoreApplication::applicationDirPath();
#ifdef SETUPFSM_INSTALLED_PLUGIN
    // An installed host takes the library installed beside it, even while its build tree exists.
    candidates << dir + QLatin1Char('/') + QStringLiteral(SETUPFSM_INSTALLED_PLUGIN);
#endif
#ifdef SETUPFSM_PLUGIN_PATH
    candidates << QStringLiteral(SETUPFSM_PLUGIN_PATH);
#endif
    candidates << dir + QStringLiteral("/../lib/libsetupfsm.so") << dir + QStringLiteral("/libsetupfsm.so")
               << QStringLiteral("setupfsm");
    return candidates;
}

} // namespace

Host& Host::instance()
{
    static Host host;
    return host;
}

Host::~Host()
{
    // The generic factory is the root of the tree and owns nothing of the host's.
    delete m_generic;
    delete m_hostFactory;
}

bool Host::load(QString* error)
{
    if (m_generic)
        return true;
    QStringList tried;
    for (const QString& candidate : pluginCandidates()) {
        if (candidate.contains(QLatin1Char('/')) && !QFileInfo::exists(candidate))
            continue;
        QLibrary library(candidate);
        auto create = reinterpret_cast<CreateFactory>(library.resolve("createFactory"));
        if (!create) {
            tried << candidate + QStringLiteral(" (") + library.errorString() + QLatin1Char(')');
            continue;
        }
        m_hostFactory = new CStateFactory(QStringLiteral("host"));
        m_hostFactory->addCreator(QStringLiteral("page"), &createStateOf<CPageState>);
        m_hostFactory->setOptionalProperties(QStringLiteral("page"),
                                             {QStringLiteral("title"), QStringLiteral("text"), QStringLiteral("events"),
                                              QStringLiteral("input"), QStringLiteral("answer")});
        m_generic = create(m_hostFactory);
        return m_generic != nullptr;
    }
    if (error)
        *error = QStringLiteral("cannot load the setupfsm plug-in; tried: ") + tried.join(QStringLiteral(", "));
    return false;
}

CFsm* Host::build(const BuildOptions& options, QString* error, CDiagnostics* found)
{
    m_appProperties = std::make_unique<CPropertyObject>(nullptr, "application");
    const QString appPath = options.appPath.isEmpty() ? QFileInfo(options.file).absolutePath() : options.appPath;
    m_appProperties->setProperty("applicationPath", appPath);
    m_appProperties->setProperty("xmlPath", options.xmlPath);
    for (const auto& [key, value] : options.settings)
        m_appProperties->setProperty(key.toLatin1().constData(), value);

    CFsm* fsm = CFsm::loadTopFsm(m_generic, options.file, m_appProperties.get(), error, found);
    if (!fsm)
        return nullptr;
    fsm->setApplication(QCoreApplication::instance());
    for (const auto& [key, value] : options.properties)
        fsm->setProperty(key.toLatin1().constData(), value);
    return fsm;
}

bool splitAssignment(const QString& text, QString* key, QString* value)
{
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *key = text.left(eq);
    *value = text.mid(eq + 1);
    return true;
}
