#pragma once
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class CFsm;

// Scripted answers for the pages of a flow, from `--answer NAME=VALUE` and answers files.
// NAME is a page's name or full name; "PAGE.KEY" answers one input field of a page. Answers
// for the same name are used in the order given.
class AnswerBook {
public:
    void add(const QString& name, const QString& value);
    // Reads one "NAME=VALUE" a line; blank lines and lines starting with "#" are skipped.
    // False with "FILE:LINE: reason" when a line is no assignment or the file cannot be read.
    bool addFile(const QString& path, QString* error);

    // The next answer for a page (or "PAGE.KEY" for a field), by its name or full name; a null
    // string when none is left.
    QString take(const QString& name, const QString& fullName);
    // The answers nobody has asked for, as "NAME=VALUE".
    QStringList unused() const;
    bool isEmpty() const { return m_answers.isEmpty(); }

    // The names that no page of the flow answers to; pageNames comes from pageNamesOf().
    QStringList unknownNames(const QStringList& pageNames) const;

private:
    QList<QPair<QString, QString>> m_answers;
};

// The names and full names of every state of the given type in the flow, nested FSMs included.
QStringList pageNamesOf(CFsm* root, const QString& pageType = QStringLiteral("page"));
