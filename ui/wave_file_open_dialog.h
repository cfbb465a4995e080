#pragma once

#include "app/model.h"
#include "app/player.h"
#include "app/waveform_worker.h"
#include "ui/wave_file_dialog.h"

#include <QTimer>

#include <memory>

class CWaveformView;
class QLabel;
class QPushButton;
namespace SL {
class IWave;
}

// The import's file dialog: below the standard controls, a preview of the file under the cursor
// (its format, bits per sample, sampling frequency, channel count, the bytes it takes on the
// card and the card's free space), a line that says why the file cannot be imported when it
// cannot, and Play to audition the file.
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

    CWaveFileOpenDialog(const ZQ3::CModel& model, std::shared_ptr<ZQ3::CPlayer> player,
                        GT::IProfile& profile, QWidget* parent = nullptr);
    ~CWaveFileOpenDialog() override;

    // Shows the file at path in the preview, as the dialog does when the file under the cursor
    // changes.
    void preview(const QString& path);

    QString fieldText(Field field) const;
    // Why the previewed file cannot be imported; empty when it can, or when there is no file.
    QString reasonText() const;
    QPushButton* playButton() const { return play_; }
    // The waveform of the file under the cursor, read on a worker thread.
    CWaveformView* waveformView() const { return waveform_; }

    // Stops the audition whatever the result.
    void done(int result) override;

private:
    void playOrStop();
    void checkPlaying();
    bool devicePlaying() const;
    // Stops the audition, telling the user when the device could not be stopped.
    void stopDevice();
    void updatePlayButton();
    void clearPreview();
    void addWaveformRow();
    // Starts reading the waveform of path; it shows once read, if path is still the one shown.
    void readWaveform(const QString& path);

    class CReasonLine;

    const ZQ3::CModel& model_;
    std::shared_ptr<ZQ3::CPlayer> player_;
    // The file under the cursor while it may be imported; empty otherwise.
    std::shared_ptr<SL::IWave> previewed_;
    QString previewedPath_;
    QLabel* fields_[6] = {};
    CReasonLine* reason_ = nullptr;
    QPushButton* play_ = nullptr;
    QTimer playTimer_;
    CWaveformView* waveform_ = nullptr;
    // Last, so that it is stopped first: its job reports to this dialog.
    ZQ3::CWaveformWorker waveformWorker_;
};
