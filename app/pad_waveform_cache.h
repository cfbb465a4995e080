#pragma once

#include "app/model.h"
#include "app/waveform_worker.h"
#include "sl/samples/waveform.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace ZQ3 {

// The outlines of the card's pads, computed on a worker thread the first time a pad is asked
// for and kept until the card changes. The card changes exactly when the controller installs a
// new model (a load, a reload after another program's change, an import, a delete), so the cache
// belongs to one installed model and forgets everything when it is asked with another one.
class CPadWaveformCache {
public:
    // onReady runs on the worker thread each time an outline has been stored; a front end moves
    // to its own thread there and asks again. columnCount is the width of the drawing in pixels.
    CPadWaveformCache(int columnCount, std::function<void()> onReady);
    ~CPadWaveformCache();
    CPadWaveformCache(const CPadWaveformCache&) = delete;
    CPadWaveformCache& operator=(const CPadWaveformCache&) = delete;

    // The outline of pad in model's current bank. Null for an empty pad and while the outline is
    // being computed (the computation is started then); an outline without channels when the
    // pad's files could not be read. Called on one thread, the user interface's.
    std::shared_ptr<const SL::CWaveform> waveformOf(const std::shared_ptr<const CModel>& model,
                                                    int pad);

    int columnCount() const { return columnCount_; }
    // How many outlines are kept.
    std::size_t size() const;

private:
    void store(std::uint64_t generation, int slot, std::shared_ptr<const SL::CWaveform> waveform);

    const int columnCount_;
    const std::function<void()> onReady_;
    mutable std::mutex mutex_;
    // The model the outlines were read for; held weakly, so the cache never keeps a card alive.
    std::weak_ptr<const CModel> model_;
    // Counts the models seen, so that an outline finished for an earlier card is dropped.
    std::uint64_t generation_ = 0;
    std::map<int, std::shared_ptr<const SL::CWaveform>> waveforms_;
    // The slot being computed, -1 when none.
    int computing_ = -1;
    // Destroyed first, so that no job touches the members above after they are gone.
    CWaveformWorker worker_;
};

} // namespace ZQ3
