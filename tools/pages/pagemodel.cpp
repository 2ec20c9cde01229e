// SPDX-License-Identifier: MIT
#include "pagemodel.h"

#include "engine/object.h"
#include "engine/variantconv.h"
#include "system/standardpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kPageBack = QStringLiteral("pageBack");
// A licence is read whole into a scroll view; anything larger is not a licence text.
constexpr qint64 kMaxLicenceBytes = 4 * 1024 * 1024;

QString expandPathMacros(const QString& text)
{
    if (!IStandardPaths::containsMacro(text))
        return text;
    IStandardPaths paths;
    paths.initStandardPaths();
    return paths.expandMacros(text);
}

QString readLicence(const QString& path, QString* error)
{
    QFile file(path);
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) && file.size() <= kMaxLicenceBytes)
        return QString::fromUtf8(file.readAll());
    *error = QStringLiteral("The licence text %1 cannot be read.").arg(QDir::toNativeSeparators(path));
    return QString();
}

// A checklist property may hold a list, or items separated by "," as an answer gives them.
QStringList listOf(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::QStringList || v.metaType().id() == QMetaType::QVariantList)
        return Qt3::toStringList(v);
    QStringList out;
    for (const QString& s : Qt3::toString(v).split(QLatin1Char(','), Qt::SkipEmptyParts))
        out << s.trimmed();
    return out;
}

} // namespace

PageModel::PageModel(const CPropertyObject& page, const QString& applicationPath)
    : m_title(Qt3::toString(page.property("title")))
    , m_text(Qt3::toString(page.property("text")))
{
    for (const QString& e : Qt3::toString(page.property("events")).split(QLatin1Char(';'))) {
        const QString event = e.trimmed();
        if (!event.isEmpty() && event != kPageBack && !m_events.contains(event))
            m_events << event;
    }
    if (m_events.isEmpty())
        m_events << QStringLiteral("next");
    m_fields = parsePageFields(Qt3::toString(page.property("input")), &m_inputErrors);
    for (const PageField& f : m_fields) {
        const QByteArray key = f.key.toLatin1();
        initValue(f, page.hasValueProperty(key.constData()) ? page.property(key.constData()) : QVariant(),
                  applicationPath);
    }
}

void PageModel::initValue(const PageField& f, const QVariant& current, const QString& applicationPath)
{
    switch (f.kind) {
    case PageField::Choice: {
        const QStringList options = f.options();
        const QString now = Qt3::toString(current);
        m_values.insert(f.key, options.contains(now) ? now : options.value(0));
        break;
    }
    case PageField::Checklist: {
        const QStringList options = f.options();
        QStringList checked;
        if (current.isValid()) {
            for (const QString& item : listOf(current)) {
                if (options.contains(item))
                    checked << item;
            }
        } else {
            checked = options; // a components list starts with everything ticked
        }
        m_values.insert(f.key, checked);
        break;
    }
    case PageField::Licence: {
        QString path = expandPathMacros(f.arg.trimmed());
        if (QFileInfo(path).isRelative())
            path = QDir(applicationPath).filePath(path);
        QString error;
        m_licences.insert(f.key, readLicence(path, &error));
        if (!error.isEmpty())
            m_licenceErrors.insert(f.key, error);
        m_values.insert(f.key, current.isValid() && Qt3::toBool(current));
        break;
    }
    default: {
        const QString now = Qt3::toString(current);
        QString initial = now.isEmpty() && f.kind != PageField::Password ? f.arg : now;
        if (f.kind == PageField::Directory)
            initial = QDir::toNativeSeparators(expandPathMacros(initial));
        m_values.insert(f.key, initial);
        break;
    }
    }
}

QStringList PageModel::forwardEvents() const
{
    QStringList out = m_events;
    out.removeAll(cancelEvent());
    return out;
}

QString PageModel::cancelEvent() const
{
    for (const QString& e : m_events) {
        if (e.compare(QLatin1String("cancel"), Qt::CaseInsensitive) == 0)
            return e;
    }
    return QString();
}

bool PageModel::isForward(const QString& event) const
{
    return forwardEvents().contains(event);
}

