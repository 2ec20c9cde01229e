// SPDX-License-Identifier: MIT
#include "wizardrun.h"
#include "wizardwindow.h"

#include "engine/fsm.h"
#include "engine/trace.h"
#include "engine/transition.h"
#include "engine/variantconv.h"
#include "platform/platform.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool takesValue(const QString& name)
{
    static const QStringList valued = {QStringLiteral("set"),     QStringLiteral("property"),
                                       QStringLiteral("app-path"), QStringLiteral("xml-path"),
                                       QStringLiteral("profile"), QStringLiteral("timeout"),
                                       QStringLiteral("answer"),  QStringLiteral("trace-include"),
                                       QStringLiteral("trace-exclude"), QStringLiteral("answers"),
                                       QStringLiteral("fail-on")};
    return valued.contains(name);
}

bool applyOption(const QString& name, const QString& value, WizardOptions* o, QString* error)
{
    QString key, assigned;
    if ((name == QLatin1String("set") || name == QLatin1String("property") || name == QLatin1String("answer"))
        && !splitAssignment(value, &key, &assigned)) {
        *error = QStringLiteral("option '--%1' needs NAME=VALUE, not '%2'").arg(name, value);
        return false;
    }
    if (name == QLatin1String("set")) {
        o->build.settings.append(qMakePair(key, assigned));
    } else if (name == QLatin1String("property")) {
        o->build.properties.append(qMakePair(key, assigned));
    } else if (name == QLatin1String("answer")) {
        o->policy.answers.add(key, assigned);
    } else if (name == QLatin1String("answers")) {
        return o->policy.answers.addFile(value, error);
    } else if (name == QLatin1String("fail-on")) {
        return o->policy.addFailOn(value, error);
    } else if (name == QLatin1String("app-path")) {
        o->build.appPath = value;
    } else if (name == QLatin1String("xml-path")) {
        o->build.xmlPath = value;
    } else if (name == QLatin1String("profile")) {
        if (!QFileInfo(value).isFile()) {
            *error = QStringLiteral("profile '%1' does not exist").arg(value);
            return false;
        }
        o->profile = value;
    } else if (name == QLatin1String("timeout")) {
        bool ok = false;
        o->timeoutSeconds = value.toDouble(&ok);
        if (!ok || !(o->timeoutSeconds > 0)) {
            *error = QStringLiteral("--timeout needs a positive number of seconds, not '%1'").arg(value);
            return false;
        }
    } else if ((name == QLatin1String("trace-include") || name == QLatin1String("trace-exclude"))
               && !QRegularExpression(value).isValid()) {
        // As in the console host: an invalid pattern would silently hide every line.
        const QRegularExpression re(value);
        *error = QStringLiteral("--%1: '%2' is no valid regular expression: %3 (at offset %4)")
                     .arg(name, value, re.errorString())
                     .arg(re.patternErrorOffset());
        return false;
    } else if (name == QLatin1String("trace-include")) {
        o->traceInclude = value;
        o->traceIncludeSet = true;
    } else if (name == QLatin1String("trace-exclude")) {
        o->traceExclude = value;
        o->traceExcludeSet = true;
    }
    return true;
}

} // namespace

bool parseWizardOptions(const QStringList& arguments, WizardOptions* o, QString* error)
{
    QStringList positional;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString arg = arguments.at(i);
        if (!arg.startsWith(QLatin1String("--")) || arg.size() == 2) {
            if (arg != QLatin1String("--"))
                positional << arg;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        }
        if (name == QLatin1String("unattended") && eq < 0) {
            o->policy.unattended = true;
            continue;
        }
        if (!takesValue(name)) {
            *error = QStringLiteral("unknown option '--%1'").arg(name);
            return false;
        }
        if (eq < 0) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("option '--%1' needs a value").arg(name);
                return false;
            }
            value = arguments.at(++i);
        }
        if (!applyOption(name, value, o, error))
            return false;
    }
    if (positional.size() != 1) {
        *error = positional.isEmpty() ? QStringLiteral("no definition file given")
                                      : QStringLiteral("one definition file expected, got: %1").arg(positional.join(QLatin1Char(' ')));
        return false;
    }
    o->build.file = positional.first();
    return true;
}

