#include "app/pad_waveform_cache.h"

#include "app/pad_waveform.h"
#include "card/card_layout.h"

#include <utility>

namespace ZQ3 {

namespace {

bool SameOwner(const std::weak_ptr<const CModel>& a, const std::shared_ptr<const CModel>& b) {
    return !a.owner_before(b) && !b.owner_before(a);
}

} // namespace

CPadWaveformCache::CPadWaveformCache(int columnCount, std::function<void()> onReady)
    : columnCount_(columnCount), onReady_(std::move(onReady)) {}

CPadWaveformCache::~CPadWaveformCache() = default;

std::shared_ptr<const SL::CWaveform>
CPadWaveformCache::waveformOf(const std::shared_ptr<const CModel>& model, int pad) {
    if (!model) {
        return nullptr;
    }
    std::optional<PadSound> sound = PadSound::Of(*model, pad);
    std::uint64_t generation = 0;
    int slot = 0;
    {
        std::lock_guard lock(mutex_);
        if (!SameOwner(model_, model)) {
            // Another card, or this card changed: nothing kept may be shown again.
            model_ = model;
            ++generation_;
            waveforms_.clear();
            computing_ = -1;
            worker_.cancel();
        }
        if (!sound) {
            return nullptr;
        }
        slot = CardLayout::Slot(model->bank, pad);
        if (const auto kept = waveforms_.find(slot); kept != waveforms_.end()) {
            return kept->second;
        }
        if (computing_ == slot) {
            return nullptr;
        }
        computing_ = slot;
        generation = generation_;
    }
    worker_.submit(
        [this, generation, slot, sound = std::move(*sound)](const std::atomic<bool>& cancelled) {
            std::optional<SL::CWaveform> read = ReadPadWaveform(sound, columnCount_, cancelled);
            if (cancelled.load()) {
                store(generation, slot, nullptr);
                return;
            }
            // Files that cannot be read get an outline without channels, so that they are not read
            // again at every look.
            store(generation, slot,
                  std::make_shared<const SL::CWaveform>(read ? std::move(*read) : SL::CWaveform()));
        });
    return nullptr;
}

void CPadWaveformCache::store(std::uint64_t generation, int slot,
                              std::shared_ptr<const SL::CWaveform> waveform) {
    {
        std::lock_guard lock(mutex_);
        if (generation != generation_) {
            return;
        }
        if (computing_ == slot) {
            computing_ = -1;
        }
        if (!waveform) {
            return;
        }
        waveforms_[slot] = std::move(waveform);
    }
    if (onReady_) {
        onReady_();
    }
}

std::size_t CPadWaveformCache::size() const {
    std::lock_guard lock(mutex_);
    return waveforms_.size();
}

} // namespace ZQ3
