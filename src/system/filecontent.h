// SPDX-License-Identifier: MIT
#pragma once
// The content of one file, read as text or as raw bytes, handed from a "readFile" state to a
// "writeFile" state as an object property. It has no parent; its holder owns it.
#include "engine/object.h"

class CFileContent : public CPropertyObject {
    Q_OBJECT
    Q_PROPERTY(QString fileName READ fileName)
public:
    explicit CFileContent(const QString& fileName);
    CFileContent(const CFileContent& other);

    CPropertyObject* clone() const override;

    QString fileName() const { return m_fileName; }
    // Text content; empty for content read as raw bytes.
    QString text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }
    // Raw content; empty for text content.
    QByteArray data() const { return m_data; }
    void setData(const QByteArray& data) { m_data = data; }

private:
    QString m_fileName;
    QString m_text;
    QByteArray m_data;
};
