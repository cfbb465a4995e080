#pragma once

#include "app/model.h"
#include "desktop/wave_file_dialog.h"

class QLabel;

// The export's file dialog: below the standard controls, the bytes the export of the selected
// pad writes in the chosen type and the free space of the chosen folder's volume. Changing the
// type changes the file name's extension to match.
class CWaveFileSaveDialog : public CWaveFileDialog {
public:
    CWaveFileSaveDialog(const ZQ3::CModel& model, GT::IProfile& profile, QWidget* parent = nullptr);

    // The format of the type now chosen.
    SL::CWaveFileFormat chosenFormat() const { return FormatAt(filterIndex()); }

    QString convertSizeText() const;
    QString freeSpaceText() const;

protected:
    // Only the type of a file really saved is remembered.
    bool remembersFilterOnCancel() const override { return false; }
    void folderChanged(const QString& folder) override;
    void filterChanged(int index) override;

private:
    void showConvertSize();

    const ZQ3::CModel& model_;
    QLabel* convertSize_ = nullptr;
    QLabel* freeSpace_ = nullptr;
};
