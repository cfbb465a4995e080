#pragma once

#include "app/model.h"
#include "app/playback_stopper.h"
#include "gt/observer.h"
#include "gt/safe_reference_set.h"
#include "sl/audio/audio_device.h"
#include "sl/audio/audio_device_facade.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ZQ3 {

// The application's one audition engine: it plays a pad's sample from the card or a WAV/AIFF
// file through the output device of its facade. Every source is read ahead on a filler thread
// and reaches the device as 16-bit audio, mono sources turned into two channels. The player
// never blocks the caller for the length of a sample; whether it plays is the device's
// isPlaying(). All its operations run on the user-interface thread.
class CPlayer : public GT::IObservable, public IPlaybackStopper {
public:
    // The buffer times used while the application has not set its own.
    static constexpr double DefaultRingBufferTime = 0.18;
    static constexpr double DefaultDeviceBufferTime = 0.06;

    explicit CPlayer(std::shared_ptr<SL::IAudioDeviceFacade> facade);
    ~CPlayer() override;
    CPlayer(const CPlayer&) = delete;
    CPlayer& operator=(const CPlayer&) = delete;

    // Stops any playback and takes the facade's default output device.
    void setAudioDeviceFacade(std::shared_ptr<SL::IAudioDeviceFacade> facade);

    // Plays a pad: its left card file, then the right one for a stereo pad, the lo-fi flag and
    // the length handed to the card input (doubled by the caller for a lo-fi pad). Ignored
    // while something plays; reports "Playback failed." when it cannot play.
    void playCardSample(const std::vector<std::string>& sampleFilePaths, bool lofi,
                        std::int64_t length);
    // Plays pad of the model's bank, as a press on the pad does; false, with the failure
    // reported, when the pad holds no sample or it cannot be played.
    bool playPad(const CModel& model, int pad);
    // Plays a WAV or AIFF file. Ignored while something plays; a file that is neither, or of
    // a sample type the converter does not take, gets the message that says which files are
    // supported.
    void playFile(const std::string& path);

    // The device, for callers that poll isPlaying() or stop it directly; may be empty.
    const std::shared_ptr<SL::IAudioOutDevice>& getAudioOutDevice() const { return device_; }
    // Observers learn that a pad started playing; they are held weakly.
    void addObserver(const std::shared_ptr<GT::IMvcObserver>& observer);

    // Stops playback, reporting "Playback failed." when the device could not be stopped.
    void stop();
    // Stops playback without reporting; false when the device could not be stopped.
    bool stopPlayback() override;

    // Sets both buffer times below and hands the device buffer time to the device.
    void setBufferTimes(double ringSeconds, double deviceSeconds);

    // Seconds of read-ahead (zero or less plays with the default) and of one device buffer.
    // The application sets both from the preferences before the first playback and hands the
    // device buffer time to the device itself; the player only keeps it for saving.
    double ringBufferTime = 0.0;
    double deviceBufferTime = 0.0;

private:
    // playCardSample, with unreadableDetail saying why the card files would not open.
    void playCard(const std::vector<std::string>& sampleFilePaths, bool lofi, std::int64_t length,
                  const std::function<std::string()>& unreadableDetail);
    // Wraps the source for the device and starts it; false, with the failure reported, when
    // the device refused it.
    bool playWrapped(std::shared_ptr<SL::IInputSampleIterator> source);
    double effectiveRingBufferTime() const;

    std::shared_ptr<SL::IAudioDeviceFacade> facade_;
    std::shared_ptr<SL::IAudioOutDevice> device_;
    std::shared_ptr<GT::CSafeReferenceSet<GT::IMvcObserver>> observers_;
};

} // namespace ZQ3
