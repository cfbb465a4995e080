#include "desktop/card_watcher.h"

#include "card/card_layout.h"
#include "desktop/mount_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace ZQ3::Desktop {

CCardWatcher::CCardWatcher(QObject* parent) : QObject(parent) {
    connect(&folders_, &QFileSystemWatcher::directoryChanged, this,
            &CCardWatcher::cardFolderChanged);
    connect(&mountTableFile_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        // A file written anew by renaming leaves the watch behind: it is taken up again.
        if (!mountTableFile_.files().contains(path)) {
            mountTableFile_.addPath(path);
        }
        emit mountsChanged();
    });
    watchMountTable(QString::fromLatin1(CMountTable::SystemPath));
}

CCardWatcher::~CCardWatcher() {
    stopWatchingMountTable();
}

void CCardWatcher::stopWatchingMountTable() {
    mounts_.reset();
    if (mountsFile_ >= 0) {
        ::close(mountsFile_);
        mountsFile_ = -1;
    }
    if (const QStringList files = mountTableFile_.files(); !files.isEmpty()) {
        mountTableFile_.removePaths(files);
    }
}

void CCardWatcher::watchMountTable(const QString& path) {
    stopWatchingMountTable();
    if (!path.startsWith(QLatin1String("/proc/"))) {
        mountTableFile_.addPath(path);
        return;
    }
    // Polling the kernel's mount table reports a change as an exceptional condition (POLLPRI),
    // and each poll takes the report, so the file need never be read.
    mountsFile_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (mountsFile_ >= 0) {
        mounts_ = std::make_unique<QSocketNotifier>(mountsFile_, QSocketNotifier::Exception);
        connect(mounts_.get(), &QSocketNotifier::activated, this, &CCardWatcher::mountsChanged);
    }
}

void CCardWatcher::watchCard(const QString& root) {
    if (const QStringList watched = folders_.directories(); !watched.isEmpty()) {
        folders_.removePaths(watched);
    }
    if (root.isEmpty()) {
        return;
    }
    // A watched folder tells of what changes in it, and of its own removal, but not of its
    // own renaming: each folder on the way to the card's files is watched from the one above
    // it, the root from its parent. The converter's folder also tells of a change to the
    // card's files by another program or a file manager.
    const QString converterFolder =
        QString::fromStdString(ZQ3::CardLayout::CardDirectory(root.toStdString()));
    QStringList watched = {root, QDir::cleanPath(converterFolder + ".."), converterFolder};
    if (const QString parent = QFileInfo(root).absolutePath(); parent != root) {
        watched.prepend(parent);
    }
    folders_.addPaths(watched);
}

} // namespace ZQ3::Desktop
