// SPDX-License-Identifier: MIT
#pragma once
// Runs small definition files through the library's own factory, as a host does, and collects
// the trace lines written meanwhile.
#include "engine/fsm.h"
#include "engine/transition.h"
#include "engine/trace.h"
#include "platform/platform.h"
#include "plugin/plugin.h"
#include "support/flowrunner.h"

#include <QDomDocument>
#include <QFile>
#include <QMap>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <memory>

namespace SystemTest {

using FlowTest::Flow;
using FlowTest::propertyElements;
using FlowTest::singleStateFlow;
using FlowTest::TraceLines;

// An emulation profile written to a temporary file and made current; the previous state is
// restored when the object goes.
class Profile {
public:
    explicit Profile(const QString& iniText)
    {
        if (!iniText.isNull()) {
            const QString file = m_dir.filePath(QStringLiteral("profile.ini"));
            QFile f(file);
            if (f.open(QIODevice::WriteOnly))
                f.write(iniText.toUtf8());
            qputenv("SETUPFSM_PROFILE", file.toUtf8());
        } else {
            qunsetenv("SETUPFSM_PROFILE");
        }
        Platform::reloadProfile();
    }
    ~Profile()
    {
        qunsetenv("SETUPFSM_PROFILE");
        Platform::reloadProfile();
    }
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

private:
    QTemporaryDir m_dir;
};

} // namespace SystemTest
