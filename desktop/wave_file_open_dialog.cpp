#include "desktop/wave_file_open_dialog.h"

#include "app/card_probe.h"
#include "app/conversion_preview.h"
#include "app/message_catalogue.h"
#include "app/pad_waveform.h"
#include "app/preferences.h"
#include "app/report.h"
#include "card/card_layout.h"
#include "desktop/waveform_view.h"
#include "sl/codec/card_sound_format.h"
#include "ul/cursor.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <cmath>

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
    addTidyingRows();
    giveTheFileListRoom();
}

void CWaveFileOpenDialog::addTidyingRows() {
    tidying_ = ZQ3::CPreferences::ReadTidying(profile_);
    auto* tidyRow = new QHBoxLayout;
    trim_ = new QPushButton(CWaveFileDialog::tr("Trim Silence"), this);
    trim_->setAutoDefault(false);
    threshold_ = new QSpinBox(this);
    threshold_->setRange(static_cast<int>(ZQ3::CPreferences::Tidying::LowestThresholdDb), 0);
    threshold_->setSuffix(CWaveFileDialog::tr(" dBFS"));
    threshold_->setValue(static_cast<int>(std::lround(tidying_.trimThresholdDb)));
    threshold_->setToolTip(CWaveFileDialog::tr("Trim Silence cuts what stays below this level at "
                                               "the start and the end."));
    const int longestFade = static_cast<int>(ZQ3::CPreferences::Tidying::LongestFade * 1000.0);
    fadeIn_ = new QSpinBox(this);
    fadeIn_->setRange(0, longestFade);
    fadeIn_->setSuffix(CWaveFileDialog::tr(" ms"));
    fadeIn_->setValue(static_cast<int>(std::lround(tidying_.fadeInSeconds * 1000.0)));
    fadeOut_ = new QSpinBox(this);
    fadeOut_->setRange(0, longestFade);
    fadeOut_->setSuffix(CWaveFileDialog::tr(" ms"));
    fadeOut_->setValue(static_cast<int>(std::lround(tidying_.fadeOutSeconds * 1000.0)));
    fadeShape_ = new QComboBox(this);
    fadeShape_->addItem(CWaveFileDialog::tr("Linear"));
    fadeShape_->addItem(CWaveFileDialog::tr("Equal Power"));
    fadeShape_->setCurrentIndex(tidying_.equalPowerFades ? 1 : 0);
    tidyRow->addWidget(trim_);
    tidyRow->addWidget(threshold_);
    tidyRow->addStretch(1);
    tidyRow->addWidget(new QLabel(CWaveFileDialog::tr("Fade In:"), this));
    tidyRow->addWidget(fadeIn_);
    tidyRow->addWidget(new QLabel(CWaveFileDialog::tr("Fade Out:"), this));
    tidyRow->addWidget(fadeOut_);
    tidyRow->addWidget(fadeShape_);

    auto* chopRow = new QHBoxLayout;
    chopButton_ = new QPushButton(CWaveFileDialog::tr("Chop onto pads…"), this);
    chopButton_->setAutoDefault(false);
    sliceLabel_ = new QLabel(CWaveFileDialog::tr("Slice to Play:"), this);
    sliceBox_ = new QComboBox(this);
    sliceBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    chopRow->addWidget(chopButton_);
    chopRow->addStretch(1);
    chopRow->addWidget(sliceLabel_);
    chopRow->addWidget(sliceBox_);

    QGridLayout* layout = grid();
    const int row = layout->rowCount();
    layout->addLayout(tidyRow, row, 0, 1, 3);
    layout->addLayout(chopRow, row + 1, 0, 1, 3);
    showSlices();

    connect(trim_, &QPushButton::clicked, this, [this] { trimSilence(); });
    connect(chopButton_, &QPushButton::clicked, this, [this] { askChop(); });
    for (QSpinBox* field : {threshold_, fadeIn_, fadeOut_}) {
        connect(field, &QSpinBox::valueChanged, this, [this] { rememberTidying(); });
    }
    connect(fadeShape_, &QComboBox::currentIndexChanged, this, [this] { rememberTidying(); });
    connect(sliceBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!slices_.plan.slices.empty()) {
            waveform_->setSlices(waveform_->slices(), index);
        }
    });
    waveform_->slicePicked = [this](int slice) { sliceBox_->setCurrentIndex(slice); };
}

