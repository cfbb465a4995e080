#pragma once

#include "sl/codec/vexa_file_output_sample_iterator.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ZQ3 {

// Encodes an interleaved stereo stream into the two channel files of a stereo sample on two
// threads. The channels are coded independently, so the caller's thread collects the stream
// into a few chunk buffers and codes the left channel of each full chunk, while a thread of the
// writer's own codes its right channel: on two cores an import waits for little more than half
// the encoding. Both threads only read a chunk they share; the caller refills it once the worker
// has given it back.
//
// It writes like the card's own stereo writer (IsValid, IsGood, Room, Write, Finish) and leaves
// the same bytes in the files, a last odd sample padded with silence as that writer pads its last
// frame. A channel whose file fails clears the good flag at the next chunk hand-over; Finish then
// reports failure. Destroying the writer without Finish stops its thread within one chunk's
// coding, so a cancelled copy returns at once; the files then lack their last chunks, and the
// caller discards them.
class CChannelPairWriter {
public:
    // Sample frames per hand-over, as for the two-thread reader: a thread wake-up costs a lot on
    // a virtual machine, and a chunk is still coded in about a millisecond. The four chunks take
    // 1 MiB.
    static constexpr std::size_t kChunkFrames = 65536;

    // left and right each write one channel's file and have written nothing yet. A missing or
    // unusable channel, or a thread that cannot be started, give a writer that is neither good
    // nor valid.
    CChannelPairWriter(std::shared_ptr<SL::CVexaFileOutputSampleIterator> left,
                       std::shared_ptr<SL::CVexaFileOutputSampleIterator> right);
    ~CChannelPairWriter();
    CChannelPairWriter(const CChannelPairWriter&) = delete;
    CChannelPairWriter& operator=(const CChannelPairWriter&) = delete;

    bool IsValid() const { return !finished_ && IsGood() && Room() > 0; }
    // Whether nothing has failed so far; false for a writer that never started.
    bool IsGood() const { return good_ && left_->IsGood() && rightGood_.load(); }
    // The interleaved samples that still fit below the channel files' byte limit.
    std::int64_t Room() const;
    // Stores up to count interleaved samples, stopping where the writer stops being valid.
    // Answers how many were taken.
    std::size_t Write(const std::int16_t* values, std::size_t count);
    // Codes what is collected, waits for the worker and finishes both files. Answers whether all
    // of it reached them; later calls repeat the first answer.
    bool Finish();

private:
    struct CChunk {
        std::vector<std::int16_t> samples;
        std::size_t count = 0; // interleaved samples handed over
    };
    static constexpr std::size_t kChunks = 4;

    void encodeRight();
    // Waits until the chunk to be filled next has been given back by the worker.
    void takeFreeChunk();
    // Hands the chunk being filled to the worker and codes its left channel meanwhile.
    void handOver();
    // Stops the worker, after the chunks handed over when drain is set.
    void stopWorker(bool drain);

    std::shared_ptr<SL::CVexaFileOutputSampleIterator> left_;
    std::shared_ptr<SL::CVexaFileOutputSampleIterator> right_;
    bool good_ = false;
    bool finished_ = false;
    bool finishResult_ = false;
    // Cleared by the worker when the right channel's file fails.
    std::atomic<bool> rightGood_{true};

    std::int16_t* filling_ = nullptr; // the chunk being filled, once taken
    std::size_t filled_ = 0;          // the samples it holds

    std::array<CChunk, kChunks> chunks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    // Guarded by mutex_: chunks handed over by the caller, chunks coded by the worker, and the
    // requests to stop: at once, or once every chunk handed over is coded.
    std::size_t produced_ = 0;
    std::size_t encoded_ = 0;
    bool stopping_ = false;
    bool closing_ = false;
    std::thread worker_;
};

} // namespace ZQ3
