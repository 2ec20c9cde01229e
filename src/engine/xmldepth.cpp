// SPDX-License-Identifier: MIT
#include "engine/xmldepth.h"

#include <QXmlStreamReader>

QString xmlTooDeepMessage()
{
    return QStringLiteral("elements are nested deeper than %1 levels").arg(kMaxXmlDepth);
}

bool xmlNestsTooDeep(const QString& text, QString& message, qint64& line, qint64& column)
{
    QXmlStreamReader r(text);
    int depth = 0;
    while (!r.atEnd()) {
        const QXmlStreamReader::TokenType token = r.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
        } else if (token == QXmlStreamReader::StartElement && ++depth > kMaxXmlDepth) {
            message = xmlTooDeepMessage();
            line = r.lineNumber();
            column = r.columnNumber();
            return true;
        }
    }
    return false;
}
