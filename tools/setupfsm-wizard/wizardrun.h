// SPDX-License-Identifier: MIT
#pragma once
#include "host.h"
#include "runpolicy.h"

#include <QObject>
#include <QTimer>
#include <memory>

class CFsm;
class WizardWindow;

// What `setupfsm-wizard` takes from its command line: the build options and the run options
// of `setupfsm run` that mean something in a window.
struct WizardOptions {
    Host::BuildOptions build;
    QString profile;
    double timeoutSeconds = 0;
    RunPolicy policy; // answers, --fail-on, --unattended
    QString traceInclude;
    QString traceExclude;
    bool traceIncludeSet = false;
    bool traceExcludeSet = false;
};

// Parses `setupfsm-wizard [options] FILE`; false with the error text on bad usage.
bool parseWizardOptions(const QStringList& arguments, WizardOptions* options, QString* error);

// One run of a flow in the wizard window: builds the flow, lends the window to its pages,
// follows its progress and ends with the exit statuses of `setupfsm run` (0 an exit event,
// 2 a failure exit or a page that cannot go on, 3 stalled, 4 time-out).
class WizardRun : public QObject {
    Q_OBJECT
public:
    WizardRun(WizardWindow* window, const WizardOptions& options);
    ~WizardRun() override;

    // Builds the flow and enters it from the event loop; false with the error text and the
    // exit status when the definition does not build (1) or the answers name no page (64).
    bool start(QString* error, int* status = nullptr);
    // -1 while the run goes on.
    int status() const { return m_status; }
    CFsm* root() const { return m_root.get(); }

Q_SIGNALS:
    // The run is over; the window shows the outcome until the user closes it.
    void ended(int status);

private:
    void connectRoot();
    void end(int status, const QString& title, const QString& text);

    WizardWindow* m_window;
    WizardOptions m_options;
    std::unique_ptr<CFsm> m_root;
    QTimer m_timeout;
    int m_status = -1;
};
