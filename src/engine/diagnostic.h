#pragma once
// A finding about a definition file, placed where its author can find it.
#include <QList>
#include <QString>

struct CDiagnostic {
    enum Severity { Error, Warning };

    QString file;    // as the author named it (relative to the working directory when inside it)
    qint64 line = 0; // 1-based; 0 when the finding concerns the file as a whole
    Severity severity = Error;
    QString message;

    // "file:line: error: message", the form compilers use, so editors jump to the place.
    QString toText() const;
    QString severityName() const;
};

using CDiagnostics = QList<CDiagnostic>;

// A path as it is best shown to the author: cleaned, and relative when it lies in the working directory.
QString diagnosticPath(const QString& path);
