#pragma once

#include <cstddef>
#include <vector>

namespace SL {

// Mixes interleaved frames of any channel count down to the one or two channels the card takes.
//
// More than two channels become stereo by an equal-power rule: the channels at even positions
// (0, 2, 4...) feed the left side, those at odd positions the right, and when the count is odd
// its last channel, usually a centre or a low-frequency channel, feeds both at -3 dB. Each side
// is then scaled so that the squares of its gains add up to one: uncorrelated channels of equal
// loudness keep that loudness, and no single channel comes out louder than it went in.
// One or two channels pass as they are. Mono is the plain mean of the stereo sides, so that
// identical sides give that side back and opposite sides cancel to silence.
class CChannelMixer {
public:
    CChannelMixer(int inputChannels, bool mono);

    int inputChannels() const { return inputChannels_; }
    int outputChannels() const { return mono_ ? 1 : (inputChannels_ == 1 ? 1 : 2); }

    // Mixes frameCount frames from input into output (outputChannels() samples a frame).
    void mix(const float* input, std::size_t frameCount, float* output) const;

private:
    int inputChannels_;
    bool mono_;
    // Per input channel, its gain on the left and right sides.
    std::vector<float> leftGain_;
    std::vector<float> rightGain_;
};

} // namespace SL
