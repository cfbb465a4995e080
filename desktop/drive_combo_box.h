#pragma once

#include "desktop/mount_table.h"

#include <QComboBox>
#include <QStringList>

namespace ZQ3::Desktop {

// The drive chooser: the user's volumes, a card marked as such, and a last entry that asks for
// any folder. It says when it is about to open, so that the list can be rebuilt and a card put
// in meanwhile shows.
class CDriveComboBox : public QComboBox {
    Q_OBJECT

public:
    // Item data of the last entry, which asks for any folder.
    static constexpr const char* OtherFolderEntry = "";

    using QComboBox::QComboBox;

    // Lists the volumes of mounts a user may keep a card on, then keptRoot and the entry chosen
    // before when neither is among them, then the last entry; chooses again what was chosen,
    // else keptRoot.
    void rebuild(const QString& keptRoot, const QList<MountEntry>& mounts);
    // The listed volumes that hold a card, as of the last rebuild.
    const QStringList& cardVolumes() const { return cardVolumes_; }
    // Chooses the entry of root; none when root is empty or not listed.
    void choose(const QString& root);
    bool isOtherFolderEntry(int index) const { return index == count() - 1; }

    void showPopup() override;

signals:
    void aboutToOpen();

private:
    QStringList cardVolumes_;
};

} // namespace ZQ3::Desktop
