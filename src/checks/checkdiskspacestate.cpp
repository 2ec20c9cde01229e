// SPDX-License-Identifier: MIT
#include "checks/checkdiskspacestate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"
#include "platform/diskspace.h"

#include <optional>

namespace {

// The amount in KiB, or nothing when it is no whole number of at least 0. Converting "abc" or
// "-1" to 0 would let any path pass the check.
std::optional<quint64> requiredKiB(const QVariant& value)
{
    bool ok = false;
    if (Qt3::isNumber(value)) {
        const double d = value.toDouble();
        if (d >= 0)
            return Qt3::toULongLong(value);
        return std::nullopt;
    }
    const quint64 n = Qt3::toString(value).trimmed().toULongLong(&ok);
    return ok ? std::optional<quint64>(n) : std::nullopt;
}

} // namespace

CCheckDiskSpaceState::CCheckDiskSpaceState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CCheckDiskSpaceState::initialize()
{
    addEvents({QStringLiteral("true"), QStringLiteral("false")});
    addRequiredProperty(QStringLiteral("path"));
    addRequiredProperty(QStringLiteral("required"));
    addAnnouncedProperty(QStringLiteral("free"));
    addAnnouncedProperty(QStringLiteral("total"));
}

void CCheckDiskSpaceState::leaveWith(const QString& event)
{
    setLeaveEvent(event);
    leaveState();
}

void CCheckDiskSpaceState::enter()
{
    setLeaveEvent(QStringLiteral("false"));
    const QString path = expandMacros(Qt3::toString(property("path")));
    const QVariant requiredValue = property("required");
    const std::optional<Platform::DiskSpace> space = Platform::diskSpace(path);
    if (!space) {
        SFSM_TRACE("systemStates", QStringLiteral("Disk space: cannot read the file system of \"") + path
                                       + QStringLiteral("\""));
        leaveWith(QStringLiteral("false"));
        return;
    }
    const quint64 free = space->availableBytes >> 10;
    const quint64 total = space->totalBytes >> 10;
    setProperty("free", qulonglong(free));
    setProperty("total", qulonglong(total));
    const std::optional<quint64> required = requiredKiB(requiredValue);
    if (!required) {
        SFSM_TRACE("systemStates", QStringLiteral("Disk space: required amount \"") + Qt3::toString(requiredValue)
                                       + QStringLiteral("\" is no number of KiB"));
        leaveWith(QStringLiteral("false"));
        return;
    }
    const bool enough = free >= *required;
    SFSM_TRACE("systemStates", QStringLiteral("Disk space of \"%1\": %2 KiB free of %3 KiB, %4 KiB required")
                                   .arg(path, QString::number(free), QString::number(total),
                                        QString::number(*required)));
    leaveWith(enough ? QStringLiteral("true") : QStringLiteral("false"));
}
