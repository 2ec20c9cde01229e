// SPDX-License-Identifier: MIT
#include "propertymap/functiontable.h"

#include "propertymap/arithmeticfunctions.h"
#include "propertymap/graphicfunctions.h"
#include "propertymap/regexpfunctions.h"
#include "propertymap/stringfunctions.h"

void addScalarFunctions(CFunctionTable& table)
{
    table.insert(QStringLiteral("add"), &makeFunction<CFunctionAdd>);
    table.insert(QStringLiteral("multiply"), &makeFunction<CFunctionMultiply>);
    table.insert(QStringLiteral("divide"), &makeFunction<CFunctionDivide>);
    table.insert(QStringLiteral("negate"), &makeFunction<CFunctionNegate>);
    table.insert(QStringLiteral("random"), &makeFunction<CFuntionRandom>);
    table.insert(QStringLiteral("concat"), &makeFunction<CFunctionConcat>);
    table.insert(QStringLiteral("uppercase"), &makeFunction<CFunctionUppercase>);
    table.insert(QStringLiteral("lowercase"), &makeFunction<CFunctionLowercase>);
    table.insert(QStringLiteral("replace"), &makeFunction<CFunctionReplace>);
    table.insert(QStringLiteral("substr"), &makeFunction<CFunctionSubstr>);
    table.insert(QStringLiteral("pos"), &makeFunction<CFunctionPos>);
    table.insert(QStringLiteral("len"), &makeFunction<CFunctionLen>);
    table.insert(QStringLiteral("section"), &makeFunction<CFunctionSection>);
    table.insert(QStringLiteral("safexml"), &makeFunction<CFunctionSafeXML>);
    table.insert(QStringLiteral("tr"), &makeFunction<CFunctionTr>);
    table.insert(QStringLiteral("split"), &makeFunction<CFunctionSplit>);
    table.insert(QStringLiteral("join"), &makeFunction<CFunctionJoin>);
    table.insert(QStringLiteral("grep"), &makeFunction<CFunctionGrep>);
    table.insert(QStringLiteral("gres"), &makeFunction<CFunctionGres>);
    table.insert(QStringLiteral("list"), &makeFunction<CFunctionList>);
    table.insert(QStringLiteral("color"), &makeFunction<CFunctionColor>);
    table.insert(QStringLiteral("pixmap"), &makeFunction<CFunctionPixmap>);
    table.insert(QStringLiteral("font"), &makeFunction<CFunctionFont>);
    table.insert(QStringLiteral("point"), &makeFunction<CFunctionPoint>);
    table.insert(QStringLiteral("size"), &makeFunction<CFunctionSize>);
}
