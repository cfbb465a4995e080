#pragma once

#include "app/import_command.h"
#include "app/import_file_check.h"
#include "app/model.h"
#include "app/player.h"
#include "app/preferences.h"
#include "app/slice_import.h"
#include "app/waveform_worker.h"
#include "desktop/wave_file_dialog.h"

#include <QTimer>

#include <memory>
#include <optional>

namespace ZQ3::Desktop {
class CWaveformView;
}
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
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
//
// Below the waveform the sound can be tidied on the way in: the handles on the waveform take a
// region, Trim Silence sets them where the trim at the threshold given would cut, and fades in
// and out of the lengths given are applied to what is kept; Play then plays what the pad will
// hold. "Chop onto pads…" cuts the whole file into equal parts or at its onsets instead, draws
// the slice points and plays the slice picked; the import then puts the slices onto the pads from
// the selected one on. The settings last used are remembered in the profile.
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

    // The region kept, the fades and their shape, as the import applies them; nothing asked
    // for when the handles hold the whole file and no fade is set.
    SL::CSoundProcessing processing() const;
    // The chop the import does instead of a plain import; nothing when not chopping.
    const std::optional<SL::CSliceRequest>& chopRequest() const { return chop_; }
    // Chops the previewed file as request says (nothing stops chopping): plans the slices,
    // draws them, tells in the reason line where they go or why they do not fit, and picks the
    // first slice for Play. Remembers the request's settings.
    void chopOntoPads(const std::optional<SL::CSliceRequest>& request);
    // The slices of the chop planned, in the sound's own order.
    const ZQ3::SlicedFile& slicePlan() const { return slices_; }
    // Sets the handles where trimming at the threshold field's level would cut; a file without
    // anything louder says so in the reason line.
    void trimSilence();

    QPushButton* trimButton() const { return trim_; }
    QSpinBox* thresholdField() const { return threshold_; }
    QSpinBox* fadeInField() const { return fadeIn_; }
    QSpinBox* fadeOutField() const { return fadeOut_; }
    QComboBox* fadeShapeBox() const { return fadeShape_; }
    QPushButton* chopButton() const { return chopButton_; }
    QComboBox* sliceBox() const { return sliceBox_; }

    // Stops the audition whatever the result.
    void done(int result) override;

private:
    void playOrStop();
    // Converts the previewed file with options for Play, with the busy cursor meanwhile.
    void playConverted(const SL::CConversionOptions& options);
    void addTidyingRows();
    // Asks for the chop's settings in a small dialog of its own.
    void askChop();
    // The fields' settings into the profile.
    void rememberTidying();
    void showSlices();
    // The first slot the chop goes to: the selected pad of the bank shown.
    int firstSlot() const;
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
    // The previewed file's length; 0 without one.
    double fileSeconds_ = 0.0;
    ZQ3::CPreferences::Tidying tidying_;
    std::optional<SL::CSliceRequest> chop_;
    ZQ3::SlicedFile slices_;
    QPushButton* trim_ = nullptr;
    QSpinBox* threshold_ = nullptr;
    QSpinBox* fadeIn_ = nullptr;
    QSpinBox* fadeOut_ = nullptr;
    QComboBox* fadeShape_ = nullptr;
    QPushButton* chopButton_ = nullptr;
    QLabel* sliceLabel_ = nullptr;
    QComboBox* sliceBox_ = nullptr;
    // Last, so that it is stopped first: its job reports to this dialog.
    ZQ3::CWaveformWorker waveformWorker_;
};
