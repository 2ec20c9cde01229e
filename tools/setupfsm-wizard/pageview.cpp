// SPDX-License-Identifier: MIT
#include "pageview.h"
#include "pagemodel.h"
#include "pagetext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

PageView::PageView(PageModel* model, QWidget* parent) : QWidget(parent), m_model(model)
{
    auto* layout = new QVBoxLayout(this);
    if (!model->text().isEmpty()) {
        auto* text = new QLabel(this);
        text->setObjectName(QStringLiteral("pageText"));
        // Always rich text, and always the safe subset: QLabel would otherwise guess, and load
        // images a vendor's text names.
        text->setTextFormat(Qt::RichText);
        text->setText(PageText::toSafeHtml(model->text()));
        text->setWordWrap(true);
        text->setOpenExternalLinks(false);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(text);
    }
    auto* form = new QFormLayout;
    for (const PageField& f : model->fields()) {
        QWidget* editor = nullptr;
        switch (f.kind) {
        case PageField::Text:
        case PageField::Password:
            editor = textEditor(f.key, f.kind == PageField::Password);
            break;
        case PageField::Directory:
            editor = directoryEditor(f.key);
            break;
        case PageField::Choice:
            editor = choiceEditor(f.key);
            break;
        case PageField::Checklist:
            editor = checklistEditor(f.key);
            break;
        case PageField::Licence:
            layout->addWidget(licenceEditor(f.key), 1);
            continue;
        }
        auto* label = new QLabel(f.label() + (f.required ? QStringLiteral(" *") : QString()) + QLatin1Char(':'), this);
        label->setBuddy(editor);
        form->addRow(label, editor);
    }
    layout->addLayout(form);
    layout->addStretch();
}

QWidget* PageView::textEditor(const QString& key, bool password)
{
    auto* edit = new QLineEdit(m_model->answerText(key), this);
    edit->setObjectName(QStringLiteral("field:") + key);
    if (password)
        edit->setEchoMode(QLineEdit::Password);
    connect(edit, &QLineEdit::textChanged, this, [this, key](const QString& text) {
        m_model->setText(key, text);
        Q_EMIT changed();
    });
    return edit;
}

QWidget* PageView::directoryEditor(const QString& key)
{
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto* edit = static_cast<QLineEdit*>(textEditor(key, false));
    edit->setParent(box);
    auto* browse = new QPushButton(tr("B&rowse..."), box);
    browse->setObjectName(QStringLiteral("browse:") + key);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, [this, edit] {
        // The folder need not exist yet: start from its nearest existing parent.
        const QString chosen = QFileDialog::getExistingDirectory(this, tr("Choose a folder"), edit->text());
        if (!chosen.isEmpty())
            edit->setText(QDir::toNativeSeparators(chosen));
    });
    row->addWidget(edit, 1);
    row->addWidget(browse);
    return box;
}

QWidget* PageView::choiceEditor(const QString& key)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(QStringLiteral("field:") + key);
    combo->addItems(m_model->field(key)->options());
    combo->setCurrentText(m_model->answerText(key));
    connect(combo, &QComboBox::currentTextChanged, this, [this, key](const QString& text) {
        m_model->setText(key, text);
        Q_EMIT changed();
    });
    return combo;
}

QWidget* PageView::checklistEditor(const QString& key)
{
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    const QStringList ticked = m_model->value(key).toStringList();
    for (const QString& option : m_model->field(key)->options()) {
        auto* check = new QCheckBox(option, box);
        check->setObjectName(QStringLiteral("field:%1:%2").arg(key, option));
        check->setChecked(ticked.contains(option));
        connect(check, &QCheckBox::toggled, this, [this, key, option](bool on) {
            m_model->setChecked(key, option, on);
            Q_EMIT changed();
        });
        column->addWidget(check);
    }
    return box;
}

QWidget* PageView::licenceEditor(const QString& key)
{
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    auto* text = new QPlainTextEdit(m_model->licenceText(key), box);
    text->setObjectName(QStringLiteral("licenceText:") + key);
    text->setReadOnly(true);
    text->setMinimumHeight(160);
    auto* accept = new QCheckBox(tr("I &accept the terms of the licence agreement"), box);
    accept->setObjectName(QStringLiteral("field:") + key);
    accept->setChecked(m_model->value(key).toBool());
    connect(accept, &QCheckBox::toggled, this, [this, key](bool on) {
        m_model->setAccepted(key, on);
        Q_EMIT changed();
    });
    column->addWidget(text, 1);
    column->addWidget(accept);
    return box;
}
