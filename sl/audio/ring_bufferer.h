#pragma once

#include "gt/runnable.h"
#include "gt/thread.h"
#include "sl/samples/ring_sample_buffer_factory.h"
#include "sl/samples/sample_iterator.h"
#include "sl/samples/sample_transformer.h"

#include <atomic>
#include <memory>

namespace SL {

// Reads a stream ahead into a ring on a filler thread of its own, so that slow reads (a file,
// the card codec) never happen on the thread that feeds the sound card. The filler is the only
// producer of the ring; once active it tops the ring up every 10 ms.
class CRingBufferer {
public:
    // The ring length until the owner sets another.
    static constexpr double DefaultRingTime = 1.6;

    CRingBufferer();
    // Stops and joins the filler.
    ~CRingBufferer();
    CRingBufferer(const CRingBufferer&) = delete;
    CRingBufferer& operator=(const CRingBufferer&) = delete;

    CRingSampleBufferFactory& getFactory() { return *factory_; }

    // Starts the filler thread on the runnable, which calls fill(); it idles until attach().
    bool startFiller(GT::IRunnable* runnable, int priority);
    // Makes the ring for the source's shape, fills it once and activates the filler. False
    // when no ring exists for the source's bit depth.
    bool attach(std::shared_ptr<IInputSampleIterator> source);
    // The filler loop: until the stop is requested, top up the ring, then sleep 10 ms.
    void fill();
    // Stops the filler and waits for it; a transfer in progress is completed first.
    void shutdown();

    const std::shared_ptr<ISampleBuffer>& getRing() const { return ring_; }
    bool isActive() const { return active_.load(std::memory_order_acquire); }

private:
    std::shared_ptr<IInputSampleIterator> source_;
    std::shared_ptr<ISampleTransformer> transformer_;
    std::shared_ptr<CRingSampleBufferFactory> factory_;
    std::shared_ptr<ISampleBuffer> ring_;
    std::shared_ptr<GT::AThread> thread_;
    // The filler reads its own thread object through this pointer, fixed before it starts.
    GT::AThread* filler_ = nullptr;
    // Publishes source, transformer and ring to the filler.
    std::atomic<bool> active_{false};
};

} // namespace SL
