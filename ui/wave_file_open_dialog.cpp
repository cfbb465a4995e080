#include "ui/wave_file_open_dialog.h"

#include "app/import_command.h"
#include "app/message_catalogue.h"
#include "app/pad_waveform.h"
#include "app/refusal_details.h"
#include "app/report.h"
#include "card/card_layout.h"
#include "card/file_transfer.h"
#include "sl/files/wave_file_loader.h"
#include "ui/waveform_view.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {

const char* const Context = "WaveFileDialog";

QString Tr(const char* text) {
    return QCoreApplication::translate(Context, text);
}

QString RateText(double rate) {
    // Whole rates, the usual case, without decimals; others as the file states them.
    return rate == static_cast<double>(static_cast<long long>(rate))
               ? QString::number(static_cast<long long>(rate))
               : QString::number(rate, 'g', 10);
}

} // namespace

// One line that shows as much of its text as fits, with "…" where it is cut, and the whole text
// as its tool tip: a long reason must not widen the dialog.
class CWaveFileOpenDialog::CReasonLine : public QLabel {
public:
    explicit CReasonLine(QWidget* parent) : QLabel(parent) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    const QString& fullText() const { return fullText_; }
    void setFullText(const QString& text) {
        fullText_ = text;
        setToolTip(text);
        showFitting();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        showFitting();
    }

private:
    void showFitting() { setText(fontMetrics().elidedText(fullText_, Qt::ElideRight, width())); }

    QString fullText_;
};

CWaveFileOpenDialog::CWaveFileOpenDialog(const ZQ3::CModel& model,
                                         std::shared_ptr<ZQ3::CPlayer> player,
                                         GT::IProfile& profile, QWidget* parent)
    : CWaveFileDialog(profile, AcceptOpen, Tr("Open"),
                      WaveFileTypes() << CFileType{Tr("All Files"),
                                                   QStringLiteral("*.*"),
                                                   {QStringLiteral("*")}},
                      parent),
      model_(model), player_(std::move(player)) {
    const char* const labels[] = {
        QT_TRANSLATE_NOOP("WaveFileDialog", "Format:"),
        QT_TRANSLATE_NOOP("WaveFileDialog", "Bits Per Sample:"),
        QT_TRANSLATE_NOOP("WaveFileDialog", "Sampling Frequency (Hz):"),
        QT_TRANSLATE_NOOP("WaveFileDialog", "Channel Count:"),
        QT_TRANSLATE_NOOP("WaveFileDialog", "Convert Size (Bytes):"),
        QT_TRANSLATE_NOOP("WaveFileDialog", "Drive Free Space (Bytes):"),
    };
    for (int field = 0; field < 6; ++field) {
        fields_[field] = addPanelRow(Tr(labels[field]));
    }
    QGridLayout* layout = grid();
    reason_ = new CReasonLine(this);
    play_ = new QPushButton(Tr("Play"), this);
    play_->setAutoDefault(false);
    const int row = layout->rowCount();
    layout->addWidget(reason_, row, 0, 1, 2);
    // Play stands under the standard Cancel button.
    layout->addWidget(play_, row, 2);

    std::uint64_t freeBytes = 0;
    if (!model_.cardRoot.empty() && ZQ3::FileTransfer::FreeSpace(model_.cardRoot, freeBytes)) {
        fields_[static_cast<int>(Field::FreeSpace)]->setText(ByteCountText(freeBytes));
    }

    playTimer_.setInterval(PlayTimerMilliseconds);
    connect(&playTimer_, &QTimer::timeout, this, [this] { checkPlaying(); });
    connect(play_, &QPushButton::clicked, this, [this] { playOrStop(); });
    connect(this, &QFileDialog::currentChanged, this,
            [this](const QString& path) { preview(path); });
    updatePlayButton();
    addWaveformRow();
}

CWaveFileOpenDialog::~CWaveFileOpenDialog() = default;