void CWaveFileOpenDialog::rememberTidying() {
    tidying_.trimThresholdDb = threshold_->value();
    tidying_.fadeInSeconds = fadeIn_->value() / 1000.0;
    tidying_.fadeOutSeconds = fadeOut_->value() / 1000.0;
    tidying_.equalPowerFades = fadeShape_->currentIndex() == 1;
    if (chop_) {
        tidying_.sliceAtOnsets = chop_->mode == SL::CSliceRequest::Mode::Onsets;
        tidying_.sliceCount = chop_->count;
        tidying_.sliceSensitivity = static_cast<int>(std::lround(chop_->sensitivity));
    }
    ZQ3::CPreferences::WriteTidying(profile_, tidying_);
}

SL::CSoundProcessing CWaveFileOpenDialog::processing() const {
    SL::CSoundProcessing processing;
    if (fileSeconds_ <= 0.0) {
        return processing;
    }
    ZQ3::SetRegion(processing, waveform_->regionStart() * fileSeconds_,
                   waveform_->regionEnd() * fileSeconds_, fileSeconds_);
    processing.fadeInSeconds = fadeIn_->value() / 1000.0;
    processing.fadeOutSeconds = fadeOut_->value() / 1000.0;
    processing.fadeShape =
        fadeShape_->currentIndex() == 1 ? SL::FadeShape::EqualPower : SL::FadeShape::Linear;
    return processing;
}

void CWaveFileOpenDialog::trimSilence() {
    if (fileSeconds_ <= 0.0) {
        return;
    }
    // The plan reads the whole file once; a long one takes a moment.
    ZQ3::TrimmedRegion trimmed;
    {
        UL::CWaitCursor wait;
        trimmed = ZQ3::PlanFileTrim(previewedPath_.toStdString(), threshold_->value());
    }
    if (!trimmed.done) {
        reason_->setFullText(QString::fromStdString(trimmed.refusal));
        return;
    }
    waveform_->setRegion(trimmed.startSeconds / fileSeconds_, trimmed.endSeconds / fileSeconds_);
}

int CWaveFileOpenDialog::firstSlot() const {
    return ZQ3::CardLayout::Slot(std::max(0, model_.bank), std::max(0, model_.selectedPad));
}

void CWaveFileOpenDialog::askChop() {
    QDialog ask(this);
    ask.setWindowTitle(CWaveFileDialog::tr("Chop onto pads"));
    auto* form = new QFormLayout(&ask);
    auto* mode = new QComboBox(&ask);
    mode->addItem(CWaveFileDialog::tr("Do Not Chop"));
    mode->addItem(CWaveFileDialog::tr("Equal Parts"));
    mode->addItem(CWaveFileDialog::tr("At Onsets"));
    mode->setCurrentIndex(!chop_ ? (tidying_.sliceAtOnsets ? 2 : 1)
                                 : (chop_->mode == SL::CSliceRequest::Mode::Onsets ? 2 : 1));
    auto* count = new QSpinBox(&ask);
    count->setRange(1, ZQ3::CPreferences::Tidying::MostSlices);
    count->setValue(tidying_.sliceCount);
    count->setToolTip(CWaveFileDialog::tr("The number of equal parts, or the most onsets kept."));
    auto* sensitivity = new QSpinBox(&ask);
    sensitivity->setRange(0, 100);
    sensitivity->setValue(tidying_.sliceSensitivity);
    sensitivity->setToolTip(
        CWaveFileDialog::tr("Higher finds softer onsets too; for onsets only."));
    form->addRow(CWaveFileDialog::tr("Chop:"), mode);
    form->addRow(CWaveFileDialog::tr("Slices (Most Slices at Onsets):"), count);
    form->addRow(CWaveFileDialog::tr("Sensitivity:"), sensitivity);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    const auto follow = [mode, sensitivity] { sensitivity->setEnabled(mode->currentIndex() == 2); };
    connect(mode, &QComboBox::currentIndexChanged, &ask, follow);
    follow();
    if (ask.exec() != QDialog::Accepted) {
        return;
    }
    if (mode->currentIndex() == 0) {
        chopOntoPads(std::nullopt);
        return;
    }
    SL::CSliceRequest request;
    request.mode = mode->currentIndex() == 2 ? SL::CSliceRequest::Mode::Onsets
                                             : SL::CSliceRequest::Mode::Equal;
    request.count = count->value();
    request.sensitivity = sensitivity->value();
    chopOntoPads(request);
}

