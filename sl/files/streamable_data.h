#pragma once

#include "sl/files/streamable.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace SL {

// An opaque payload whose size the owner decides (GetSize). Either loaded into memory, or only
// passed over: reading then moves past it, and writing leaves a gap of the size last read (or
// set) for another writer to fill, which is how sample data reaches a file after its header.
class CStreamableData : public virtual IStreamable {
public:
    using CBytes = std::vector<std::uint8_t>;

    explicit CStreamableData(bool loadIntoMemory);

    // A payload larger than what remains in the input is refused before anything is allocated,
    // so a forged size cannot make us reserve memory the file does not back.
    bool Read(std::istream& input) override;
    bool Write(std::ostream& output) override;

    virtual std::int32_t GetSize() const = 0;

    bool IsLoadedIntoMemory() const { return loadIntoMemory_; }
    const std::shared_ptr<CBytes>& GetData() const { return data_; }
    void SetData(std::shared_ptr<CBytes> data) { data_ = std::move(data); }
    // The size seen at the last read; for a payload that is not loaded, the gap a write leaves.
    std::int32_t GetStreamedSize() const { return streamedSize_; }
    void SetStreamedSize(std::int32_t size) { streamedSize_ = size; }

private:
    bool loadIntoMemory_;
    std::shared_ptr<CBytes> data_;
    std::int32_t streamedSize_ = 0;
};

} // namespace SL
