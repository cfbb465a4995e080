#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace ZQ3::Desktop {

// Tells, within moments, that the volumes or the card folder may have changed: a card taken out
// or unmounted, one put in or mounted, a card folder renamed or removed. It watches the mount
// table (the kernel marks /proc/self/mounts with an exception whenever a file system is mounted
// or unmounted) and the card's folders (for a card that is a plain folder). It says only that
// something changed; whoever listens looks at what it shows again. A mount table that is a plain
// file (a test's) is watched as a file.
class CCardWatcher : public QObject {
    Q_OBJECT

public:
    explicit CCardWatcher(QObject* parent = nullptr);
    ~CCardWatcher() override;

    // Watches the mount table at path from now on, in place of the system's.
    void watchMountTable(const QString& path);

    // Watches the card at root (its folder and the converter's folder in it) from now on, in
    // place of the one before; an empty root watches only the mount table.
    void watchCard(const QString& root);

signals:
    // A file system was mounted or unmounted.
    void mountsChanged();
    // The folder of the watched card, or its converter folder, changed or went away.
    void cardFolderChanged();

private:
    void stopWatchingMountTable();

    int mountsFile_ = -1;
    std::unique_ptr<QSocketNotifier> mounts_;
    QFileSystemWatcher folders_;
    QFileSystemWatcher mountTableFile_;
};

} // namespace ZQ3::Desktop
