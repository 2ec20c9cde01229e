// SPDX-License-Identifier: MIT
#pragma once
#include "pagefield.h"

#include <QMap>
#include <QVariant>

class CPropertyObject;

// What one page shows and returns, whichever host draws it: its title and text, the events it
// offers, its input fields with their values, and why it cannot go forward yet. The values
// start from the page's own properties (a page shown again after "pageBack", or one a
// transition filled in) and otherwise from the field's default.
class PageModel {
public:
    // Reads "title", "text", "events" and "input" of the page. Relative licence files are
    // found in the application path.
    PageModel(const CPropertyObject& page, const QString& applicationPath);

    QString title() const { return m_title; }
    QString text() const { return m_text; }
    // The page's events without "pageBack", in definition order.
    QStringList events() const { return m_events; }
    // The events that leave the page forward: all but "pageBack" and the cancel event.
    QStringList forwardEvents() const;
    // The event named "cancel" (in any case) when the page offers one, else empty.
    QString cancelEvent() const;
    bool isForward(const QString& event) const;

    const QList<PageField>& fields() const { return m_fields; }
    const PageField* field(const QString& key) const;
    // Problems found reading "input".
    const QStringList& inputErrors() const { return m_inputErrors; }

    // The value of a field: a string, a string list (checklist) or a bool (licence).
    QVariant value(const QString& key) const { return m_values.value(key); }
    // The value as an answer would give it: checklist items joined by ",", a licence "accept".
    QString answerText(const QString& key) const;
    void setText(const QString& key, const QString& text);
    void setChecked(const QString& key, const QString& option, bool checked);
    void setAccepted(const QString& key, bool accepted);
    // Sets a field from the text of a scripted or typed answer; false with the reason when the
    // text is no value of that field (an unknown option, a licence answer other than "accept"
    // or "decline").
    bool setAnswer(const QString& key, const QString& text, QString* why);

    // The licence text of a licence field, or an empty text when it could not be read.
    QString licenceText(const QString& key) const { return m_licences.value(key); }

    // Why the forward events are disabled: one sentence per unmet requirement; empty when
    // the page may go forward.
    QStringList problems() const;
    bool complete() const { return problems().isEmpty(); }

    // Writes every field's value into the page's properties, for the next transition's maps.
    void writeTo(CPropertyObject* page) const;

private:
    void initValue(const PageField& f, const QVariant& current, const QString& applicationPath);

    QString m_title;
    QString m_text;
    QStringList m_events;
    QList<PageField> m_fields;
    QStringList m_inputErrors;
    QMap<QString, QVariant> m_values;
    QMap<QString, QString> m_licences;
    QMap<QString, QString> m_licenceErrors;
};
