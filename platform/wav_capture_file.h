#pragma once

#include "platform/wave_out_format.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace SL {

// A RIFF WAVE file that receives the frames an output stream has played, so that a run
// without a sound card can be listened to or checked afterwards. The sizes in the header are
// kept right after every write, so the file is complete even if the process dies.
class CWavCaptureFile {
public:
    CWavCaptureFile() = default;
    CWavCaptureFile(const CWavCaptureFile&) = delete;
    CWavCaptureFile& operator=(const CWavCaptureFile&) = delete;
    ~CWavCaptureFile() { Close(); }

    // Creates or truncates the file and writes the header of an empty stream.
    bool Open(const std::string& path, const CWaveOutFormat& format);
    bool Write(const std::uint8_t* bytes, std::size_t size);
    void Close();

private:
    bool WriteSizes();

    std::FILE* file_ = nullptr;
    std::uint32_t headerSize_ = 0;
    std::uint32_t dataSize_ = 0;
};

} // namespace SL