WizardRun::WizardRun(WizardWindow* window, const WizardOptions& options) : m_window(window), m_options(options)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        end(4, tr("Setup stopped"), tr("The setup did not finish within %1 seconds.").arg(m_options.timeoutSeconds));
    });
}

WizardRun::~WizardRun()
{
    PageHost::instance() = PageHost();
    Trace::setSink(nullptr);
    if (m_root)
        m_root->leave();
}

bool WizardRun::start(QString* error, int* status)
{
    if (status)
        *status = 1;
    if (!m_options.profile.isEmpty()) {
        qputenv("SETUPFSM_PROFILE", m_options.profile.toLocal8Bit());
        Platform::reloadProfile();
    }
    if (m_options.traceIncludeSet)
        Trace::setIncludeFilter(m_options.traceInclude);
    if (m_options.traceExcludeSet)
        Trace::setExcludeFilter(m_options.traceExclude);
    Trace::setSink([window = m_window](const QString& text) { window->addTrace(text); });

    Host& host = Host::instance();
    if (!host.load(error))
        return false;
    m_root.reset(host.build(m_options.build, error));
    if (!m_root)
        return false;
    if (!m_root->errors().isEmpty()) {
        *error = m_root->errors();
        return false;
    }
    // A misspelt page name must not let the run guess.
    const QString mismatch = m_options.policy.mismatch(m_root.get());
    if (!mismatch.isEmpty()) {
        *error = mismatch;
        if (status)
            *status = 64;
        return false;
    }
    PageHost& pages = PageHost::instance();
    pages.presenter = m_window;
    pages.takeAnswer = [this](const QString& name, const QString& fullName) {
        return m_options.policy.answers.take(name, fullName);
    };
    pages.unattended = m_options.policy.unattended;
    pages.unanswered = [this](CPageState*, const QString& why) { end(2, tr("Setup stopped"), why); };
    pages.badAnswer = [this](CPageState*, const QString& why) { m_window->addTrace(why); };
    connectRoot();
    const QString product = Qt3::toString(m_root->property("product"));
    if (!product.isEmpty())
        m_window->setWindowTitle(tr("%1 Setup").arg(product));
    if (m_options.timeoutSeconds > 0)
        m_timeout.start(int(qMin(m_options.timeoutSeconds * 1000.0, 2147483647.0)));
    QTimer::singleShot(0, m_root.get(), [root = m_root.get()] { root->enter(); });
    return true;
}

void WizardRun::connectRoot()
{
    CFsm* root = m_root.get();
    connect(root, &CFsm::stateChanged, this, [this](CFsm*, CState*, CState* to) {
        if (to && !to->isFsm() && !qobject_cast<CPageState*>(to))
            m_window->showWork(to->fullName());
    });
    connect(root, &CState::progress, m_window, &WizardWindow::setProgress);
    connect(root, &CState::finished, this, [this, root](CState* s, CTransition*) {
        if (s != root)
            return;
        const QString exit = root->leaveEvent();
        const QString reason = Qt3::toString(root->property("errorString"));
        QString text = tr("The setup ended with \"%1\".").arg(exit);
        if (!reason.isEmpty())
            text += QLatin1Char('\n') + reason;
        const int status = m_options.policy.exitStatus(root, exit);
        end(status, status == 0 ? tr("Setup complete") : tr("Setup failed"), text);
    });
    connect(root, &CFsm::stalled, this, [this](CFsm* f, const QString& message) {
        end(3, tr("Setup failed"), tr("The setup stopped in %1: %2").arg(f->fullName(), message));
    });
}

void WizardRun::end(int status, const QString& title, const QString& text)
{
    if (m_status >= 0)
        return;
    m_status = status;
    m_timeout.stop();
    m_window->showOutcome(title, text, status != 0);
    Q_EMIT ended(status);
}
