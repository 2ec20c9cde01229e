// SPDX-License-Identifier: MIT
#pragma once
// "readIniValue" reads typed values from the INI text of a file content object (from a
// "readFile" state); "constructIni" builds INI text from lists of keys and values. Both work
// inside enter() and leave at once.
#include "engine/state.h"

class CReadIniValueState : public CState {
    Q_OBJECT
public:
    CReadIniValueState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    // Key n is read with the type n and in the section n when those properties exist, else
    // with the type and in the section of the key before it; the keys run up to the first
    // missing number. A script with one section reads every key in it.
    void enter() override;

private:
    // The INI text of the "content" object; false when there is no file content object.
    bool contentText(QString* text) const;
};

class CConstructIniState : public CState {
    Q_OBJECT
public:
    CConstructIniState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;
};
