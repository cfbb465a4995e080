#include "desktop/wave_file_save_dialog.h"

#include "app/export_batch.h"
#include "card/card_layout.h"
#include "card/file_transfer.h"

#include <optional>

#include <QLabel>

CWaveFileSaveDialog::CWaveFileSaveDialog(const ZQ3::CModel& model, GT::IProfile& profile,
                                         QWidget* parent)
    : CWaveFileDialog(profile, AcceptSave, CWaveFileDialog::tr("Save As"), WaveFileTypes(), parent),
      model_(model) {
    convertSize_ = addPanelRow(CWaveFileDialog::tr("Convert Size (Bytes):"));
    freeSpace_ = addPanelRow(CWaveFileDialog::tr("Drive Free Space (Bytes):"));
    showConvertSize();
    folderChanged(currentFolder());
    // The pad's own name, as an export of several pads names it, and never the file imported
    // last: saved over, that would be the user's own source replaced by another pad's sound.
    if (ZQ3::CardLayout::IsValidPad(model_.selectedPad) && model_.hasCard()) {
        selectFile(QString::fromStdString(ZQ3::ExportFileName(
            ZQ3::CardLayout::Slot(model_.bank, model_.selectedPad), chosenFormat().GetValue())));
    }
}

QString CWaveFileSaveDialog::convertSizeText() const {
    return convertSize_->text();
}

QString CWaveFileSaveDialog::freeSpaceText() const {
    return freeSpace_->text();
}

void CWaveFileSaveDialog::folderChanged(const QString& folder) {
    if (!freeSpace_) {
        return;
    }
    const std::optional<std::uint64_t> freeBytes =
        ZQ3::FileTransfer::FreeSpace(folder.toStdString());
    freeSpace_->setText(freeBytes ? ByteCountText(*freeBytes) : QString());
}

void CWaveFileSaveDialog::filterChanged(int index) {
    if (!convertSize_) {
        return;
    }
    const QString name = fileNameText();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (!name.isEmpty()) {
        const QString stem = dot > slash ? name.left(dot) : name;
        setFileNameText(stem + ExtensionOf(FormatAt(index)));
    }
    showConvertSize();
}

void CWaveFileSaveDialog::showConvertSize() {
    convertSize_->setText(
        ByteCountText(model_.diskBytesNeeded(model_.selectedPad, chosenFormat().GetValue())));
}
