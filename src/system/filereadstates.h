// SPDX-License-Identifier: MIT
#pragma once
// States that read one whole file: "readFile" into a CFileContent object property (raw bytes
// or text), "readTextFile" into a string property, optionally through a named codec.
#include "system/filestate.h"

class QFile;

class CReadFileState : public CFileState {
    Q_OBJECT
public:
    CReadFileState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;

protected:
    // Traces the path and opens the file; on failure it leaves with the event and returns false.
    bool openForReading(QFile& file);
};

class CReadTextFileState : public CReadFileState {
    Q_OBJECT
public:
    CReadTextFileState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;
};
