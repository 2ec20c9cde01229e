// SPDX-License-Identifier: MIT
#pragma once
#include "engine/state.h"
#include "system/standardpaths.h"

#include <QDir>

// "countFiles": lists the entries of "path" that match "fileFilter", at once in enter(). The
// optional "filter" and "sort" take keywords joined by "|" ("files|hidden", "time|reversed").
// Sets "fileCount" and "fileList" (full paths), and "fileName" when exactly one entry matched;
// leaves with "noFilesFound", "singleFileFound" or "multipleFilesFound".
class CCountFilesState : public CState, public IStandardPaths {
    Q_OBJECT
public:
    CCountFilesState(QObject* parent, const char* name, const QDomNode& element);

    void initialize() override;
    void enter() override;

    // The bits of the keywords in a "filter" or "sort" value; parts that are no keyword add none.
    static QDir::Filters filterFromKeywords(const QString& value);
    static QDir::SortFlags sortFromKeywords(const QString& value);

private:
    void finish(const QStringList& files);
};
