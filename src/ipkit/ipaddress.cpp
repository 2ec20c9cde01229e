// SPDX-License-Identifier: MIT
#include "ipkit/ipaddress.h"

const CIpAddress CIpAddress::null;

bool CIpAddress::parse(const QString& text, quint32* address)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    quint32 value = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        const uint byte = part.toUInt();
        if (byte > 255)
            return false;
        value = (value << 8) | byte;
    }
    *address = value;
    return true;
}

QString CIpAddress::dotted(quint32 a)
{
    return QStringLiteral("%1.%2.%3.%4").arg(a >> 24).arg((a >> 16) & 0xff).arg((a >> 8) & 0xff).arg(a & 0xff);
}

bool CIpAddress::isContiguousMask(quint32 mask)
{
    // The inverted mask of a contiguous one is a run of low bits: adding one clears them all.
    const quint32 inverted = ~mask;
    return (inverted & (inverted + 1)) == 0;
}

CIpAddress::CIpAddress(const QString& address) : m_text(address.trimmed())
{
    m_valid = parse(m_text, &m_address);
    if (m_valid)
        setAddress(m_address);
}

CIpAddress::CIpAddress(const QString& address, const QString& mask) : CIpAddress(address)
{
    m_hasMask = true;
    m_maskText = mask.trimmed();
    m_maskValid = parse(m_maskText, &m_mask) && isContiguousMask(m_mask);
}

CIpAddress::CIpAddress(quint32 address, quint32 mask)
    : QHostAddress(address)
    , m_address(address)
    , m_mask(mask)
    , m_valid(true)
    , m_hasMask(true)
    , m_maskValid(isContiguousMask(mask))
{
    if (!m_maskValid)
        m_maskText = dotted(mask);
}

int CIpAddress::validate(bool checkMask) const
{
    if (!m_valid)
        return NotAnAddress;
    if (checkMask && !m_maskValid)
        return BadMask;
    return Usable;
}

QString CIpAddress::toString(bool withMask) const
{
    QString s = m_valid ? dotted(m_address) : m_text;
    if (withMask && m_hasMask)
        s += QLatin1Char('/') + (m_maskValid ? dotted(m_mask) : m_maskText);
    return s;
}

QString CIpAddress::maskString() const
{
    return m_hasMask && m_maskValid ? dotted(m_mask) : QString();
}

int CIpAddress::prefixLength() const
{
    if (!m_hasMask)
        return 32;
    int n = 0;
    for (quint32 m = m_mask; m & 0x80000000u; m <<= 1)
        ++n;
    return n;
}

bool CIpAddress::operator==(const CIpAddress& other) const
{
    if (m_valid != other.m_valid)
        return false;
    return m_valid ? m_address == other.m_address : m_text == other.m_text;
}

QString CIpAddressList::toString(const QString& separator, bool withMask) const
{
    QStringList parts;
    parts.reserve(size());
    for (const CIpAddress& a : *this)
        parts << a.toString(withMask);
    return parts.join(separator);
}
