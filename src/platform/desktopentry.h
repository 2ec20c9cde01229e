// SPDX-License-Identifier: MIT
#pragma once
// Shortcuts on Linux are freedesktop Desktop Entry files. Every text a definition supplies goes
// through the format's escapes, so no value can end its line and start a key of its own, and
// every command-line word is quoted where the launcher would otherwise read it as syntax.
#include <QByteArray>
#include <QString>

namespace Platform {

struct Shortcut {
    enum class Kind { Program, Url, Connection };
    Kind kind = Kind::Program;
    // The program to start, the address to open, or the connection's name as NetworkManager
    // spells it.
    QString target;
    QString arguments; // a command line of words; double quotes group a word with blanks
    QString name;
    QString comment;
    QString iconPath;
};

namespace DesktopEntry {

// A value as a line may hold it: backslash, line breaks and tabs escaped, blanks at either end
// kept by escaping them, other control characters dropped.
QString escapeValue(const QString& text);

// One word of an Exec line: quoted when it is empty, when it holds a blank or a character the
// launcher reserves, or always with `force`; "%" doubled, since a single one starts a field code.
QString execWord(const QString& word, bool force = false);

// The whole file, UTF-8.
QByteArray compose(const Shortcut& shortcut);

} // namespace DesktopEntry

// Writes the shortcut to the path, replacing a file there, all or nothing: a failed write
// leaves what was there before. Missing folders are not created. On failure `error` says why.
[[nodiscard]] bool writeShortcut(const QString& path, const Shortcut& shortcut, QString* error);

} // namespace Platform
