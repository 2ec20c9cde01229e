// SPDX-License-Identifier: MIT
#include "process/startappaction.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "process/enumprocess.h"
#include "process/process.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <csignal>

namespace {

const char kCategory[] = "startprocessaction";

void trace(const QString& text)
{
    SFSM_TRACE(kCategory, text);
}

// A list gives one argument per entry, unchanged. A definition file can only write a text: its
// words, separated by blanks, are the arguments, as they were on the command line the text
// was written for.
QStringList argumentsOf(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QStringList || value.metaType().id() == QMetaType::QVariantList)
        return Qt3::toStringList(value);
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return Qt3::toString(value).split(blanks, Qt::SkipEmptyParts);
}

} // namespace

CActionStartApp::CActionStartApp(QObject* parent, const char* name) : CThreadedAction(parent, name) {}

CActionStartApp::CActionStartApp(QObject* parent, const char* name, const QDomNode& element)
    : CThreadedAction(parent, name, element)
{
}

CActionStartApp::~CActionStartApp()
{
    m_canceller.cancel();
    stopAndWait();
}

void CActionStartApp::reset()
{
    m_canceller.rearm();
    m_hasReturnCode.store(false, std::memory_order_relaxed);
    m_returnCode.store(0, std::memory_order_relaxed);
    m_opened.reset();
    // The job of an earlier entry has ended by now; its child, if it still runs, runs on.
    delete m_process;
    m_process = new CProcess(this);
    readInputs();
    CThreadedAction::reset();
}

void CActionStartApp::readInputs()
{
    Inputs in;
    in.undo = hasProperty("undo") && Qt3::toBool(property("undo"));
    in.command = Qt3::toString(property("command"));
    in.arguments = argumentsOf(property("argumentList"));
    // Asking the system for its standard folders costs more than a short program's start;
    // only texts that hold a macro need them.
    bool macros = containsMacro(in.command);
    for (const QString& a : std::as_const(in.arguments))
        macros = macros || containsMacro(a);
    if (macros) {
        initStandardPaths();
        in.command = expandMacros(in.command);
        for (QString& a : in.arguments)
            a = expandMacros(a);
    }
    in.timeout = Qt3::toInt(property("timeout"));
    in.admin = Qt3::toBool(property("admin"));
    in.attachProcess = Qt3::toString(property("attachProcess"));
    m_inputs = in;
}

void CActionStartApp::abort()
{
    m_canceller.cancel();
    CThreadedAction::abort();
}

int CActionStartApp::totalSteps() const
{
    return m_inputs.timeout >= 1 ? m_inputs.timeout : 5;
}

int CActionStartApp::doAction()
{
    const Inputs& in = m_inputs;
    int result = Failed;
    int code = 0;
    if (in.undo) {
        result = stopProcess(in.command, in.timeout, &code);
        setReturnCode(code);
    } else if (Platform::ProcessHandle* process = startProcess(in.command, in.arguments, in.admin)) {
        traceStarted(*process);
        // Without a time-out the program is started and left to run.
        result = Finished;
        if (in.timeout != 0) {
            result = waitForProcess(*process, in.timeout, &code);
            if (result == Finished)
                setReturnCode(code);
            // A prompt for the password that was cancelled or failed is a failed start.
            if (result == Finished && process == &m_process->handle() && m_process->startedThroughPkexec()
                && (code == 126 || code == 127)) {
                trace(QStringLiteral("  error: the administrator's password was not given (pkexec ended with %1)").arg(code));
                result = Failed;
            }
        }
    }
    setFinishEvent(result == Finished ? QStringLiteral("success") : QStringLiteral("failed"));
    return result;
}

Platform::ProcessHandle* CActionStartApp::startProcess(const QString& command, const QStringList& arguments,
                                                       bool admin)
{
    // A second copy of a setup program would fight the first; wait for the running one.
    if (CEnumProcess::findProcess(QFileInfo(command).fileName()) != 0) {
        trace(QStringLiteral("startProcess() process already running"));
        m_opened = std::make_unique<Platform::ProcessHandle>();
        return openProcess(QFileInfo(command).fileName(), *m_opened) ? m_opened.get() : nullptr;
    }
    m_process->setArguments(QStringList(command) + arguments);
    const bool started = admin ? m_process->startAsAdministrator() : m_process->start();
    if (!started) {
        trace(QStringLiteral("startProcess() start failed"));
        trace(QStringLiteral("  error: ") + m_process->errorString());
        return nullptr;
    }
    trace(QStringLiteral("startProcess() start success"));
    return &m_process->handle();
}

