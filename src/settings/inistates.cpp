// SPDX-License-Identifier: MIT
#include "settings/inistates.h"
#include "engine/variantconv.h"
#include "settings/iniparser.h"
#include "system/filecontent.h"

namespace {

QByteArray numbered(const char* name, int n)
{
    return QByteArray(name) + QByteArray::number(n);
}

QVariant typedValue(const QString& type, const QString& text)
{
    if (type == QLatin1String("text"))
        return text;
    if (type == QLatin1String("long"))
        return QVariant(Qt3::toULongLong(text));
    if (type == QLatin1String("int"))
        return QVariant(Qt3::toInt(text));
    return QVariant();
}

} // namespace

CReadIniValueState::CReadIniValueState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CReadIniValueState::initialize()
{
    addEvents({QStringLiteral("success"), QStringLiteral("failed")});
    for (const char* name : {"content", "section1", "key1", "type1"})
        addRequiredProperty(QString::fromLatin1(name));
    addAnnouncedProperty(QStringLiteral("valueList"));
}

bool CReadIniValueState::contentText(QString* text) const
{
    const auto* content = qobject_cast<const CFileContent*>(objectProperty("content"));
    if (!content)
        return false;
    // Content read as raw bytes holds no text; its bytes are taken as UTF-8 rather than read
    // as an empty file.
    *text = content->text().isEmpty() ? QString::fromUtf8(content->data()) : content->text();
    return true;
}

void CReadIniValueState::enter()
{
    QString text;
    if (!contentText(&text)) {
        setLeaveEvent(QStringLiteral("failed"));
        leaveState();
        return;
    }
    const CIniParser ini(text);
    QVariantList values;
    QString section;
    QString type;
    for (int n = 1; hasValueProperty(numbered("key", n).constData()); ++n) {
        if (hasValueProperty(numbered("section", n).constData()))
            section = Qt3::toString(property(numbered("section", n).constData()));
        if (hasValueProperty(numbered("type", n).constData()))
            type = Qt3::toString(property(numbered("type", n).constData()));
        const QString key = Qt3::toString(property(numbered("key", n).constData()));
        values.append(typedValue(type, ini.value(section, key)));
    }
    setProperty("valueList", values);
    setLeaveEvent(QStringLiteral("success"));
    leaveState();
}

CConstructIniState::CConstructIniState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CConstructIniState::initialize()
{
    addEvents({QStringLiteral("success")});
    addAnnouncedProperty(QStringLiteral("iniContent"));
}

void CConstructIniState::enter()
{
    CIniParser ini;
    for (int n = 1; hasValueProperty(numbered("section", n).constData()); ++n) {
        const QString section = Qt3::toString(property(numbered("section", n).constData()));
        const QStringList keys = Qt3::toStringList(property(numbered("keyList", n).constData()));
        const QStringList values = Qt3::toStringList(property(numbered("valueList", n).constData()));
        for (qsizetype i = 0; i < keys.size(); ++i)
            ini.setValue(section, keys.at(i), values.value(i));
    }
    setProperty("iniContent", ini.text());
    setLeaveEvent(QStringLiteral("success"));
    leaveState();
}
