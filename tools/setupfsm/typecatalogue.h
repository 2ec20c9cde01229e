#pragma once
// What the host can create, read from freshly created states: the source of `types`, the
// README's state reference and the schema of definition files.
#include <QList>
#include <QStringList>

struct TypeInfo {
    QString name;
    bool fsm = false;
    QStringList events; // an FSM's are the exit events of its definition, so none here
    QStringList required;
    QStringList optional;
    QStringList announced;
};

// Every type of the loaded factory tree and its fallbacks, sorted by name. The host must be
// loaded.
QList<TypeInfo> typeCatalogue();

// The parameter counts an expression function accepts, as text ("2 or more", "1 or 3").
QString parameterCountText(const QString& function);

// Replaces the text between the lines holding `<!-- NAME:begin` and `<!-- NAME:end -->` of a
// file; false with an error when the file or the markers are missing.
bool replaceMarkedSection(const QString& file, const QString& name, const QString& content, QString* error);
// The text between those markers; a null string when they are missing.
QString markedSection(const QString& text, const QString& name);
