#pragma once

#include <QFile>
#include <QString>

#ifdef Q_OS_LINUX
#include <sys/fsuid.h>
#include <unistd.h>
#endif

// Takes the write permission of a folder away for as long as it lives. When the tests run as root, whose
// writes no permission stops, this thread's file access is meanwhile done as an ordinary user.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const QString& path) : path_(path), before_(QFile::permissions(path)) {
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                         QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                         QFileDevice::ExeOther);
#ifdef Q_OS_LINUX
        if (geteuid() == 0) {
            setfsuid(65534);
            asRoot_ = true;
        }
#endif
    }
    ~UnwritableFolder() {
#ifdef Q_OS_LINUX
        if (asRoot_) setfsuid(0);
#endif
        QFile::setPermissions(path_, before_);
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

private:
    QString path_;
    QFileDevice::Permissions before_;
    bool asRoot_ = false;
};
