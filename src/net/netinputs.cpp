// SPDX-License-Identifier: MIT
#include "net/netinputs.h"
#include "engine/variantconv.h"
#include "ipkit/ipinterface.h"

#include <QRegularExpression>

namespace NetInputs {

QStringList addressTexts(const QVariant& value)
{
    QStringList texts;
    if (value.typeId() == QMetaType::QString) {
        static const QRegularExpression separators(QStringLiteral("[;,]"));
        texts = value.toString().split(separators, Qt::SkipEmptyParts);
    } else {
        texts = Qt3::toStringList(value);
    }
    for (QString& t : texts)
        t = t.trimmed();
    if (texts.size() == 1 && texts.constFirst().isEmpty())
        texts.clear();
    return texts;
}

CIpInterface* interfaceProperty(const CPropertyObject& holder, const char* name)
{
    return qobject_cast<CIpInterface*>(holder.objectProperty(name));
}

} // namespace NetInputs
