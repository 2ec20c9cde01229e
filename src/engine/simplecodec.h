#pragma once
#include <QByteArray>
#include <QString>

// The scrambling of definition files: every byte shifted by a character of the key, then
// compressed with qCompress.
class CSimpleCodec {
public:
    explicit CSimpleCodec(const QString& key = defaultKey());

    static QString defaultKey();

    QByteArray encode(const QString& text) const;
    // The decoded text, or a null string when the data is not a valid compressed stream or
    // expands beyond its length header. Never allocates more than that header, checked first.
    QString decode(const QByteArray& data, QString* error = nullptr) const;

    // The largest decoded size accepted, so a forged length header cannot exhaust memory.
    static constexpr qint64 kMaxDecodedSize = 256 * 1024 * 1024;

private:
    QByteArray m_keyCodes;
};
