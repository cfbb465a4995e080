#include "platform/wav_capture_file.h"

#include <array>
#include <limits>

namespace SL {

namespace {

// The longest header written: RIFF, WAVE, an 18-byte format chunk and the data chunk header.
constexpr std::size_t MaximumHeaderSize = 46;

class CHeaderBytes {
public:
    void Put(std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i) {
            bytes_[size_++] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    void PutTag(const char (&tag)[5]) {
        for (int i = 0; i < 4; ++i) {
            bytes_[size_++] = static_cast<std::uint8_t>(tag[i]);
        }
    }
    const std::uint8_t* Data() const { return bytes_.data(); }
    std::size_t Size() const { return size_; }

private:
    std::array<std::uint8_t, MaximumHeaderSize> bytes_{};
    std::size_t size_ = 0;
};

} // namespace

bool CWavCaptureFile::Open(const std::string& path, const CWaveOutFormat& format) {
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        return false;
    }
    // Integer PCM takes the classic 16-byte format chunk (a 44-byte header); floating point
    // needs the 18-byte form with its extension size.
    const bool extended = format.formatTag != CWaveOutFormat::Pcm;
    CHeaderBytes header;
    header.PutTag("RIFF");
    header.Put(0, 4);
    header.PutTag("WAVE");
    header.PutTag("fmt ");
    header.Put(extended ? 18 : 16, 4);
    header.Put(format.formatTag, 2);
    header.Put(format.channels, 2);
    header.Put(format.samplesPerSecond, 4);
    header.Put(format.averageBytesPerSecond, 4);
    header.Put(format.blockAlign, 2);
    header.Put(format.bitsPerSample, 2);
    if (extended) {
        header.Put(0, 2);
    }
    header.PutTag("data");
    header.Put(0, 4);
    headerSize_ = static_cast<std::uint32_t>(header.Size());
    dataSize_ = 0;
    if (std::fwrite(header.Data(), 1, header.Size(), file_) != header.Size() || !WriteSizes()) {
        Close();
        return false;
    }
    return true;
}

bool CWavCaptureFile::Write(const std::uint8_t* bytes, std::size_t size) {
    if (file_ == nullptr) {
        return false;
    }
    // RIFF sizes are 32-bit: a capture that would outgrow them stops growing instead of
    // producing a header that lies.
    const std::uint64_t limit = std::numeric_limits<std::uint32_t>::max() - headerSize_ - 1;
    if (dataSize_ + std::uint64_t{size} > limit) {
        return false;
    }
    if (std::fseek(file_, headerSize_ + dataSize_, SEEK_SET) != 0 ||
        std::fwrite(bytes, 1, size, file_) != size) {
        return false;
    }
    dataSize_ += static_cast<std::uint32_t>(size);
    return WriteSizes();
}

bool CWavCaptureFile::WriteSizes() {
    // A chunk of odd size is followed by a pad byte that its size does not count.
    const bool padded = (dataSize_ & 1u) != 0;
    CHeaderBytes riffSize;
    riffSize.Put(headerSize_ - 8 + dataSize_ + (padded ? 1 : 0), 4);
    CHeaderBytes dataSize;
    dataSize.Put(dataSize_, 4);
    bool good = std::fseek(file_, 4, SEEK_SET) == 0 &&
                std::fwrite(riffSize.Data(), 1, 4, file_) == 4 &&
                std::fseek(file_, headerSize_ - 4, SEEK_SET) == 0 &&
                std::fwrite(dataSize.Data(), 1, 4, file_) == 4;
    if (good && padded) {
        const std::uint8_t zero = 0;
        good = std::fseek(file_, headerSize_ + dataSize_, SEEK_SET) == 0 &&
               std::fwrite(&zero, 1, 1, file_) == 1;
    }
    return good && std::fflush(file_) == 0;
}

void CWavCaptureFile::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

} // namespace SL
