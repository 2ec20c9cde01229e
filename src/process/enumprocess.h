// SPDX-License-Identifier: MIT
#pragma once
// The running processes, listed once when the object is made: id and executable file name.
#include <QList>
#include <QString>

class CEnumProcess {
public:
    struct CProcessEntry {
        qint64 pid = 0;
        QString name; // at most 256 characters
    };

    CEnumProcess();
    virtual ~CEnumProcess() = default;

    const QList<CProcessEntry>& entries() const { return m_entries; }

    // The id of the first process whose executable has the file name, compared in lower case;
    // 0 when none. Looks at the processes as they run now, not at the list.
    static qint64 findProcess(const QString& fileName);

private:
    QList<CProcessEntry> m_entries;
};
