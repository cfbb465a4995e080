#include "desktop/wave_file_open_dialog.h"

#include "app/card_probe.h"
#include "app/conversion_preview.h"
#include "app/message_catalogue.h"
#include "app/pad_waveform.h"
#include "app/preferences.h"
#include "app/report.h"
#include "card/card_layout.h"
#include "desktop/waveform_view.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>

#include <algorithm>

namespace {

QString RateText(double rate) {
    // Whole rates, the usual case, without decimals; others as the file states them.
    return rate == static_cast<double>(static_cast<long long>(rate))
               ? QString::number(static_cast<long long>(rate))
               : QString::number(rate, 'g', 10);
}

} // namespace

// The line that says what happens to the file under the cursor. It wraps rather than cuts its
// text: the reason is what tells the user what to do, and a long one must not widen the dialog.
class CWaveFileOpenDialog::CReasonLine : public QLabel {
public:
    explicit CReasonLine(QWidget* parent) : QLabel(parent) {
        setWordWrap(true);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        // Room for three lines from the start, so that the panel does not jump as files change.
        setMinimumHeight(3 * fontMetrics().lineSpacing());
    }

    const QString& fullText() const { return fullText_; }
    void setFullText(const QString& text) {
        fullText_ = text;
        setText(text);
    }

private:
    QString fullText_;
};

CWaveFileOpenDialog::CWaveFileOpenDialog(const ZQ3::CModel& model,
                                         std::shared_ptr<ZQ3::CPlayer> player,
                                         GT::IProfile& profile, QWidget* parent)
    : CWaveFileDialog(profile, AcceptOpen, CWaveFileDialog::tr("Open"),
                      WaveFileTypes() << CFileType{CWaveFileDialog::tr("All Files"),
                                                   QStringLiteral("*.*"),
                                                   {QStringLiteral("*")}},
                      parent),
      model_(model), player_(std::move(player)), profile_(profile),
      conversion_(std::make_unique<ZQ3::CConversionPreview>()) {
    const char* const labels[] = {
        QT_TRANSLATE_NOOP("CWaveFileDialog", "Format:"),
        QT_TRANSLATE_NOOP("CWaveFileDialog", "Bits Per Sample:"),
        QT_TRANSLATE_NOOP("CWaveFileDialog", "Sampling Frequency (Hz):"),
        QT_TRANSLATE_NOOP("CWaveFileDialog", "Channel Count:"),
        QT_TRANSLATE_NOOP("CWaveFileDialog", "Convert Size (Bytes):"),
        QT_TRANSLATE_NOOP("CWaveFileDialog", "Drive Free Space (Bytes):"),
    };
    for (int field = 0; field < 6; ++field) {
        fields_[field] = addPanelRow(CWaveFileDialog::tr(labels[field]));
    }
    QGridLayout* layout = grid();
    reason_ = new CReasonLine(this);
    play_ = new QPushButton(CWaveFileDialog::tr("Play"), this);
    play_->setAutoDefault(false);
    const int row = layout->rowCount();
    layout->addWidget(reason_, row, 0, 1, 2);
    // Play stands under the standard Cancel button.
    layout->addWidget(play_, row, 2);
    convert_ = new QCheckBox(CWaveFileDialog::tr("Convert to the card's format"), this);
    convert_->setChecked(ZQ3::CPreferences::Read(profile).convertToCardFormat);
    layout->addWidget(convert_, row + 1, 0, 1, 2);

    // A card whose file system does not tell its free space leaves the field empty.
    if (const std::optional<std::uint64_t> freeBytes = ZQ3::CardFreeBytes(model_.cardRoot)) {
        fields_[static_cast<int>(Field::FreeSpace)]->setText(ByteCountText(*freeBytes));
    }

    playTimer_.setInterval(PlayTimerMilliseconds);
    connect(&playTimer_, &QTimer::timeout, this, [this] { checkPlaying(); });
    connect(play_, &QPushButton::clicked, this, [this] { playOrStop(); });
    // The choice changes what the import does with the file under the cursor; it is remembered
    // as soon as it is made, whether or not a file is imported.
    connect(convert_, &QCheckBox::toggled, this, [this] {
        ZQ3::CPreferences::WriteConvertToCardFormat(profile_, convert_->isChecked());
        cancelConversion();
        preview(previewedPath_);
    });
    connect(this, &QFileDialog::currentChanged, this,
            [this](const QString& path) { preview(path); });
    updatePlayButton();
    addWaveformRow();
    giveTheFileListRoom();
}

