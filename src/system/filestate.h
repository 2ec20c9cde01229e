// SPDX-License-Identifier: MIT
#pragma once
// The common ground of the states that work on one file or folder synchronously inside enter():
// the path macros and the leaving with an event.
#include "engine/state.h"
#include "system/standardpaths.h"

class QFile;
class QTextCodec;

class CFileState : public CState, public IStandardPaths {
    Q_OBJECT
public:
    CFileState(QObject* parent, const char* name, const QDomNode& element);

protected:
    // The "path" property as a string with its macros expanded.
    QString expandedPath() const;
    void leaveWith(const QString& event);
    // The codec named by an optional "codec" property, or null for none or an unknown name
    // (the default encoding, UTF-8, applies then).
    QTextCodec* requestedCodec() const;
    // Writes all bytes through to the file; false when any of them did not reach it.
    [[nodiscard]] static bool writeAll(QFile& file, const QByteArray& bytes);
};
