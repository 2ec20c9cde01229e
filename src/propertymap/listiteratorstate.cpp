// SPDX-License-Identifier: MIT
#include "propertymap/listiteratorstate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"

CListIteratorState::CListIteratorState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CListIteratorState::reset()
{
    m_position = -1;
    CState::reset();
}

void CListIteratorState::initialize()
{
    addRequiredProperty(QStringLiteral("list"));
    addRequiredProperty(QStringLiteral("currentItem"));
    addAnnouncedProperty(QStringLiteral("currentItem"));
    addEvents({QStringLiteral("nextItem"), QStringLiteral("lastItem")});
}

namespace {

// The "list" property as the iterator reads it. A string list is read in place: converting a
// long list on every step would make a loop quadratic.
class ListView {
public:
    explicit ListView(const QVariant& v)
        : m_isStrings(v.metaType().id() == QMetaType::QStringList)
    {
        if (m_isStrings)
            m_strings = v.toStringList();
        else
            m_variants = Qt3::toList(v);
    }
    qsizetype size() const { return m_isStrings ? m_strings.size() : m_variants.size(); }
    QVariant at(qsizetype i) const { return m_isStrings ? QVariant(m_strings.at(i)) : m_variants.at(i); }

private:
    bool m_isStrings;
    QStringList m_strings;
    QVariantList m_variants;
};

} // namespace

void CListIteratorState::enter()
{
    const ListView list(property("list"));
    const QVariant current = property("currentItem");
    SFSM_TRACE("utilityStates", QStringLiteral("Iterator current item (as string):") + Qt3::toString(current));

    qsizetype found = -1;
    if (m_position >= 0 && m_position < list.size() && Qt3::equals(list.at(m_position), current)) {
        found = m_position;
    } else {
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (Qt3::equals(list.at(i), current)) {
                found = i;
                break;
            }
        }
    }

    if (list.size() == 0 || found == list.size() - 1) {
        m_position = found;
        setLeaveEvent(QStringLiteral("lastItem"));
    } else {
        m_position = found + 1;
        setProperty("currentItem", list.at(m_position));
        setLeaveEvent(QStringLiteral("nextItem"));
    }
    leaveState();
}
