#pragma once

#include "gt/endianed.h"
#include "sl/samples/byte_sample_locator.h"
#include "sl/samples/sample_bytes.h"
#include "sl/samples/sample_incrementer.h"
#include "sl/samples/sample_type.h"

#include <memory>
#include <utility>

namespace SL {

// Reads and writes the sample at a locator in a given byte order, and moves the locator on by
// an incrementer's steps. It does not know the bounds of the bytes it walks over: its owner
// checks the address before every access.
template <int Tag>
class CSampleEndianConverter : public GT::CEndianed {
public:
    using Value = SampleValue<Tag>;
    static constexpr int Width = SampleWidth<Tag>;

    CSampleEndianConverter(std::shared_ptr<CByteSampleLocator> locator,
                           std::shared_ptr<ISampleIncrementer<Width>> incrementer, int endianness)
        : GT::CEndianed(endianness), locator_(std::move(locator)),
          incrementer_(std::move(incrementer)), reverse_(NeedsSwap()) {}

    void SetEndianness(int endianness) override {
        GT::CEndianed::SetEndianness(endianness);
        reverse_ = NeedsSwap();
    }

    Value Get() const { return CSampleBytes<Tag>::Load(locator_->GetAddress(), reverse_); }
    void Set(Value value) { CSampleBytes<Tag>::Store(value, locator_->GetAddress(), reverse_); }
    void Advance() { locator_->Advance(incrementer_->Next()); }

    const std::shared_ptr<CByteSampleLocator>& GetLocator() const { return locator_; }
    const std::shared_ptr<ISampleIncrementer<Width>>& GetIncrementer() const {
        return incrementer_;
    }
    bool IsReversing() const { return reverse_; }

private:
    std::shared_ptr<CByteSampleLocator> locator_;
    std::shared_ptr<ISampleIncrementer<Width>> incrementer_;
    bool reverse_;
};

} // namespace SL
