// SPDX-License-Identifier: MIT
#include "ipkit/backend/linuxbackend.h"

#include <QUrl>
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

namespace {

// A name the resolver would only refuse after asking (or that no name server could hold) is
// refused here, so no query leaves the machine for it.
bool isPlausibleName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 253)
        return false;
    for (const QByteArray& label : name.split('.')) {
        if (label.size() > 63)
            return false;
    }
    return !name.contains('\0');
}

int failure(int code, QString* error)
{
    *error = QString::fromLocal8Bit(gai_strerror(code));
    return code;
}

} // namespace

int LinuxBackend::addressesByName(const QString& name, QList<quint32>* addresses, QString* error)
{
    const QByteArray ace = QUrl::toAce(name).isEmpty() ? name.toUtf8() : QUrl::toAce(name);
    if (!isPlausibleName(ace))
        return failure(EAI_NONAME, error);
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    const int rc = getaddrinfo(ace.constData(), nullptr, &hints, &result);
    if (rc != 0)
        return failure(rc, error);
    addresses->clear();
    for (addrinfo* ai = result; ai; ai = ai->ai_next) {
        const quint32 a = ntohl(reinterpret_cast<sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr);
        if (!addresses->contains(a))
            addresses->append(a);
    }
    freeaddrinfo(result);
    return 0;
}

int LinuxBackend::nameByAddress(quint32 address, QString* name, QString* error)
{
    sockaddr_in in {};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(address);
    char host[NI_MAXHOST];
    const int rc = getnameinfo(reinterpret_cast<sockaddr*>(&in), sizeof in, host, sizeof host, nullptr, 0, NI_NAMEREQD);
    if (rc != 0)
        return failure(rc, error);
    *name = QString::fromUtf8(host);
    return 0;
}
