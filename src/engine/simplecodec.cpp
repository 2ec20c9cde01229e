#include "engine/simplecodec.h"

#include <zlib.h>

CSimpleCodec::CSimpleCodec(const QString& key)
{
    m_keyCodes.reserve(key.size());
    for (const QChar c : key)
        m_keyCodes.append(char(c.unicode() > 255 ? 0 : c.unicode()));
}

QString CSimpleCodec::defaultKey()
{
    return QStringLiteral("qRt^mzw81pLXOaZ_]");
}

QByteArray CSimpleCodec::encode(const QString& text) const
{
    QByteArray bytes = text.toLatin1();
    const int keyLength = int(m_keyCodes.size());
    if (keyLength > 0) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(uchar(bytes[i]) + uchar(m_keyCodes[i % keyLength]));
    }
    return qCompress(bytes);
}

QString CSimpleCodec::decode(const QByteArray& data, QString* error) const
{
    auto fail = [error](const char* why) {
        if (error)
            *error = QString::fromLatin1(why);
        return QString();
    };
    if (data.size() < 4)
        return fail("the file is too short to be a scrambled definition");
    const quint64 claimed = (quint64(uchar(data[0])) << 24) | (quint64(uchar(data[1])) << 16)
                            | (quint64(uchar(data[2])) << 8) | quint64(uchar(data[3]));
    // zlib cannot expand by more than about 1032:1; a larger claim is a forged header.
    const quint64 bound = quint64(data.size() - 4) * 1032 + 1024;
    if (claimed > bound || claimed > quint64(kMaxDecodedSize))
        return fail("the length header of the scrambled data is corrupt");
    // qCompress writes an empty text as the bare header.
    if (claimed == 0 && data.size() == 4)
        return QString(QLatin1String(""));
    // Inflate into exactly the claimed size: qUncompress would keep doubling its buffer for a
    // stream that expands beyond its header, so a small forged file could still claim gigabytes.
    QByteArray bytes(qsizetype(claimed), Qt::Uninitialized);
    uLongf produced = uLongf(claimed);
    const int rc = ::uncompress(reinterpret_cast<Bytef*>(bytes.data()), &produced,
                                reinterpret_cast<const Bytef*>(data.constData()) + 4, uLong(data.size() - 4));
    if (rc != Z_OK)
        return fail("the scrambled data is corrupt");
    bytes.truncate(qsizetype(produced));
    const int keyLength = int(m_keyCodes.size());
    if (keyLength > 0) {
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(uchar(bytes[i]) - uchar(m_keyCodes[i % keyLength]));
    }
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromLatin1(bytes.constData(), bytes.size());
}
