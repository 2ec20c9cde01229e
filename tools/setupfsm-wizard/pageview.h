// SPDX-License-Identifier: MIT
#pragma once
#include <QWidget>

class PageModel;

// The body of one wizard page: its text and one editor per input field, each writing into the
// page model as the user types. Widgets are named "field:KEY" (a checklist's boxes
// "field:KEY:OPTION", a directory's button "browse:KEY"), so tests and accessibility tools
// find them.
class PageView : public QWidget {
    Q_OBJECT
public:
    PageView(PageModel* model, QWidget* parent = nullptr);

Q_SIGNALS:
    // A field's value changed; the buttons' enabled states may change with it.
    void changed();

private:
    QWidget* textEditor(const QString& key, bool password);
    QWidget* directoryEditor(const QString& key);
    QWidget* choiceEditor(const QString& key);
    QWidget* checklistEditor(const QString& key);
    QWidget* licenceEditor(const QString& key);

    PageModel* m_model;
};
