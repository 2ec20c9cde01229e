// SPDX-License-Identifier: MIT
#include "settings/registrystates.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "platform/settingsstore.h"
#include "settings/registryvalue.h"

CRegistryState::CRegistryState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

CRegistryState::~CRegistryState() = default;

void CRegistryState::addLocation(const QStringList& events)
{
    addEvents(events);
    addRequiredProperty(QStringLiteral("domain"));
    addRequiredProperty(QStringLiteral("product"));
    addRequiredProperty(QStringLiteral("key"));
}

std::unique_ptr<Platform::CSettingsStore> CRegistryState::openStore() const
{
    const bool global = Qt3::toString(property("scope")).toLower() == QLatin1String("global");
    return std::make_unique<Platform::CSettingsStore>(global ? Platform::SettingsScope::Machine
                                                             : Platform::SettingsScope::User,
                                                      Qt3::toString(property("domain")),
                                                      Qt3::toString(property("product")));
}

QString CRegistryState::key() const
{
    return Qt3::toString(property("key"));
}

QString CRegistryState::valueType() const
{
    return Qt3::toString(property("type")).toLower();
}

void CRegistryState::leaveWith(const QString& event)
{
    setLeaveEvent(event);
    leaveState();
}

void CRegistryState::traceFailure(const char* what, const Platform::CSettingsStore& store) const
{
    SFSM_TRACE("registryStates", QLatin1String(what) + QStringLiteral(" registry value ") + key()
                                     + QStringLiteral(" in ") + store.fileName() + QStringLiteral(": ")
                                     + store.errorText());
}

CReadRegistryState::CReadRegistryState(QObject* parent, const char* name, const QDomNode& element)
    : CRegistryState(parent, name, element)
{
}

void CReadRegistryState::initialize()
{
    addLocation({QStringLiteral("success"), QStringLiteral("failed")});
    addAnnouncedProperty(QStringLiteral("value"));
}

void CReadRegistryState::enter()
{
    const auto store = openStore();
    QVariant stored;
    QVariant value;
    if (!store->read(key(), &stored) || !RegistryValue::fromStored(valueType(), stored, &value)) {
        leaveWith(QStringLiteral("failed"));
        return;
    }
    setProperty("value", value);
    leaveWith(QStringLiteral("success"));
}

CWriteRegistryState::CWriteRegistryState(QObject* parent, const char* name, const QDomNode& element)
    : CRegistryState(parent, name, element)
{
}

void CWriteRegistryState::initialize()
{
    addLocation({QStringLiteral("success"), QStringLiteral("failed")});
    addRequiredProperty(QStringLiteral("value"));
}

void CWriteRegistryState::enter()
{
    const auto store = openStore();
    if (!store->write(key(), RegistryValue::toStored(valueType(), property("value")))) {
        traceFailure("Failed writing", *store);
        leaveWith(QStringLiteral("failed"));
        return;
    }
    leaveWith(QStringLiteral("success"));
}

CRemoveFromRegistryState::CRemoveFromRegistryState(QObject* parent, const char* name, const QDomNode& element)
    : CRegistryState(parent, name, element)
{
}

void CRemoveFromRegistryState::initialize()
{
    addLocation({QStringLiteral("success"), QStringLiteral("failed")});
}

void CRemoveFromRegistryState::enter()
{
    const auto store = openStore();
    QVariant stored;
    if (!store->read(key(), &stored)) {
        leaveWith(QStringLiteral("failed"));
        return;
    }
    if (!store->remove(key())) {
        traceFailure("Failed removing", *store);
        leaveWith(QStringLiteral("failed"));
        return;
    }
    leaveWith(QStringLiteral("success"));
}

CRegistryEntryListState::CRegistryEntryListState(QObject* parent, const char* name, const QDomNode& element)
    : CRegistryState(parent, name, element)
{
}

void CRegistryEntryListState::initialize()
{
    addLocation({QStringLiteral("finished")});
    addAnnouncedProperty(QStringLiteral("keyList"));
}

void CRegistryEntryListState::enter()
{
    setProperty("keyList", openStore()->entryList(key()));
    leaveWith(QStringLiteral("finished"));
}
