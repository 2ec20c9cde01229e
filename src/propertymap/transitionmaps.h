// SPDX-License-Identifier: MIT
#pragma once
// The property maps a transition carries, in the order they were written.
#include "engine/transitionmaps.h"

#include <QList>

class CPropertyMap;

class CTransitionMaps : public ITransitionMaps {
public:
    explicit CTransitionMaps(CTransition* transition);
    ~CTransitionMaps() override;
    CTransitionMaps(const CTransitionMaps&) = delete;
    CTransitionMaps& operator=(const CTransitionMaps&) = delete;

    bool add(const QString& target, const QString& function) override;
    QString errors() const override;
    qsizetype count() const override { return m_maps.size(); }
    void announce() override;
    void apply() override;

    const QList<CPropertyMap*>& maps() const { return m_maps; }

private:
    CTransition* m_transition;
    QList<CPropertyMap*> m_maps;
};

// The maker the module installs into the engine.
ITransitionMaps* makeTransitionMaps(CTransition* transition);
