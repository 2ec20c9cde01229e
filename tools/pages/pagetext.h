// SPDX-License-Identifier: MIT
#pragma once
#include <QString>

// The "text" of a page: plain text, or rich text cut down to a safe subset. Definition files
// come from vendors and may be scrambled, so a page never fetches remote content or runs
// anything: only simple formatting tags survive, without attributes.
namespace PageText {

// Whether the text is meant as rich text (it looks like markup).
bool isRich(const QString& text);
// Rich text with every tag outside the subset, every attribute, comments and the content of
// script and style elements removed; plain text escaped. Safe to hand to a rich-text widget.
QString toSafeHtml(const QString& text);
// The text as a terminal shows it: rich text without tags, with paragraphs and list items on
// lines of their own and entities decoded.
QString toPlain(const QString& text);

} // namespace PageText
