// SPDX-License-Identifier: MIT
#include "propertymap/graphicfunctions.h"

#include "engine/variantconv.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QThread>

namespace {

bool isComponent(qlonglong c)
{
    return c >= 0 && c <= 255;
}

// Scripts give weights on the old 0 to 99 scale; the nearest named weight stands for them.
QFont::Weight weightOf(int legacy)
{
    struct Step {
        int legacy;
        QFont::Weight weight;
    };
    static const Step steps[] = {
        {0, QFont::Thin},     {12, QFont::ExtraLight}, {25, QFont::Light},
        {50, QFont::Normal},  {57, QFont::Medium},     {63, QFont::DemiBold},
        {75, QFont::Bold},    {81, QFont::ExtraBold},  {87, QFont::Black},
    };
    legacy = qBound(0, legacy, 99);
    const Step* best = &steps[0];
    for (const Step& s : steps) {
        if (qAbs(s.legacy - legacy) < qAbs(best->legacy - legacy))
            best = &s;
    }
    return best->weight;
}

} // namespace

QVariant CFunctionColor::value()
{
    if (parameterCount() >= 3) {
        const qlonglong r = Qt3::toLongLong(parameterValue(0));
        const qlonglong g = Qt3::toLongLong(parameterValue(1));
        const qlonglong b = Qt3::toLongLong(parameterValue(2));
        // QColor would warn and still build a colour from out-of-range parts.
        if (!isComponent(r) || !isComponent(g) || !isComponent(b))
            return QVariant::fromValue(QColor());
        return QVariant::fromValue(QColor(int(r), int(g), int(b)));
    }
    return QVariant::fromValue(QColor::fromString(Qt3::toString(parameterValue(0))));
}

QVariant CFunctionPixmap::value()
{
    // QPixmap aborts the process when no application object exists, and needs the platform
    // of a GUI application on its thread to hold image data.
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return QVariant();
    QPixmap pixmap;
    if (qobject_cast<const QGuiApplication*>(app) && QThread::currentThread() == app->thread())
        pixmap.load(Qt3::toString(parameterValue(0)));
    return QVariant::fromValue(pixmap);
}

QVariant CFunctionFont::value()
{
    QFont font;
    const QString family = Qt3::toString(parameterValue(0));
    if (family != QLatin1String("default"))
        font.setFamily(family);
    if (parameterCount() >= 2) {
        const int points = Qt3::toInt(parameterValue(1));
        if (points > 0)
            font.setPointSize(points);
    }
    if (parameterCount() >= 3)
        font.setWeight(weightOf(Qt3::toInt(parameterValue(2))));
    if (parameterCount() >= 4)
        font.setItalic(Qt3::toBool(parameterValue(3)));
    return QVariant::fromValue(font);
}

QVariant CFunctionPoint::value()
{
    return QVariant::fromValue(QPoint(Qt3::toInt(parameterValue(0)), Qt3::toInt(parameterValue(1))));
}

QVariant CFunctionSize::value()
{
    return QVariant::fromValue(QSize(Qt3::toInt(parameterValue(0)), Qt3::toInt(parameterValue(1))));
}
