// SPDX-License-Identifier: MIT
#pragma once
// A mix-in for states and actions that take paths: a table of macros such as "%WINDIR%" or
// "%PROGRAM_FILES%" filled with the standard folders of the running system, to which the owner
// may add its own, and the expansion of those macros in a text. Each owner has its own table.
// Expanding only reads the table, so a job on a worker thread may expand while nobody changes it.
#include <QMap>
#include <QString>

class IStandardPaths {
public:
    IStandardPaths();

    // Clears the table and fills it with the standard folders.
    void initStandardPaths();
    // Inserts or replaces one entry; the name includes its percent signs.
    void addMacro(const QString& name, const QString& value);
    // Replaces the macros of the table, pass after pass, while the text still holds something
    // that looks like a macro, at most ten passes (a value may itself hold a macro).
    QString expandMacros(const QString& text) const;

    const QMap<QString, QString>& macros() const { return m_macros; }

    // Whether the text holds something shaped like a macro: "%", letters, digits or "_", "%".
    static bool containsMacro(const QString& text);

private:
    void addFolder(const char* macro, const QString& name);
    void addCommonPair(const char* userMacro, const char* commonMacro, const QString& userName,
                       const QString& commonName);

    QMap<QString, QString> m_macros;
};