void CWaveFileOpenDialog::preview(const QString& path) {
    previewedPath_ = path;
    clearPreview();
    const QFileInfo info(path);
    // A folder under the cursor is a place to go, not a file that failed.
    if (path.isEmpty() || info.isDir()) {
        updatePlayButton();
        return;
    }
    // Any sound file shows its waveform, also one the card does not take as it is.
    readWaveform(path);
    const std::string fileName = info.fileName().toStdString();
    const SL::CLoadedWave loaded = SL::LoadWaveFile(path.toStdString());
    if (!loaded) {
        reason_->setFullText(QString::fromStdString(ZQ3::WaveLoadDetail(fileName, loaded)));
        updatePlayButton();
        return;
    }
    const ZQ3::WaveShape shape = ZQ3::CImportCommand::CheckShape(*loaded.wave);
    fields_[static_cast<int>(Field::Format)]->setText(DisplayTextOf(loaded.fileFormat));
    fields_[static_cast<int>(Field::BitsPerSample)]->setText(
        QString::number(shape.bitDepth.GetValue() & 0xFFFF));
    fields_[static_cast<int>(Field::SamplingFrequency)]->setText(RateText(shape.sampleRate));
    fields_[static_cast<int>(Field::ChannelCount)]->setText(QString::number(shape.channelCount));
    fields_[static_cast<int>(Field::ConvertSize)]->setText(
        ByteCountText(ZQ3::CardLayout::CardBytesNeeded(shape.frameCount, shape.channelCount)));
    // Only a file the import takes may be played from here: what is auditioned is what the
    // pad will sound like.
    if (shape.accepted()) {
        previewed_ = loaded.wave;
    } else {
        reason_->setFullText(QString::fromStdString(ZQ3::WaveShapeDetail(fileName, shape)));
    }
    updatePlayButton();
}

QString CWaveFileOpenDialog::fieldText(Field field) const {
    return fields_[static_cast<int>(field)]->text();
}

QString CWaveFileOpenDialog::reasonText() const {
    return reason_->fullText();
}

void CWaveFileOpenDialog::done(int result) {
    stopDevice();
    CWaveFileDialog::done(result);
}

void CWaveFileOpenDialog::playOrStop() {
    if (devicePlaying()) {
        stopDevice();
    } else if (player_ && previewed_) {
        player_->playFile(previewedPath_.toStdString());
        playTimer_.start();
    }
    updatePlayButton();
}

void CWaveFileOpenDialog::checkPlaying() {
    if (devicePlaying()) {
        return;
    }
    stopDevice();
    updatePlayButton();
}

bool CWaveFileOpenDialog::devicePlaying() const {
    if (!player_) {
        return false;
    }
    const auto& device = player_->getAudioOutDevice();
    return device && device->isPlaying();
}

void CWaveFileOpenDialog::stopDevice() {
    playTimer_.stop();
    if (player_ && !player_->stopPlayback()) {
        ZQ3::ReportMessage(ZQ3::MessagePlaybackFailed);
    }
}

void CWaveFileOpenDialog::updatePlayButton() {
    const bool playing = devicePlaying();
    const bool enabled = playing || previewed_ != nullptr;
    if (!enabled && play_->hasFocus()) {
        if (auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"))) {
            list->setFocus();
        }
    }
    play_->setEnabled(enabled);
    play_->setText(playing ? Tr("Stop") : Tr("Play"));
}

void CWaveFileOpenDialog::addWaveformRow() {
    waveform_ = new CWaveformView(this);
    waveform_->setFixedHeight(88);
    QGridLayout* layout = grid();
    layout->addWidget(waveform_, layout->rowCount(), 0, 1, 3);
}

void CWaveFileOpenDialog::readWaveform(const QString& path) {
    waveformWorker_.submit([this, path](const std::atomic<bool>& cancelled) {
        auto read = ZQ3::ReadFileWaveform(path.toStdString(), WaveformColumns, cancelled);
        if (cancelled.load() || !read) {
            return;
        }
        auto waveform = std::make_shared<const SL::CWaveform>(std::move(*read));
        QMetaObject::invokeMethod(
            this,
            [this, path, waveform] {
                if (waveform_ != nullptr && path == previewedPath_) {
                    const double rate = waveform->sampleRate();
                    const QString length =
                        rate > 0.0
                            ? Tr("%1 s").arg(static_cast<double>(waveform->frameCount()) / rate, 0,
                                             'f', 2)
                            : QString();
                    waveform_->showWaveform(waveform, QFileInfo(path).fileName(), length);
                }
            },
            Qt::QueuedConnection);
    });
}

void CWaveFileOpenDialog::clearPreview() {
    waveformWorker_.cancel();
    if (waveform_ != nullptr) {
        waveform_->clear();
    }
    previewed_.reset();
    for (const Field field : {Field::Format, Field::BitsPerSample, Field::SamplingFrequency,
                              Field::ChannelCount, Field::ConvertSize}) {
        fields_[static_cast<int>(field)]->clear();
    }
    reason_->setFullText(QString());
}