void CWaveFileOpenDialog::giveTheFileListRoom() {
    // Qt's dialog gives its file list whatever height the panel leaves, which is two rows below
    // this panel; the list keeps room for FileListRows rows, and the dialog grows to hold them.
    for (const char* name : {"listView", "treeView"}) {
        auto* view = findChild<QAbstractItemView*>(QLatin1String(name));
        if (view == nullptr) {
            continue;
        }
        const int iconHeight = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
        const int rowHeight = std::max(view->fontMetrics().height(), iconHeight) + 4;
        int header = 0;
        if (auto* tree = qobject_cast<QTreeView*>(view)) {
            header = tree->header()->sizeHint().height();
        }
        view->setMinimumHeight(FileListRows * rowHeight + header + 2 * view->frameWidth());
    }
}

CWaveFileOpenDialog::~CWaveFileOpenDialog() {
    // Its thread must not report to a dialog that is going.
    conversion_->cancel();
}

ZQ3::ImportConversion CWaveFileOpenDialog::importConversion() const {
    ZQ3::ImportConversion conversion;
    conversion.convert = convert_->isChecked();
    return conversion;
}

void CWaveFileOpenDialog::preview(const QString& path) {
    // A conversion for Play that has not started playing belongs to the file left behind.
    if (!conversion_->isOf(path.toStdString())) {
        cancelConversion();
    }
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
    using Verdict = ZQ3::ImportFileCheck::Verdict;
    ZQ3::ImportConversion conversion = importConversion();
    // A refused file that conversion would mend is told so.
    conversion.findConvertible = true;
    const ZQ3::ImportFileCheck check = ZQ3::CheckImportFile(path.toStdString(), conversion);
    verdict_ = check.verdict;
    const auto setField = [this](Field field, const QString& text) {
        fields_[static_cast<int>(field)]->setText(text);
    };
    if (check.loaded) {
        const ZQ3::WaveShape& shape = check.shape;
        setField(Field::Format, DisplayTextOf(check.loaded.fileFormat));
        setField(Field::BitsPerSample, QString::number(shape.bitDepth.GetValue() & 0xFFFF));
        setField(Field::SamplingFrequency, RateText(shape.sampleRate));
        setField(Field::ChannelCount, QString::number(shape.channelCount));
        setField(Field::ConvertSize, ByteCountText(ZQ3::CardLayout::CardBytesNeeded(
                                         shape.frameCount, shape.channelCount)));
    } else if (check.verdict == Verdict::Converted) {
        // A file only the converter reads, described as libsndfile reads it; the container's
        // own name where the converter knows the container.
        const SL::CSoundFileShape& source = *check.source;
        const QString known = DisplayTextOf(check.loaded.fileFormat);
        setField(Field::Format,
                 known.isEmpty() ? QString::fromStdString(source.formatName) : known);
        if (source.bitsPerSample > 0) {
            setField(Field::BitsPerSample, QString::number(source.bitsPerSample));
        }
        setField(Field::SamplingFrequency, QString::number(source.sampleRate));
        setField(Field::ChannelCount, QString::number(source.channelCount));
    }
    const QString fileName = info.fileName();
    switch (check.verdict) {
    case Verdict::Taken:
        // Only a file the import takes may be played from here: what is auditioned is what the
        // pad will sound like.
        previewed_ = check.loaded.wave;
        break;
    case Verdict::Converted:
        // The card's bytes are those of the conversion.
        setField(Field::ConvertSize, ByteCountText(ZQ3::CardLayout::CardBytesNeeded(
                                         check.convertedFrames, check.convertedChannels)));
        reason_->setFullText(
            CWaveFileDialog::tr("%1: will be converted to 16-bit 44.1 kHz").arg(fileName));
        break;
    case Verdict::Refused:
        // A file the conversion would mend says so, and that it can then be played too: Play
        // stays off until the box is ticked.
        reason_->setFullText(
            check.convertible
                ? CWaveFileDialog::tr("%1 To import it and play it, tick Convert to the card's "
                                      "format.")
                      .arg(QString::fromStdString(check.refusal))
                : QString::fromStdString(check.refusal));
        break;
    }
    updatePlayButton();
}

