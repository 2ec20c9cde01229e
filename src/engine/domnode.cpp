#include "engine/domnode.h"

#include <QMap>
#include <QRegularExpression>
#include <QStringList>

namespace {

struct Step {
    QString tag;
    QMap<QString, QString> conditions;
};

Step parseTargetStep(const QString& piece)
{
    Step step;
    const qsizetype bracket = piece.indexOf(QLatin1Char('['));
    if (bracket < 0) {
        step.tag = piece;
    } else {
        step.tag = piece.left(bracket);
        // Minimal matching: each condition ends at the first unescaped closing quote.
        static const QRegularExpression condition(QStringLiteral("@[a-zA-Z0-9_]+='.*[^\\\\]'"),
                                                  QRegularExpression::InvertedGreedinessOption);
        const QString rest = piece.mid(bracket);
        auto it = condition.globalMatch(rest);
        while (it.hasNext()) {
            const QString m = it.next().captured(0);
            const qsizetype eq = m.indexOf(QLatin1Char('='));
            step.conditions.insert(m.mid(1, eq - 1), m.mid(eq + 2, m.size() - eq - 3));
        }
    }
    if (step.tag.startsWith(QLatin1Char('@')))
        step.tag = QStringLiteral("*");
    return step;
}

bool matches(const QDomElement& e, const Step& step)
{
    if (step.tag != QLatin1String("*") && e.tagName() != step.tag)
        return false;
    for (auto it = step.conditions.constBegin(); it != step.conditions.constEnd(); ++it) {
        if (it.key().isEmpty())
            continue;
        if (!e.hasAttribute(it.key()))
            return false;
        if (!it.value().isEmpty() && e.attribute(it.key()) != it.value())
            return false;
    }
    return true;
}

// Pre-order search below `start`, a match before its descendants; iterative so that deep
// documents cannot exhaust the stack.
void collect(const QDomNode& start, const Step& step, bool descend, QList<CDomNode>& out)
{
    QList<QDomNode> pending; // next sibling to visit at each open level
    QDomNode n = start.firstChild();
    while (true) {
        while (n.isNull()) {
            if (pending.isEmpty())
                return;
            n = pending.takeLast();
        }
        const QDomNode next = n.nextSibling();
        if (n.isElement()) {
            const QDomElement e = n.toElement();
            if (matches(e, step))
                out.append(CDomNode(n));
            if (descend && n.hasChildNodes()) {
                pending.append(next);
                n = n.firstChild();
                continue;
            }
        }
        n = next;
    }
}

} // namespace

QList<CDomNode> CDomNode::elementsByPath(const QString& fullPath) const
{
    QList<CDomNode> out;
    if (isNull())
        return out;

    QString path = fullPath;
    QDomNode start = *this;
    bool descend = true;
    if (path.startsWith(QLatin1String("./"))) {
        path.remove(0, 2);
    } else if (path.startsWith(QLatin1String("../"))) {
        path.remove(0, 3);
        start = parentNode().toElement();
    } else if (path.startsWith(QLatin1String("///"))) {
        path.remove(0, 3);
        descend = false;
    } else if (path.startsWith(QLatin1String("//"))) {
        path.remove(0, 2);
        start = ownerDocument();
    } else if (path.startsWith(QLatin1Char('/'))) {
        path.remove(0, 1);
        start = ownerDocument();
        descend = false;
    }
    if (start.isNull())
        return out;

    QStringList pieces;
    const qsizetype bracket = path.indexOf(QLatin1Char('['));
    if (bracket >= 0) {
        pieces = path.left(bracket).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (pieces.isEmpty())
            pieces.append(QString());
        pieces.last() += path.mid(bracket);
    } else {
        pieces = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    }
    if (pieces.isEmpty())
        return out;

    const Step target = parseTargetStep(pieces.last());
    QDomNode at = start;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const QString& piece = pieces.at(i);
        QDomNode child = at.firstChild();
        while (!child.isNull()) {
            if (child.isElement() && (piece == QLatin1String("*") || child.toElement().tagName() == piece))
                break;
            child = child.nextSibling();
        }
        if (child.isNull())
            return out;
        at = child;
    }
    collect(at, target, descend, out);
    return out;
}

CDomNode CDomNode::firstChildElementNamed(const QString& tagName) const
{
    for (QDomNode n = firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isElement() && n.toElement().tagName() == tagName)
            return CDomNode(n);
    }
    return CDomNode();
}