const PageField* PageModel::field(const QString& key) const
{
    for (const PageField& f : m_fields) {
        if (f.key == key)
            return &f;
    }
    return nullptr;
}

QString PageModel::answerText(const QString& key) const
{
    const PageField* f = field(key);
    if (!f)
        return QString();
    if (f->kind == PageField::Checklist)
        return value(key).toStringList().join(QLatin1Char(','));
    if (f->kind == PageField::Licence)
        return value(key).toBool() ? QStringLiteral("accept") : QStringLiteral("decline");
    return value(key).toString();
}

void PageModel::setText(const QString& key, const QString& text)
{
    if (field(key))
        m_values.insert(key, text);
}

void PageModel::setChecked(const QString& key, const QString& option, bool checked)
{
    const PageField* f = field(key);
    if (!f || !f->options().contains(option))
        return;
    QStringList now = m_values.value(key).toStringList();
    now.removeAll(option);
    if (checked)
        now << option;
    // Keep the options' order, whatever order they were ticked in.
    QStringList ordered;
    for (const QString& o : f->options()) {
        if (now.contains(o))
            ordered << o;
    }
    m_values.insert(key, ordered);
}

void PageModel::setAccepted(const QString& key, bool accepted)
{
    if (field(key))
        m_values.insert(key, accepted);
}

bool PageModel::setAnswer(const QString& key, const QString& text, QString* why)
{
    const PageField* f = field(key);
    if (!f) {
        *why = QStringLiteral("the page has no field '%1'").arg(key);
        return false;
    }
    const QString answer = text.trimmed();
    switch (f->kind) {
    case PageField::Choice: {
        for (const QString& o : f->options()) {
            if (o.compare(answer, Qt::CaseInsensitive) == 0) {
                m_values.insert(key, o);
                return true;
            }
        }
        *why = QStringLiteral("'%1' is not one of %2").arg(answer, f->options().join(QStringLiteral(", ")));
        return false;
    }
    case PageField::Checklist: {
        QStringList checked;
        for (const QString& item : answer.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString wanted = item.trimmed();
            QString match;
            for (const QString& o : f->options()) {
                if (o.compare(wanted, Qt::CaseInsensitive) == 0)
                    match = o;
            }
            if (match.isEmpty()) {
                *why = QStringLiteral("'%1' is not one of %2").arg(wanted, f->options().join(QStringLiteral(", ")));
                return false;
            }
            checked << match;
        }
        m_values.insert(key, QStringList());
        for (const QString& c : checked)
            setChecked(key, c, true);
        return true;
    }
    case PageField::Licence:
        if (answer == QLatin1String("accept") || answer == QLatin1String("decline")) {
            m_values.insert(key, answer == QLatin1String("accept"));
            return true;
        }
        *why = QStringLiteral("a licence is answered with 'accept' or 'decline', not '%1'").arg(answer);
        return false;
    default:
        m_values.insert(key, f->kind == PageField::Password ? text : answer);
        return true;
    }
}

QStringList PageModel::problems() const
{
    QStringList out;
    for (const PageField& f : m_fields) {
        const QVariant v = m_values.value(f.key);
        if (f.kind == PageField::Licence) {
            if (m_licenceErrors.contains(f.key))
                out << m_licenceErrors.value(f.key);
            else if (!v.toBool())
                out << QStringLiteral("Accept the licence agreement to continue.");
        } else if (f.kind == PageField::Checklist) {
            if (f.required && v.toStringList().isEmpty())
                out << QStringLiteral("Choose at least one item of %1.").arg(f.label());
        } else if (f.required && v.toString().trimmed().isEmpty()) {
            out << QStringLiteral("%1 is required.").arg(f.label());
        }
    }
    return out;
}

void PageModel::writeTo(CPropertyObject* page) const
{
    for (const PageField& f : m_fields) {
        const QByteArray key = f.key.toLatin1();
        QVariant v = m_values.value(f.key);
        if (f.kind == PageField::Directory)
            v = QDir::fromNativeSeparators(v.toString().trimmed());
        page->setProperty(key.constData(), v);
    }
}