QString CWaveFileOpenDialog::fieldText(Field field) const {
    return fields_[static_cast<int>(field)]->text();
}

QString CWaveFileOpenDialog::reasonText() const {
    return reason_->fullText();
}

QLabel* CWaveFileOpenDialog::reasonLine() const {
    return reason_;
}

void CWaveFileOpenDialog::done(int result) {
    cancelConversion();
    stopDevice();
    CWaveFileDialog::done(result);
}

void CWaveFileOpenDialog::playOrStop() {
    if (playWhenConverted_) {
        // Stop before the sound began: the conversion is not wanted any more.
        cancelConversion();
    } else if (devicePlaying()) {
        stopDevice();
    } else if (player_ && previewed_) {
        player_->playFile(previewedPath_.toStdString());
        playTimer_.start();
    } else if (player_ && verdict_ == ZQ3::ImportFileCheck::Verdict::Converted) {
        // Long files take a while; the dialog stays usable and Stop cancels.
        setCursor(Qt::BusyCursor);
        playWhenConverted_ = true;
        conversion_->start(previewedPath_.toStdString(), importConversion().options, [this] {
            QMetaObject::invokeMethod(
                this, [this] { previewConverted(); }, Qt::QueuedConnection);
        });
    }
    updatePlayButton();
}

void CWaveFileOpenDialog::previewConverted() {
    using State = ZQ3::CConversionPreview::State;
    const State state = conversion_->state();
    // A conversion the user no longer waits for, stopped or of a file left behind, says nothing.
    if (!playWhenConverted_ || state == State::Converting || state == State::Idle ||
        !conversion_->isOf(previewedPath_.toStdString())) {
        return;
    }
    playWhenConverted_ = false;
    unsetCursor();
    if (state == State::Failed) {
        reason_->setFullText(QString::fromStdString(conversion_->failure()));
    } else if (player_ && !devicePlaying()) {
        player_->playFile(conversion_->convertedFile());
        playTimer_.start();
    }
    updatePlayButton();
}

void CWaveFileOpenDialog::cancelConversion() {
    conversion_->cancel();
    if (playWhenConverted_) {
        playWhenConverted_ = false;
        unsetCursor();
    }
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
    // A conversion on its way to the speaker counts as playing: Stop cancels it.
    const bool playing = devicePlaying() || playWhenConverted_;
    const bool enabled = playing || previewed_ != nullptr ||
                         (player_ && verdict_ == ZQ3::ImportFileCheck::Verdict::Converted);
    if (!enabled && play_->hasFocus()) {
        if (auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"))) {
            list->setFocus();
        }
    }
    play_->setEnabled(enabled);
    play_->setText(playing ? CWaveFileDialog::tr("Stop") : CWaveFileDialog::tr("Play"));
}

void CWaveFileOpenDialog::addWaveformRow() {
    waveform_ = new ZQ3::Desktop::CWaveformView(this);
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
                            ? CWaveFileDialog::tr("%1 s").arg(
                                  static_cast<double>(waveform->frameCount()) / rate, 0, 'f', 2)
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
    verdict_ = ZQ3::ImportFileCheck::Verdict::Refused;
    for (const Field field : {Field::Format, Field::BitsPerSample, Field::SamplingFrequency,
                              Field::ChannelCount, Field::ConvertSize}) {
        fields_[static_cast<int>(field)]->clear();
    }
    reason_->setFullText(QString());
}
