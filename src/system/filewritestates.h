// SPDX-License-Identifier: MIT
#pragma once
// States that write one file: "writeFile" from a CFileContent object property, "writeTextFile"
// from a string (optionally through a named codec), "appendToFile" adding a string at the end.
// A write that does not fully reach the file leaves with "failed".
#include "system/filestate.h"

#include <QIODevice>

class CWriteFileState : public CFileState {
    Q_OBJECT
public:
    CWriteFileState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;
};

class CWriteTextFileState : public CFileState {
    Q_OBJECT
public:
    CWriteTextFileState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;

protected:
    // Opens with the mode, writes the string and leaves with the outcome.
    void writeText(QIODevice::OpenMode mode, bool useCodec);
};

class CAppendToFileState : public CWriteTextFileState {
    Q_OBJECT
public:
    CAppendToFileState(QObject* parent, const char* name, const QDomNode& element);
    void enter() override;
};