void CWaveFileOpenDialog::chopOntoPads(const std::optional<SL::CSliceRequest>& request) {
    cancelConversion();
    chop_ = request;
    slices_ = {};
    if (chop_) {
        rememberTidying();
        if (fileSeconds_ > 0.0) {
            UL::CWaitCursor wait;
            slices_ = ZQ3::PlanFileSlices(previewedPath_.toStdString(), *chop_);
        }
    }
    showSlices();
}

void CWaveFileOpenDialog::showSlices() {
    const bool chopping = chop_.has_value();
    // A chop takes the whole file: its slices bring their own short fades.
    for (QWidget* widget :
         std::initializer_list<QWidget*>{trim_, threshold_, fadeIn_, fadeOut_, fadeShape_}) {
        widget->setEnabled(!chopping);
    }
    sliceLabel_->setVisible(chopping);
    sliceBox_->setVisible(chopping);
    const QSignalBlocker blocker(sliceBox_);
    sliceBox_->clear();
    std::vector<ZQ3::Desktop::CWaveformView::Slice> drawn;
    const auto& planned = slices_.plan.slices;
    const double total = static_cast<double>(slices_.plan.streamFrames);
    for (std::size_t i = 0; i < planned.size() && total > 0.0; ++i) {
        const double rate = SL::CCardSoundFormat::kSampleRate;
        drawn.emplace_back(static_cast<double>(planned[i].begin) / total,
                           static_cast<double>(planned[i].end) / total);
        sliceBox_->addItem(CWaveFileDialog::tr("%1: %2 to %3 s")
                               .arg(i + 1)
                               .arg(static_cast<double>(planned[i].begin) / rate, 0, 'f', 2)
                               .arg(static_cast<double>(planned[i].end) / rate, 0, 'f', 2));
    }
    waveform_->setSlices(drawn, drawn.empty() ? -1 : 0);
    if (!chopping || previewedPath_.isEmpty()) {
        return;
    }
    // Where the slices go, or why they cannot: the import refuses them for the same reason.
    if (!slices_.done) {
        reason_->setFullText(QString::fromStdString(slices_.refusal));
        return;
    }
    const int first = firstSlot();
    const auto count = static_cast<int>(planned.size());
    const int lastSlot = first + count - 1;
    if (lastSlot >= ZQ3::CardLayout::SlotCount) {
        reason_->setFullText(
            CWaveFileDialog::tr("%1 slices: more than the %2 pads from %3 to the card's last pad.")
                .arg(count)
                .arg(ZQ3::CardLayout::SlotCount - first)
                .arg(QString::fromStdString(ZQ3::CardLayout::PadName(first))));
    } else if (count == 1) {
        reason_->setFullText(CWaveFileDialog::tr("1 slice, onto pad %1.")
                                 .arg(QString::fromStdString(ZQ3::CardLayout::PadName(first))));
    } else {
        reason_->setFullText(CWaveFileDialog::tr("%1 slices, onto pads %2 to %3.")
                                 .arg(count)
                                 .arg(QString::fromStdString(ZQ3::CardLayout::PadName(first)),
                                      QString::fromStdString(ZQ3::CardLayout::PadName(lastSlot))));
    }
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
    if (!chop_) {
        conversion.options.processing = processing();
        // A region or fades are made by the conversion, whatever the box says.
        conversion.convert = conversion.convert || conversion.options.processing.any();
    }
    return conversion;
}

