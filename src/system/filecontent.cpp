// SPDX-License-Identifier: MIT
#include "system/filecontent.h"

CFileContent::CFileContent(const QString& fileName)
    : CPropertyObject(nullptr)
    , m_fileName(fileName)
{
    setObjectName(fileName);
}

CFileContent::CFileContent(const CFileContent& other)
    : CPropertyObject(other)
    , m_fileName(other.m_fileName)
    , m_text(other.m_text)
    , m_data(other.m_data)
{
}

CPropertyObject* CFileContent::clone() const
{
    return new CFileContent(*this);
}
