// SPDX-License-Identifier: MIT
#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// One input field of a page, from an item "KIND[*]:KEY[:ARG]" of its "input" property.
struct PageField {
    enum Kind { Text, Password, Directory, Choice, Checklist, Licence };

    Kind kind = Text;
    QString key;
    QString arg;           // default text, options, or the licence file, by kind
    bool required = false;

    // The options of a choice or checklist.
    QStringList options() const;
    // A readable name for the key: "targetDir" becomes "Target dir".
    QString label() const;
};

// Parses the ";"-separated items of an "input" property. An item that cannot be read adds one
// line to *errors and is left out, so a page never shows half a field.
QList<PageField> parsePageFields(const QString& input, QStringList* errors);
