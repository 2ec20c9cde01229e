// SPDX-License-Identifier: MIT
#include "wizardrun.h"
#include "wizardwindow.h"

#include "engine/trace.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("setupfsm-wizard"));
    Trace::setStderrEnabled(false);

    WizardOptions options;
    QString error;
    if (!parseWizardOptions(app.arguments().mid(1), &options, &error)) {
        std::fprintf(stderr, "setupfsm-wizard: %s\nUsage: setupfsm-wizard [options of setupfsm run] FILE\n",
                     qPrintable(error));
        return 64;
    }
    WizardWindow window;
    WizardRun run(&window, options);
    int status = 1;
    if (!run.start(&error, &status)) {
        std::fprintf(stderr, "setupfsm-wizard: %s\n", qPrintable(error));
        return status;
    }
    QObject::connect(&window, &WizardWindow::closed, &app, [&] { QCoreApplication::exit(run.status()); });
    window.show();
    return app.exec();
}
