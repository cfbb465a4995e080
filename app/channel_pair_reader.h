#pragma once

#include "sl/codec/vexa_file_input_sample_iterator.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace ZQ3 {

// Decodes the two channel files of a stereo sample on two threads, straight into the caller's
// interleaved buffer. The files are coded independently, so for each run the reader's own thread
// decodes the right channel into the odd places while the caller's thread decodes the left one
// into the even places: on two cores a run then takes little more than half the decoding. The
// caller's buffer is the only one; no sample is copied after it is decoded, so the buffer can be
// the very block a file is written from.
//
// It delivers the samples of the card's own stereo reader. A channel that fails or ends early
// clears the good flag with the run where that shows; the reader is then no longer valid.
// Destroying the reader stops its thread, which is idle between runs.
class CChannelPairReader {
public:
    // left and right deliver one channel each, the same number of samples. A missing channel,
    // channels of different lengths or a thread that cannot be started give a reader that is
    // neither good nor valid.
    CChannelPairReader(std::shared_ptr<SL::CVexaFileInputSampleIterator> left,
                       std::shared_ptr<SL::CVexaFileInputSampleIterator> right);
    ~CChannelPairReader();
    CChannelPairReader(const CChannelPairReader&) = delete;
    CChannelPairReader& operator=(const CChannelPairReader&) = delete;

    // Whether sample frames are left to read.
    bool IsValid() const { return good_ && delivered_ < frames_; }
    bool IsGood() const { return good_; }

    // Decodes the next sample frames, up to `frames`, into out as left, right, left, right...
    // Answers how many frames it decoded: all asked for as far as the sample goes, fewer only
    // when a channel fell short, which also clears the good flag.
    std::size_t ReadFrames(std::int16_t* out, std::size_t frames);

private:
    void decodeRight();

    std::shared_ptr<SL::CVexaFileInputSampleIterator> left_;
    std::shared_ptr<SL::CVexaFileInputSampleIterator> right_;
    std::int64_t frames_ = 0; // per channel
    std::int64_t delivered_ = 0;
    bool good_ = false;

    std::mutex mutex_;
    std::condition_variable changed_;
    // Guarded by mutex_: the run asked of the worker (where its right channel goes and how many
    // frames), runs asked and runs done, what the last one delivered, and the request to stop.
    // The run's places are the worker's alone from its asking until it is counted done.
    std::int16_t* runOut_ = nullptr;
    std::size_t runFrames_ = 0;
    std::size_t runsAsked_ = 0;
    std::size_t runsDone_ = 0;
    std::size_t rightDelivered_ = 0;
    bool rightGood_ = true;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace ZQ3