void CActionStartApp::traceStarted(const Platform::ProcessHandle& process)
{
    trace(QStringLiteral("Process started, handle = ") + QString::number(process.pid()));
}

bool CActionStartApp::openProcess(const QString& fileName, Platform::ProcessHandle& handle)
{
    const qint64 pid = CEnumProcess::findProcess(fileName);
    if (pid == 0)
        return false;
    int error = 0;
    if (!handle.open(pid, &error)) {
        trace(QStringLiteral("Unable to open process, GetLastError = ") + QString::number(error));
        return false;
    }
    return true;
}

int CActionStartApp::waitForProcess(Platform::ProcessHandle& process, int timeout, int* code)
{
    bool ended = false;
    for (int n = 0; timeout < 0 || n < timeout; ++n) {
        const Platform::WaitResult r = process.wait(1000, &m_canceller);
        if (r == Platform::WaitResult::Cancelled)
            return Failed;
        if (r == Platform::WaitResult::Ended) {
            ended = true;
            break;
        }
        step();
    }
    if (!ended) {
        trace(QStringLiteral("Process timeout"));
        return TimedOut;
    }
    if (process.exitCodeKnown()) {
        *code = process.exitCode();
        trace(QStringLiteral("Process finished, return code = ") + QString::number(*code));
    } else {
        *code = 0;
        trace(QStringLiteral("Process finished, failed to get return code."));
    }
    return Finished;
}

int CActionStartApp::stopProcess(const QString& command, int timeout, int* code)
{
    Platform::ProcessHandle target;
    if (!openProcess(QFileInfo(command).fileName(), target) || !target.sendSignal(SIGTERM)) {
        trace(QStringLiteral("Process not stopped"));
        return Failed;
    }
    if (timeout == 0)
        return Finished;
    const int result = waitForProcess(target, timeout, code);
    // A program that ignores the request to end is ended by force once its time is up.
    if (result == TimedOut)
        target.sendSignal(SIGKILL);
    return result;
}

bool CActionStartApp::pause(int ms)
{
    return m_canceller.sleep(ms);
}

void CActionStartApp::setReturnCode(int code)
{
    m_returnCode.store(quint32(code), std::memory_order_relaxed);
    m_hasReturnCode.store(true, std::memory_order_release);
}

CActionStartInstallShield7::CActionStartInstallShield7(QObject* parent, const char* name)
    : CActionStartApp(parent, name)
{
}

CActionStartInstallShield7::CActionStartInstallShield7(QObject* parent, const char* name, const QDomNode& element)
    : CActionStartApp(parent, name, element)
{
}

int CActionStartInstallShield7::totalSteps() const
{
    return (inputs().timeout >= 0 ? inputs().timeout : 5) + 10;
}

int CActionStartInstallShield7::doAction()
{
    const Inputs& in = inputs();
    const QString attach = in.attachProcess.isEmpty() ? QStringLiteral("instr.exe") : in.attachProcess;
    int result = Failed;
    if (Platform::ProcessHandle* first = startProcess(in.command, in.arguments, in.admin)) {
        traceStarted(*first);
        int code = 0;
        result = in.timeout == 0 ? Finished : waitForProcess(*first, in.timeout, &code);
        if (result == Finished) {
            // The engine hands over to a second process that it starts itself, maybe a little later.
            Platform::ProcessHandle second;
            bool attached = false;
            for (int tries = 0; tries < 10 && !attached; ++tries) {
                attached = openProcess(attach, second);
                if (!attached) {
                    if (!pause(1000))
                        break;
                    step();
                }
            }
            result = NotAttached;
            if (attached) {
                code = 0;
                result = in.timeout == 0 ? Finished : waitForProcess(second, in.timeout, &code);
                if (result == Finished && in.timeout != 0)
                    setReturnCode(code);
            }
        }
    }
    setFinishEvent(result == Finished ? QStringLiteral("success") : QStringLiteral("failed"));
    return result;
}
