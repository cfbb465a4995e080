#include "desktop/drive_combo_box.h"

#include "app/card_probe.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QStyle>

#include <algorithm>

namespace ZQ3::Desktop {
namespace {

// Volumes a user may keep a card on; the system's own pseudo file systems are left out.
bool IsUserVolume(const MountEntry& volume) {
    // A volume that cannot be looked into (a file system whose program ended) is left out.
    if (!QFileInfo(volume.root).isDir()) {
        return false;
    }
    static const QList<QByteArray> pseudo = {
        "proc",       "sysfs",   "devtmpfs", "devpts",  "cgroup",      "cgroup2",
        "securityfs", "pstore",  "debugfs",  "tracefs", "mqueue",      "hugetlbfs",
        "configfs",   "fusectl", "bpf",      "autofs",  "binfmt_misc", "efivarfs",
        "ramfs",      "nsfs",    "overlay",  "tmpfs",   "squashfs"};
    return !pseudo.contains(volume.type.toUtf8()) || volume.root == QLatin1String("/");
}

} // namespace

void CDriveComboBox::showPopup() {
    emit aboutToOpen();
    QComboBox::showPopup();
}

void CDriveComboBox::rebuild(const QString& keptRoot, const QList<MountEntry>& mounts) {
    // Keep what is chosen, by its path, across the rebuild.
    const QString chosen = currentData().toString();
    clear();
    QFileIconProvider icons;
    QList<MountEntry> volumes = mounts;
    std::stable_sort(volumes.begin(), volumes.end(),
                     [](const MountEntry& a, const MountEntry& b) { return a.root < b.root; });
    const QIcon cardIcon = style()->standardIcon(QStyle::SP_DriveFDIcon);
    cardVolumes_.clear();
    for (const MountEntry& volume : volumes) {
        // A point mounted over again is listed once.
        const QString& root = volume.root;
        if (findData(root) >= 0 || !IsUserVolume(volume)) {
            continue;
        }
        const bool card = ZQ3::HoldsCard(root.toStdString());
        if (card) {
            cardVolumes_.append(root);
        }
        const QString text = card ? root + tr("  (ZQ-314 card)") : root;
        addItem(card ? cardIcon : icons.icon(QFileIconProvider::Drive), text, root);
    }
    // A folder chosen as the card root stays in the list while it is the card.
    for (const QString& kept : {keptRoot, chosen}) {
        if (!kept.isEmpty() && findData(kept) < 0) {
            const bool card = ZQ3::HoldsCard(kept.toStdString());
            addItem(card ? cardIcon : icons.icon(QFileIconProvider::Folder),
                    card ? kept + tr("  (ZQ-314 card)") : kept, kept);
        }
    }
    addItem(icons.icon(QFileIconProvider::Folder), tr("Other Folder..."),
            QString(OtherFolderEntry));
    const int keep = findData(chosen.isEmpty() ? keptRoot : chosen);
    setCurrentIndex(chosen.isEmpty() && keptRoot.isEmpty() ? -1 : keep);
}

void CDriveComboBox::choose(const QString& root) {
    setCurrentIndex(root.isEmpty() ? -1 : findData(root));
}

} // namespace ZQ3::Desktop
