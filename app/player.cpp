#include "app/player.h"

#include "app/card_check_text.h"
#include "app/card_obstacle_details.h"
#include "app/card_sample_files.h"
#include "app/message_catalogue.h"
#include "app/playback_failure_text.h"
#include "app/refusal_details.h"
#include "app/report.h"
#include "app/sample_iterator_lofi_decorator.h"
#include "card/card_layout.h"
#include "gt/thread.h"
#include "sl/audio/sample_iterator_ring_buffering_decorator.h"
#include "sl/audio/sample_iterator_stereo_decorator.h"
#include "sl/files/file_sample_buffer_factory.h"
#include "sl/samples/sample_type.h"

#include <algorithm>
#include <any>
#include <cstdint>

namespace ZQ3 {

namespace {

constexpr int PlaybackTag = SL::CSampleTag::Integer16;

// The most the read-ahead ring, or one device buffer, holds. Both are set as times, which a
// stream's rate and channel count multiply: a 768 kHz, 32-channel file with the longest times
// the user may choose would otherwise take hundreds of megabytes. A 44.1 kHz stereo stream
// reaches it only after some 24 seconds, beyond any time offered.
constexpr double kMaxBufferBytes = 4.0 * 1024 * 1024;

// seconds, shortened to what kMaxBufferBytes holds of a 16-bit stream of attribute's shape.
double CappedBufferTime(double seconds, const SL::CSampleAttribute& attribute) {
    const double bytesPerSecond =
        attribute.GetSampleRate() * attribute.GetChannelCount() * sizeof(std::int16_t);
    return bytesPerSecond > 0.0 ? std::min(seconds, kMaxBufferBytes / bytesPerSecond) : seconds;
}

} // namespace

CPlayer::CPlayer(std::shared_ptr<SL::IAudioDeviceFacade> facade)
    : observers_(std::make_shared<GT::CSafeReferenceSet<GT::IMvcObserver>>()) {
    setAudioDeviceFacade(std::move(facade));
}

CPlayer::~CPlayer() {
    observers_.reset();
    // The device's own destruction stops any playback and joins its threads.
    device_.reset();
    facade_.reset();
}

void CPlayer::setAudioDeviceFacade(std::shared_ptr<SL::IAudioDeviceFacade> facade) {
    if (device_ && device_->isPlaying()) {
        stop();
    }
    device_.reset();
    facade_ = std::move(facade);
    if (facade_) {
        device_ = facade_->createOutputDevice(facade_->getDefaultOutputDeviceName());
    }
}

bool CPlayer::playPad(const CModel& model, int pad) {
    if (!model.hasSample(pad)) {
        ReportMessage(MessagePlaybackFailed);
        return false;
    }
    const int slot = CardLayout::Slot(model.bank, pad);
    playCard(model.channelFilePaths(pad), model.entryOf(pad).isLofi(), model.playedLength(pad),
             [&model, pad, slot] {
                 const std::string obstacle =
                     CardFilesDetail(model.channelFilePaths(pad), PosixFileSystem());
                 return obstacle.empty() ? SampleFilesDetail(model, slot) : obstacle;
             });
    return device_ && device_->isPlaying();
}

void CPlayer::setBufferTimes(double ringSeconds, double deviceSeconds) {
    ringBufferTime = ringSeconds;
    deviceBufferTime = deviceSeconds;
    if (device_) {
        device_->setBufferTime(deviceSeconds);
    }
}

void CPlayer::playCardSample(const std::vector<std::string>& sampleFilePaths, bool lofi,
                             std::int64_t length) {
    playCard(sampleFilePaths, lofi, length,
             [&sampleFilePaths] { return CardFilesDetail(sampleFilePaths, PosixFileSystem()); });
}

void CPlayer::playCard(const std::vector<std::string>& sampleFilePaths, bool lofi,
                       std::int64_t length, const std::function<std::string()>& unreadableDetail) {
    if (!device_) {
        ReportMessage(MessagePlaybackFailed);
        return;
    }
    if (device_->isPlaying()) {
        return;
    }
    std::shared_ptr<SL::IInputSampleIterator> source;
    if (auto card = OpenCardSampleInputIterator(sampleFilePaths, lofi, length)) {
        if (lofi) {
            source = std::make_shared<CSampleIteratorLofiDecorator>(std::move(card));
        } else {
            source = std::move(card);
        }
    }
    if (!source) {
        ReportMessage(MessagePlaybackFailed, unreadableDetail());
        return;
    }
    if (!playWrapped(std::move(source))) {
        return;
    }
    const std::any origin(this);
    observers_->ForEach(
        [&](GT::IMvcObserver& observer) { observer.update(origin, std::any(), std::any()); });
}

void CPlayer::playFile(const std::string& path) {
    if (!device_) {
        ReportMessage(MessagePlaybackFailed);
        return;
    }
    if (device_->isPlaying()) {
        return;
    }
    // The factory recognises RIFF WAVE and AIFF by their content.
    auto source = SL::CFileSampleBufferFactory().CreateInputSampleIterator(path);
    // Playback runs on 16-bit samples only, the one type the converter accepts; any other
    // file is refused with the text that says so instead of playing as silence.
    if (!source || source->GetAttribute().GetBitDepth().GetValue() != PlaybackTag) {
        ReportMessage(MessageWaveFileRefused, RefusedWaveDetail(path));
        return;
    }
    playWrapped(std::move(source));
}

void CPlayer::addObserver(const std::shared_ptr<GT::IMvcObserver>& observer) {
    observers_->Add(observer);
}

void CPlayer::stop() {
    if (!stopPlayback()) {
        ReportMessage(MessagePlaybackFailed);
    }
}

bool CPlayer::stopPlayback() {
    return !device_ || device_->stop();
}

double CPlayer::effectiveRingBufferTime() const {
    return ringBufferTime > 0.0 ? ringBufferTime : DefaultRingBufferTime;
}

bool CPlayer::playWrapped(std::shared_ptr<SL::IInputSampleIterator> source) {
    const double ringTime = CappedBufferTime(effectiveRingBufferTime(), source->GetAttribute());
    std::shared_ptr<SL::IInputSampleIterator> wrapped =
        std::make_shared<SL::CSampleIteratorRingBufferingDecorator<PlaybackTag>>(
            std::move(source), GT::AThread::TimeCriticalPriority, ringTime);
    if (wrapped->GetAttribute().GetChannelCount() == 1) {
        wrapped =
            std::make_shared<SL::CSampleIteratorStereoDecorator<PlaybackTag>>(std::move(wrapped));
    }
    if (deviceBufferTime > 0.0) {
        device_->setBufferTime(CappedBufferTime(deviceBufferTime, wrapped->GetAttribute()));
    }
    // On refusal the decorators die here, which stops and joins the filler.
    if (device_->play(wrapped)) {
        return true;
    }
    ReportMessage(MessagePlaybackFailed, PlaybackFailureDetail(device_->getOpenFailure()));
    return false;
}

} // namespace ZQ3
