// SPDX-License-Identifier: MIT
// The smallest host: builds the flow FILE through the library's factory, runs it and prints
// the exit event it took.
#include "engine/fsm.h"
#include "engine/object.h"
#include "engine/transition.h"
#include "plugin/plugin.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 64;
    std::unique_ptr<CStateFactory> factory(createFactory(nullptr));
    CPropertyObject appProperties(nullptr, "application");
    appProperties.setProperty("applicationPath", QFileInfo(QString::fromLocal8Bit(argv[1])).absolutePath());
    appProperties.setProperty("xmlPath", QStringLiteral("."));
    QString error;
    std::unique_ptr<CFsm> fsm(CFsm::loadTopFsm(factory.get(), QString::fromLocal8Bit(argv[1]), &appProperties, &error));
    if (!fsm || !fsm->errors().isEmpty()) {
        std::fprintf(stderr, "%s%s\n", qPrintable(error), fsm ? qPrintable(fsm->errors()) : "");
        return 1;
    }
    QObject::connect(fsm.get(), &CState::finished, [&](CState* state, CTransition*) {
        if (state == fsm.get()) {
            std::printf("exit %s\n", qPrintable(fsm->leaveEvent()));
            app.quit();
        }
    });
    fsm->enter();
    return app.exec();
}
