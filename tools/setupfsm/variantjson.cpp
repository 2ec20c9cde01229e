#include "variantjson.h"
#include "engine/variantconv.h"

#include <QColor>
#include <QFont>
#include <QJsonArray>
#include <QJsonObject>
#include <QPixmap>
#include <QPoint>
#include <QSize>

namespace VariantJson {

QString graphicText(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::QColor: {
        const QColor c = v.value<QColor>();
        return c.isValid() ? c.name(QColor::HexRgb) : QStringLiteral("invalid");
    }
    case QMetaType::QFont:
        return v.value<QFont>().toString();
    case QMetaType::QSize: {
        const QSize s = v.toSize();
        return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
    }
    case QMetaType::QPoint: {
        const QPoint p = v.toPoint();
        return QStringLiteral("%1,%2").arg(p.x()).arg(p.y());
    }
    case QMetaType::QPixmap: {
        const QPixmap p = v.value<QPixmap>();
        return p.isNull() ? QStringLiteral("null") : QStringLiteral("%1x%2").arg(p.width()).arg(p.height());
    }
    default:
        return Qt3::toString(v);
    }
}

QJsonValue toJson(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::UnknownType:
        return QJsonValue(QJsonValue::Null);
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return QJsonValue(qint64(v.toLongLong()));
    case QMetaType::ULongLong: {
        // JSON numbers beyond 2^63 would lose precision; keep them exact as text.
        const qulonglong n = v.toULongLong();
        if (n > qulonglong(std::numeric_limits<qint64>::max()))
            return QString::number(n);
        return QJsonValue(qint64(n));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QJsonArray array;
        for (const QVariant& e : Qt3::toList(v))
            array.append(toJson(e));
        return array;
    }
    case QMetaType::QColor:
    case QMetaType::QFont:
    case QMetaType::QSize:
    case QMetaType::QPoint:
    case QMetaType::QPixmap:
        return graphicText(v);
    default:
        return Qt3::toString(v);
    }
}

QJsonValue typedValue(const QVariant& v)
{
    QJsonObject o;
    o.insert(QStringLiteral("type"), Qt3::typeName(v));
    o.insert(QStringLiteral("value"), toJson(v));
    return o;
}

} // namespace VariantJson
