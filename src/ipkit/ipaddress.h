// SPDX-License-Identifier: MIT
#pragma once
// An IPv4 address of the network library, with the mask it was given. The text forms are
// read strictly: four decimal parts from 0 to 255, nothing around them, so "10.1" or
// "1.2.3.4x" are no addresses (the resolver's shorthand forms would otherwise pass).
#include <QHostAddress>
#include <QList>
#include <QString>

class CIpAddress : public QHostAddress {
public:
    // The outcomes of validate().
    enum Validity { Usable = 0, NotAnAddress = 1, BadMask = 2 };

    CIpAddress() = default;
    explicit CIpAddress(const QString& address);
    CIpAddress(const QString& address, const QString& mask);
    CIpAddress(quint32 address, quint32 mask);

    // Usable (0) for an IPv4 address whose mask, when given, is contiguous.
    int validate(bool checkMask) const;
    bool isValid() const { return validate(true) == Usable; }

    // The dotted form; with withMask the mask follows after "/". The texts as given where they
    // are no address or no mask, so traces show what a script passed.
    QString toString(bool withMask) const;
    // The dotted form of the mask, empty when none was given.
    QString maskString() const;

    quint32 address() const { return m_address; }
    quint32 mask() const { return m_mask; }
    bool hasMask() const { return m_hasMask; }
    // The prefix length of a contiguous mask, 32 without a mask.
    int prefixLength() const;

    bool operator==(const CIpAddress& other) const;
    bool operator!=(const CIpAddress& other) const { return !(*this == other); }

    // "No address".
    static const CIpAddress null;

    // Strict dotted-quad parsing; false for anything else.
    static bool parse(const QString& text, quint32* address);
    static QString dotted(quint32 address);
    static bool isContiguousMask(quint32 mask);

private:
    QString m_text;
    QString m_maskText;
    quint32 m_address = 0;
    quint32 m_mask = 0;
    bool m_valid = false;
    bool m_hasMask = false;
    bool m_maskValid = true;
};

class CIpAddressList : public QList<CIpAddress> {
public:
    using QList<CIpAddress>::QList;
    QString toString(const QString& separator, bool withMask) const;
};
