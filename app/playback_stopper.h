#pragma once

namespace ZQ3 {

// Every command first silences the audition output, so that no file it is about to replace is
// still being read. The player implements this.
class IPlaybackStopper {
public:
    virtual ~IPlaybackStopper() = default;
    // False when the output could not be stopped.
    virtual bool stopPlayback() = 0;
};

} // namespace ZQ3
