#include "Platform.h"

#include <QDir>
#include <QStandardPaths>

#if defined(Q_OS_UNIX)
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace Platform {

QString privateServerName(const QString& name) {
#if defined(Q_OS_WIN)
    return name;
#else
    // Qt makes sure the runtime folder belongs to this user and is closed to everyone else.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
#endif
}

bool peerIsThisUser(qintptr socketDescriptor) {
#if defined(Q_OS_LINUX)
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) return false;
    return peer.uid == getuid();
#elif defined(Q_OS_UNIX)
    uid_t uid = 0;
    gid_t gid = 0;
    if (getpeereid(int(socketDescriptor), &uid, &gid) != 0) return false;
    return uid == getuid();
#else
    Q_UNUSED(socketDescriptor);
    return true;
#endif
}

}  // namespace Platform
