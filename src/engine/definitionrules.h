// SPDX-License-Identifier: MIT
#pragma once
// Rules of definition files that states, FSMs and actions read alike.
#include <QDomElement>
#include <QList>
#include <QString>

// The inner text of a value written as a translation, "tr(" text ")"; false for any other value,
// including one that opens "tr(" and never closes it.
bool unwrapTranslation(const QString& value, QString* inner);

// The "property" elements that apply to a node on the running system, in document order: those
// directly under it, and those directly under a "system" child (tag compared in lower case)
// whose "type" is "common" or matches the running system.
QList<QDomElement> applicablePropertyElements(const QDomNode& node);
