#include "desktop/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace ZQ3::Desktop {
namespace {

QString UserTag() {
    // The numeric id never needs quoting and tells users apart even when names repeat.
    return QString::number(::getuid());
}

} // namespace

CSingleInstance::CSingleInstance(const QString& name) {
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) {
        runtime = QDir::tempPath();
    }
    const QString base = name + "-" + UserTag();
    lockPath_ = runtime + "/" + base + ".lock";
    serverName_ = base;
}

CSingleInstance::~CSingleInstance() {
    server_.reset();
    if (lock_) {
        lock_->unlock();
    }
}

CSingleInstance::Outcome CSingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // A lock whose process no longer runs is stale whatever its age; the lock file notices that
    // through the process id it holds.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        const bool taken = lock_->error() == QLockFile::LockFailedError;
        lock_.reset();
        if (!taken) {
            return Outcome::Failed;
        }
        // A holder that does not answer yet is still starting; it is the first copy all the same.
        knockOnFirst();
        return Outcome::SecondRaisedFirst;
    }
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a killed copy would refuse the name.
    QLocalServer::removeServer(serverName_);
    if (!server_->listen(serverName_)) {
        // The guard still holds through the lock; only raising the window is lost.
        server_.reset();
        return Outcome::First;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* knock = server_->nextPendingConnection()) {
            knock->disconnectFromServer();
            knock->deleteLater();
            emit secondStarted();
        }
    });
    return Outcome::First;
}

bool CSingleInstance::knockOnFirst() {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(2000)) {
        return false;
    }
    socket.disconnectFromServer();
    return true;
}

} // namespace ZQ3::Desktop
