#pragma once

#include "sl/codec/vexa_file_input_sample_iterator.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ZQ3 {

// Decodes the two channel files of a stereo sample on two threads and delivers them as one
// interleaved stream. The files are coded independently, so a thread of the reader's own decodes
// the right channel ahead into the odd places of a few chunk buffers, while the caller's thread
// decodes the left channel into the even places of the oldest of them and reads it out: on two
// cores an export then waits for little more than half the decoding. The threads never write
// into the same buffer at once.
//
// It reads like the card's own stereo reader (IsValid, IsGood, GetValue, Read) and delivers the
// same samples. A channel that fails or ends early clears the good flag at the chunk boundary
// where that shows; the stream is then no longer valid. Destroying the reader stops its thread
// within one chunk's decoding, so a cancelled copy returns at once.
class CChannelPairReader {
public:
    // Sample frames decoded per hand-over. Every hand-over wakes a thread, which on a virtual
    // machine costs far more than on bare metal: with a quarter of this the threads spent so long
    // waking each other that the export was often slower than on one thread. A chunk is still
    // decoded in well under a millisecond, so a stop is seen at once; the four chunks take 1 MiB.
    static constexpr std::size_t kChunkFrames = 65536;

    // left and right deliver one channel each, the same number of samples. A missing channel,
    // channels of different lengths or a thread that cannot be started give a reader that is
    // neither good nor valid.
    CChannelPairReader(std::shared_ptr<SL::CVexaFileInputSampleIterator> left,
                       std::shared_ptr<SL::CVexaFileInputSampleIterator> right);
    ~CChannelPairReader();
    CChannelPairReader(const CChannelPairReader&) = delete;
    CChannelPairReader& operator=(const CChannelPairReader&) = delete;

    bool IsValid() const { return good_ && delivered_ < total_; }
    bool IsGood() const { return good_; }
    // The current interleaved sample; meaningful only while the reader is valid.
    std::int16_t GetValue() const { return current_[position_]; }
    // Copies up to count interleaved samples into out, starting with the current one, and
    // advances past them. Answers how many were copied.
    std::size_t Read(std::int16_t* out, std::size_t count);

private:
    // One chunk of interleaved samples. The worker fills the odd places and hands the chunk
    // over; the caller's thread then fills the even places, reads it out and gives it back. The
    // hand-over counters below order the two.
    struct CChunk {
        std::vector<std::int16_t> samples;
        bool good = true;
    };
    static constexpr std::size_t kChunks = 4;

    void decodeRight();
    // Gives back the chunk read out, waits for the next one from the worker and decodes the
    // left channel into it; clears the good flag when either channel falls short.
    void takeNextChunk();

    std::shared_ptr<SL::CVexaFileInputSampleIterator> left_;
    std::shared_ptr<SL::CVexaFileInputSampleIterator> right_;
    std::int64_t frames_ = 0; // per channel
    std::int64_t total_ = 0;  // interleaved samples
    std::int64_t delivered_ = 0;
    bool good_ = false;

    std::int16_t silence_ = 0; // the current chunk of a reader that never started
    const std::int16_t* current_ = &silence_;
    std::size_t position_ = 0; // the current sample in current_
    std::size_t filled_ = 0;   // the samples current_ holds
    bool holdsChunk_ = false;  // whether current_ is a chunk not yet given back

    std::array<CChunk, kChunks> chunks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // Guarded by mutex_: chunks handed over by the worker, chunks given back by the reader, and
    // the request to stop.
    std::size_t produced_ = 0;
    std::size_t consumed_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace ZQ3
