// SPDX-License-Identifier: MIT
#include "expressionfuzz.h"

#include "engine/object.h"
#include "engine/variantconv.h"
#include "propertymap/expression.h"
#include "propertymap/propertymap.h"

#include <QHash>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

void checkErrorText(const CPropertyMap& map)
{
    const QString errors = map.errors();
    check(map.isValid() == errors.isEmpty(), "a map is valid exactly when it has no error text");
    check(errors.isEmpty() || errors.endsWith(QLatin1Char('\n')), "every error line ends with a line feed");
}

// The object behind some references: a few values and an object of its own. Made anew for
// every input, since functions may change the objects they are given.
std::unique_ptr<CPropertyObject> sampleObject()
{
    auto o = std::make_unique<CPropertyObject>(nullptr, "sample");
    o->setProperty("a", QStringLiteral("x"));
    o->setProperty("n", qlonglong(3));
    auto* child = new CPropertyObject(nullptr, "child");
    child->setProperty("b", 2.5);
    o->setObjectProperty("child", child);
    return o;
}

void fill(CProperty* cell, CPropertyObject* sample)
{
    static const QList<QVariant> values {
        QVariant(QStringLiteral("abc")),
        QVariant(qlonglong(42)),
        QVariant(-2.5),
        QVariant(QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a")}),
        QVariant(QVariantList {qlonglong(1), QStringLiteral("x"), QVariant(QStringList {QStringLiteral("y")})}),
        QVariant(QString(QLatin1String(""))),
        QVariant(QStringLiteral("9223372036854775807")),
        QVariant(QStringLiteral("<a b='1'><c/></a>")),
    };
    const uint pick = qHash(cell->name()) % uint(values.size() + 1);
    if (pick == uint(values.size()))
        cell->setObject(sample);
    else
        cell->setValue(values.at(int(pick)));
}

// Reads the result the way the transition and its trace do.
void consume(CPropertyMap& map)
{
    if (!map.evaluate())
        return;
    const CProperty target = map.target();
    check(target.isSet(), "an evaluated map has set its target");
    if (CPropertyObject* o = target.object()) {
        delete o->clone();
        return;
    }
    const QVariant v = target.value();
    (void)Qt3::toString(v).size();
    (void)Qt3::toList(v).size();
    (void)Qt3::typeName(v);
}

QString textOf(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace

void fuzzParse(const uint8_t* data, size_t size)
{
    CPropertyMap map(nullptr, QStringLiteral("x"), textOf(data, size));
    checkErrorText(map);
    for (const CProperty* cell : map.variables())
        check(!cell->isSet(), "input cells start unset");
}

void fuzzEvaluate(const uint8_t* data, size_t size)
{
    // Outlives the map, whose cells and nodes may point to it.
    const std::unique_ptr<CPropertyObject> sample = sampleObject();
    CPropertyMap map(nullptr, QStringLiteral("x"), textOf(data, size));
    checkErrorText(map);
    if (!map.isValid())
        return;
    for (CProperty* cell : map.variables())
        fill(cell, sample.get());
    consume(map);
    consume(map);
}
