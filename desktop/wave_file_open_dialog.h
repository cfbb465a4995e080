#pragma once

#include "app/import_command.h"
#include "app/import_file_check.h"
#include "app/model.h"
#include "app/player.h"
#include "app/waveform_worker.h"
#include "desktop/wave_file_dialog.h"

#include <QTimer>

#include <memory>

namespace ZQ3::Desktop {
class CWaveformView;
}
class QCheckBox;
class QLabel;
class QPushButton;
namespace SL {
class IWave;
}
namespace ZQ3 {
class CConversionPreview;
}

// The import's file dialog: below the standard controls, a preview of the file under the cursor
// (its format, bits per sample, sampling frequency, channel count, the bytes it takes on the
// card and the card's free space), a line that says why the file cannot be imported when it
// cannot, or that it will be converted, Play to audition the file, and the choice to convert
// files the card does not take as they are (remembered in the profile). A file to be converted
// is auditioned as converted: Play converts it into a work file first, off the user-interface
// thread, with a busy cursor over the dialog meanwhile.
class CWaveFileOpenDialog : public CWaveFileDialog {
public:
    // The preview's value fields.
    enum class Field {
        Format,
        BitsPerSample,
        SamplingFrequency,
        ChannelCount,
        ConvertSize,
        FreeSpace
    };
    // How often the dialog looks whether the audition has ended.
    static constexpr int PlayTimerMilliseconds = 200;
    // Columns of the file's waveform: more than the strip is wide on any screen, merged when
    // drawn, so that a wider dialog needs no new reading.
    static constexpr int WaveformColumns = 1024;
    // The rows of files the list shows at least.
    static constexpr int FileListRows = 8;

    CWaveFileOpenDialog(const ZQ3::CModel& model, std::shared_ptr<ZQ3::CPlayer> player,
                        GT::IProfile& profile, QWidget* parent = nullptr);
    ~CWaveFileOpenDialog() override;

    // Shows the file at path in the preview, as the dialog does when the file under the cursor
    // changes.
    void preview(const QString& path);

    QString fieldText(Field field) const;
    // What the line below the panel says: why the previewed file cannot be imported, or that
    // it will be converted; empty when it is imported as it is, or when there is no file.
    QString reasonText() const;
    // The line that shows it, wrapped to the dialog's width.
    QLabel* reasonLine() const;
    QPushButton* playButton() const { return play_; }
    QCheckBox* convertBox() const { return convert_; }
    // How the import of the chosen file converts it, as the check box says.
    ZQ3::ImportConversion importConversion() const;
    // The waveform of the file under the cursor, read on a worker thread.
    ZQ3::Desktop::CWaveformView* waveformView() const { return waveform_; }

    // Stops the audition whatever the result.
    void done(int result) override;

private:
    void playOrStop();
    // Plays the previewed file's conversion once it is ready, if the user still waits for it.
    void previewConverted();
    // Stops a conversion for Play; a finished one is kept for the next Play of its file.
    void cancelConversion();
    void checkPlaying();
    bool devicePlaying() const;
    // Stops the audition, telling the user when the device could not be stopped.
    void stopDevice();
    void updatePlayButton();
    void clearPreview();
    void addWaveformRow();
    void giveTheFileListRoom();
    // Starts reading the waveform of path; it shows once read, if path is still the one shown.
    void readWaveform(const QString& path);

    class CReasonLine;

    const ZQ3::CModel& model_;
    std::shared_ptr<ZQ3::CPlayer> player_;
    GT::IProfile& profile_;
    // The file under the cursor while it may be imported as it is; empty otherwise.
    std::shared_ptr<SL::IWave> previewed_;
    QString previewedPath_;
    ZQ3::ImportFileCheck::Verdict verdict_ = ZQ3::ImportFileCheck::Verdict::Refused;
    std::unique_ptr<ZQ3::CConversionPreview> conversion_;
    // Play was pressed for a file to be converted, and its conversion is not playing yet.
    bool playWhenConverted_ = false;
    QLabel* fields_[6] = {};
    CReasonLine* reason_ = nullptr;
    QPushButton* play_ = nullptr;
    QCheckBox* convert_ = nullptr;
    QTimer playTimer_;
    ZQ3::Desktop::CWaveformView* waveform_ = nullptr;
    // Last, so that it is stopped first: its job reports to this dialog.
    ZQ3::CWaveformWorker waveformWorker_;
};
