#pragma once

#include "sl/files/sample_data_layout.h"
#include "sl/model/channel_collection.h"
#include "sl/model/wave.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace SL {

// The channels of a payload that was loaded into memory, decoded channel by channel.
std::shared_ptr<IChannelCollection> DecodeChannels(const CSampleDataLayout& layout,
                                                   const std::vector<std::uint8_t>& frames);

// Null channels that carry only the shape: the samples stay in the file.
std::shared_ptr<IChannelCollection> DescribeChannels(const CSampleDataLayout& layout);

// The bytes of the whole frames of a loaded payload whose first byte lies at payloadOffset;
// nothing when the layout's range does not lie inside the payload.
std::vector<std::uint8_t> FramesOf(const CSampleDataLayout& layout,
                                   const std::vector<std::uint8_t>& payload,
                                   std::int64_t payloadOffset);

// A wave of the layout's shape over the channels, its loop covering the whole sound once, until
// a format's own chunks say otherwise.
std::shared_ptr<IWave> MakeWave(const CSampleDataLayout& layout,
                                std::shared_ptr<IChannelCollection> channels);

} // namespace SL
