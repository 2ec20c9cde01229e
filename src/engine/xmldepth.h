// SPDX-License-Identifier: MIT
#pragma once
// Qt's DOM finds a node's document by walking up its parents, so building a tree costs the
// square of its depth: half a megabyte of nested elements took a minute and a half to parse,
// with the event loop held up all along. Texts are measured with the stream reader first, which
// costs a fraction of the parse. Definitions and the documents flows read stay far shallower.
#include <QString>

constexpr int kMaxXmlDepth = 1024;

// Whether the text nests elements deeper than kMaxXmlDepth; if so, a parse error message and
// where the first element too deep starts. A text that is not well formed passes: the parser
// that reads it reports that.
bool xmlNestsTooDeep(const QString& text, QString& message, qint64& line, qint64& column);

// The message of that parse error.
QString xmlTooDeepMessage();
