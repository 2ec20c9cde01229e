// SPDX-License-Identifier: MIT
#pragma once
// The states on the system's settings store: "readRegistry", "writeRegistry",
// "removeFromRegistry" and "registryEntryList". Each opens the entries of "domain" and
// "product" in the scope "scope" ("global" in any case for the machine-wide one, anything
// else the user's), works on "key" ("/"-separated groups) inside enter() and leaves at once.
// A missing entry is no error; a store that cannot be written writes a "registryStates" trace
// line with the file and the reason before the state leaves with "failed".
#include "engine/state.h"

#include <memory>

namespace Platform {
class CSettingsStore;
}

class CRegistryState : public CState {
    Q_OBJECT
public:
    CRegistryState(QObject* parent, const char* name, const QDomNode& element);
    ~CRegistryState() override;

protected:
    // Requires "domain", "product" and "key" and adds the events.
    void addLocation(const QStringList& events);
    std::unique_ptr<Platform::CSettingsStore> openStore() const;
    QString key() const;
    // "type" in lower case.
    QString valueType() const;
    void leaveWith(const QString& event);
    void traceFailure(const char* what, const Platform::CSettingsStore& store) const;
};

class CReadRegistryState : public CRegistryState {
    Q_OBJECT
public:
    CReadRegistryState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    // "value" is set only when the entry exists and reads as the type; otherwise it keeps
    // what it held and the state fails, so "default" never shows.
    void enter() override;
};

class CWriteRegistryState : public CRegistryState {
    Q_OBJECT
public:
    CWriteRegistryState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    void enter() override;
};

class CRemoveFromRegistryState : public CRegistryState {
    Q_OBJECT
public:
    CRemoveFromRegistryState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    // Removes the value only; entries in groups below the same name stay. A value that does
    // not exist fails.
    void enter() override;
};

class CRegistryEntryListState : public CRegistryState {
    Q_OBJECT
public:
    CRegistryEntryListState(QObject* parent, const char* name, const QDomNode& element);
    void initialize() override;
    // "keyList": the names of the values directly in the key's group, without its groups.
    void enter() override;
};
