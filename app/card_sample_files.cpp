#include "app/card_sample_files.h"

#include "card/card_obstacle.h"
#include "sl/files/file_data_source.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace ZQ3 {

namespace {

constexpr int kNormalBitsPerSample = 8;
constexpr int kLofiBitsPerSample = 4;
constexpr std::int64_t kSamplesPerFrame = 16;

std::optional<std::int64_t> MeasureSize(std::istream& stream) {
    stream.seekg(0, std::ios::end);
    const std::streamoff size = stream.tellg();
    if (!stream || size < 0) {
        return std::nullopt;
    }
    return std::int64_t(size);
}

} // namespace

std::shared_ptr<SL::CVexaFileInputSampleIterator>
OpenCardSampleInputIterator(const std::vector<std::string>& sampleFilePaths, bool lofi,
                            std::int64_t sampleCount) {
    if (sampleFilePaths.empty()) {
        return {};
    }
    std::vector<std::shared_ptr<std::istream>> streams;
    // Every file is measured: a damaged card may hold a right file shorter than its left one.
    std::int64_t shortestSize = std::numeric_limits<std::int64_t>::max();
    for (const std::string& path : sampleFilePaths) {
        // Never through a link: its target may be any file of the computer.
        std::shared_ptr<std::istream> stream = OpenCardFileForReading(path);
        if (!stream) {
            return {};
        }
        const std::optional<std::int64_t> size = MeasureSize(*stream);
        if (!size) {
            return {};
        }
        shortestSize = std::min(shortestSize, *size);
        streams.push_back(std::move(stream));
    }

    const int bitsPerSample = lofi ? kLofiBitsPerSample : kNormalBitsPerSample;
    const std::int64_t frameBytes = 2 * bitsPerSample;
    const std::int64_t wholeFrames = shortestSize / frameBytes;
    if (sampleCount < 0) {
        sampleCount = wholeFrames * kSamplesPerFrame;
    }
    // A sample needs every frame it touches in full; a trailing partial frame holds no samples.
    const std::int64_t framesNeeded = (sampleCount + kSamplesPerFrame - 1) / kSamplesPerFrame;
    if (framesNeeded > wholeFrames || sampleCount > std::numeric_limits<std::int32_t>::max()) {
        return {};
    }
    return std::make_shared<SL::CVexaFileInputSampleIterator>(
        std::move(streams), bitsPerSample, static_cast<std::int32_t>(sampleCount), 0);
}

std::shared_ptr<SL::CVexaFileOutputSampleIterator>
OpenCardSampleOutputIterator(const std::vector<std::string>& sampleFilePaths) {
    if (sampleFilePaths.empty()) {
        return {};
    }
    std::vector<std::shared_ptr<std::ostream>> streams;
    for (const std::string& path : sampleFilePaths) {
        std::shared_ptr<std::ostream> stream =
            SL::CFileDataSource(path, SL::CFileAccess::CreateNew).OpenOutput();
        if (!stream) {
            return {};
        }
        streams.push_back(std::move(stream));
    }
    return std::make_shared<SL::CVexaFileOutputSampleIterator>(
        std::move(streams), SL::CVexaFileOutputSampleIterator::kCardBitsPerSample, 0,
        SL::CVexaFileOutputSampleIterator::kCardByteLimit);
}

} // namespace ZQ3
