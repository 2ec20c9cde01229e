// SPDX-License-Identifier: MIT
#pragma once
// Graphic values (colours, fonts, pixmaps) need a GUI application object; the fuzzers make
// one on the offscreen platform, with the trace silenced so it does not drown their output.
#include "engine/trace.h"

#include <QGuiApplication>

inline void startFuzzApplication(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Trace::setIncludeFilter(QStringLiteral("^$"));
    static QGuiApplication app(*argc, *argv);
}
