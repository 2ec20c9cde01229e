// SPDX-License-Identifier: MIT
#include "xml/parsexmlstate.h"

#include "engine/variantconv.h"
#include "engine/xmldepth.h"
#include "xml/xpathnode.h"

#include <QDomDocument>

CParseXmlState::CParseXmlState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CParseXmlState::initialize()
{
    addEvents({QStringLiteral("finished"), QStringLiteral("invalid")});
    addRequiredProperty(QStringLiteral("xmlContent"));
    addAnnouncedProperty(QStringLiteral("xmlDocument"));
    addAnnouncedProperty(QStringLiteral("error"));
}

void CParseXmlState::enter()
{
    const QString content = Qt3::toString(property("xmlContent"));
    QDomDocument document;
    QString message;
    qint64 deepLine = 0;
    qint64 deepColumn = 0;
    if (xmlNestsTooDeep(content, message, deepLine, deepColumn)) {
        setProperty("error", QStringLiteral("Parse error on line %1, column %2: %3").arg(deepLine).arg(deepColumn).arg(message));
        setLeaveEvent(QStringLiteral("invalid"));
        leaveState();
        return;
    }
    int line = 0;
    int column = 0;
    if (document.setContent(content, false, &message, &line, &column)) {
        setObjectProperty("xmlDocument", new CXPathNode(document));
        setLeaveEvent(QStringLiteral("finished"));
    } else {
        setProperty("error", QStringLiteral("Parse error on line %1, column %2: %3").arg(line).arg(column).arg(message));
        setLeaveEvent(QStringLiteral("invalid"));
    }
    leaveState();
}
