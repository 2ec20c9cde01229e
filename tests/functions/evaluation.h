// SPDX-License-Identifier: MIT
#pragma once
// Evaluates an expression text the way a transition does: a property map with the given owner,
// its input cells filled from a source object (value or object property of the cell's name).
#include "engine/object.h"
#include "engine/variantconv.h"
#include "propertymap/expression.h"
#include "propertymap/propertymap.h"

#include <QStringList>
#include <QTest>
#include <memory>

struct Evaluation {
    std::unique_ptr<CPropertyMap> map;
    bool evaluated = false;

    QString errors() const { return map->errors(); }
    QVariant value() const { return map->targetCell().value(); }
    CPropertyObject* object() const { return map->targetCell().object(); }
};

inline void fillInputs(CPropertyMap& map, const CPropertyObject* source)
{
    for (CProperty* cell : map.variables()) {
        const QByteArray name = cell->name().toLatin1();
        if (CPropertyObject* o = source ? source->objectProperty(name.constData()) : nullptr)
            cell->setObject(o);
        else
            cell->setValue(source ? source->property(name.constData()) : QVariant());
    }
}

inline Evaluation evaluate(const QString& text, const CPropertyObject* source = nullptr, CObject* owner = nullptr)
{
    Evaluation e;
    e.map = std::make_unique<CPropertyMap>(owner, QStringLiteral("target"), text);
    fillInputs(*e.map, source);
    e.evaluated = e.map->evaluate();
    return e;
}

// A value as test tables write it: lists as "[a, b]", an invalid value as "<invalid>".
inline QString render(const QVariant& v)
{
    if (!v.isValid())
        return QStringLiteral("<invalid>");
    const int type = v.metaType().id();
    if (type == QMetaType::QStringList || type == QMetaType::QVariantList) {
        QStringList entries;
        const QVariantList list = Qt3::toList(v);
        for (const QVariant& entry : list)
            entries.append(render(entry));
        return QLatin1Char('[') + entries.join(QLatin1String(", ")) + QLatin1Char(']');
    }
    return Qt3::toString(v);
}

// Evaluates a table row's expression and compares its type and rendered value. A failed
// comparison ends the helper; the caller's test function ends with it.
inline void compareValue(const QString& expression, const QString& type, const QString& result,
                         const CPropertyObject* source = nullptr)
{
    const Evaluation e = evaluate(expression, source);
    QCOMPARE(e.errors(), QString());
    QVERIFY(e.evaluated);
    QCOMPARE(Qt3::typeName(e.value()), type);
    QCOMPARE(render(e.value()), result);
}
