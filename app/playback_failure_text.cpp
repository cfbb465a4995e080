#include "app/playback_failure_text.h"

#include "app/localized_text.h"

namespace ZQ3 {
namespace {

// The system's words, or a stand-in when it gave none.
std::string SystemWords(const SL::CWaveOutOpenFailure& failure) {
    return failure.systemText.empty() ? Localized("the system gave no reason") : failure.systemText;
}

std::string ChooseAnotherOutput() {
    return Localized("Choose another output with ZQ3_AUDIO_OUT: alsa:DEVICE (such as "
                     "alsa:hw:1,0), null (plays nothing) or wav:PATH (writes the sound to a WAV "
                     "file).");
}

} // namespace

std::string PlaybackFailureDetail(const SL::CWaveOutOpenFailure& failure) {
    using Reason = SL::CWaveOutOpenFailure::Reason;
    switch (failure.reason) {
    case Reason::UnknownOutput:
        return Localized("ZQ3_AUDIO_OUT is set to '{0}', which names no sound output. The valid "
                         "outputs are alsa (the default sound card), alsa:DEVICE (such as "
                         "alsa:hw:1,0), null (plays nothing) and wav:PATH (writes the sound to a "
                         "WAV file); set one of them, or unset ZQ3_AUDIO_OUT.",
                         {failure.output});
    case Reason::DeviceUnavailable:
        return Localized("No audio device: the sound output '{0}' could not be opened ({1}). "
                         "Check that the sound card is connected, switched on and not held by "
                         "another program, or choose another output with ZQ3_AUDIO_OUT: "
                         "alsa:DEVICE (such as alsa:hw:1,0), null (plays nothing) or wav:PATH "
                         "(writes the sound to a WAV file).",
                         {failure.output, SystemWords(failure)});
    case Reason::FormatRefused:
        return Localized("The sound output '{0}' cannot play this sound ({1}).",
                         {failure.output, SystemWords(failure)}) +
               " " + ChooseAnotherOutput();
    case Reason::NoSuchDevice:
        return Localized("There is no sound output device number {0}.", {failure.output}) + " " +
               ChooseAnotherOutput();
    case Reason::CaptureFileUnwritable:
        return Localized("The sound cannot be written to {0}, the file ZQ3_AUDIO_OUT names ({1}). "
                         "Name a file in a folder you can write to.",
                         {failure.output, SystemWords(failure)});
    case Reason::None:
        break;
    }
    return {};
}

} // namespace ZQ3