void CWaveFileOpenDialog::preview(const QString& path) {
    // A conversion for Play that has not started playing belongs to the file left behind.
    if (!conversion_->isOf(path.toStdString())) {
        cancelConversion();
    }
    // The same file again (the Convert box changed) keeps its region.
    const bool otherFile = path != previewedPath_;
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
    // The file is described as it is; what the tidying does is told by the waveform.
    ZQ3::ImportConversion conversion;
    conversion.convert = convert_->isChecked();
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
        if (shape.sampleRate > 0) {
            fileSeconds_ = static_cast<double>(shape.frameCount) / shape.sampleRate;
        }
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
        if (source.sampleRate > 0) {
            fileSeconds_ = static_cast<double>(source.frameCount) / source.sampleRate;
        }
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
    // Only a file the import takes, as it is or converted, is cut or chopped.
    if (check.verdict == Verdict::Refused) {
        fileSeconds_ = 0.0;
    }
    if (otherFile) {
        waveform_->setRegion(0.0, 1.0);
    }
    waveform_->setRegionEditable(fileSeconds_ > 0.0);
    if (chop_ && fileSeconds_ > 0.0) {
        slices_ = ZQ3::PlanFileSlices(path.toStdString(), *chop_);
        showSlices();
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
    } else if (player_ && chop_) {
        // The slice picked, as its pad will play it.
        const int picked = waveform_->pickedSlice();
        if (picked >= 0 && picked < static_cast<int>(slices_.plan.slices.size())) {
            SL::CConversionOptions options = importConversion().options;
            options.processing =
                ZQ3::SliceAudition(slices_.plan.slices[static_cast<std::size_t>(picked)]);
            playConverted(options);
        }
    } else if (player_ && previewed_ && !processing().any()) {
        player_->playFile(previewedPath_.toStdString());
        playTimer_.start();
    } else if (player_ && verdict_ != ZQ3::ImportFileCheck::Verdict::Refused) {
        // The selection, converted as the import will convert it.
        playConverted(importConversion().options);
    }
    updatePlayButton();
}

void CWaveFileOpenDialog::playConverted(const SL::CConversionOptions& options) {
    // Long files take a while; the dialog stays usable and Stop cancels.
    setCursor(Qt::BusyCursor);
    playWhenConverted_ = true;
    conversion_->start(previewedPath_.toStdString(), options, [this] {
        QMetaObject::invokeMethod(
            this, [this] { previewConverted(); }, Qt::QueuedConnection);
    });
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
    // At least a column for each of the screen's pixels across the lanes, so that the outline
    // stays sharp on a high-density screen.
    const int columns = std::max(WaveformColumns, waveform_->plotPixels());
    waveformWorker_.submit([this, path, columns](const std::atomic<bool>& cancelled) {
        auto read = ZQ3::ReadFileWaveform(path.toStdString(), columns, cancelled);
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
        waveform_->setRegionEditable(false);
    }
    previewed_.reset();
    verdict_ = ZQ3::ImportFileCheck::Verdict::Refused;
    fileSeconds_ = 0.0;
    slices_ = {};
    if (sliceBox_ != nullptr) {
        showSlices();
    }
    for (const Field field : {Field::Format, Field::BitsPerSample, Field::SamplingFrequency,
                              Field::ChannelCount, Field::ConvertSize}) {
        fields_[static_cast<int>(field)]->clear();
    }
    reason_->setFullText(QString());
}
