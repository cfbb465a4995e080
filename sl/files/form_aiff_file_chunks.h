#pragma once

#include "sl/files/iff_container_chunk.h"
#include "sl/files/iff_data_chunk.h"
#include "sl/files/sample_data_layout.h"
#include "sl/model/bit_depth.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace SL {

// The chunks of an AIFF file; every one is big-endian.
class CFormAiffFileChunks {
public:
    class CFormAiffChunk : public CIffContainerChunk {
    public:
        // Creates every chunk class below by its identifier ("SSND" loaded exactly when
        // loadData is set); every other chunk is skipped.
        class CDefaultChunkFactory : public IChunkFactory {
        public:
            explicit CDefaultChunkFactory(bool loadData) : loadData_(loadData) {}
            std::unique_ptr<CIffChunk> Create(const CFourCharacterCode& identifier) override;

        private:
            bool loadData_;
        };

        explicit CFormAiffChunk(std::shared_ptr<IChunkFactory> factory);
    };

    // "COMM": the shape of the sound. Its frame count is informative only; readers count the
    // frames from the size of "SSND".
    class CCommonChunk : public CIffChunk {
    public:
        CCommonChunk();
        bool ReadBody(std::istream& input) override;
        bool WriteBody(std::ostream& output) override;

        std::int16_t channelCount = 0;
        std::uint32_t sampleFrameCount = 0;
        std::int16_t sampleSize = 0;
        // Held as a double; in the file an 80-bit extended number.
        double sampleRate = 0;
    };

    // "SSND": offset and block size, then the sample payload.
    class CSoundDataChunk : public CIffDataChunk {
    public:
        static constexpr std::int32_t FieldsSize = 8;

        explicit CSoundDataChunk(bool loadData);
        bool ReadBody(std::istream& input) override;
        bool WriteBody(std::ostream& output) override;
        std::int32_t GetSize() const override { return GetHeader().GetSize() - FieldsSize; }

        std::uint32_t offset = 0;
        std::uint32_t blockSize = 0;
    };

    class CMarkerChunk : public CIffChunk {
    public:
        struct CMarker {
            std::int16_t identifier = 0;
            std::uint32_t position = 0;
            std::string name; // at most 255 bytes
            bool operator==(const CMarker&) const = default;
        };

        CMarkerChunk();
        bool ReadBody(std::istream& input) override;
        // Fails for a name longer than its count byte can say.
        bool WriteBody(std::ostream& output) override;

        std::vector<CMarker> markers;
    };

    class CInstrumentChunk : public CIffChunk {
    public:
        struct CLoop {
            std::int16_t playMode = 0; // 0 none, 1 forward, 2 forward and backward
            std::int16_t beginMarker = 0;
            std::int16_t endMarker = 0;
        };

        CInstrumentChunk();
        bool ReadBody(std::istream& input) override;
        bool WriteBody(std::ostream& output) override;

        std::int8_t baseNote = 0;
        std::int8_t detune = 0;
        std::int8_t lowNote = 0;
        std::int8_t highNote = 0;
        std::int8_t lowVelocity = 0;
        std::int8_t highVelocity = 0;
        std::int16_t gain = 0;
        CLoop sustainLoop;
        CLoop releaseLoop;
    };

    class CCommentsChunk : public CIffChunk {
    public:
        struct CComment {
            std::uint32_t timeStamp = 0;
            std::int16_t markerIdentifier = 0;
            std::string text; // at most 65535 bytes
            bool operator==(const CComment&) const = default;
        };

        CCommentsChunk();
        bool ReadBody(std::istream& input) override;
        bool WriteBody(std::ostream& output) override;

        std::vector<CComment> comments;
    };

    // "NAME", "AUTH", "(c) " and "ANNO": the whole body is the text.
    class CTextChunk : public CIffChunk {
    public:
        explicit CTextChunk(const CFourCharacterCode& identifier);
        bool ReadBody(std::istream& input) override;
        bool WriteBody(std::ostream& output) override;

        std::string text;
    };

    // Chunks whose bodies this system neither needs nor changes: reading leaves the body to be
    // skipped, writing writes an empty body.
    class COpaqueChunk : public CIffChunk {
    public:
        explicit COpaqueChunk(const CFourCharacterCode& identifier);
        bool ReadBody(std::istream& input) override;
        bool WriteBody(std::ostream& output) override;
    };
    class CMidiDataChunk : public COpaqueChunk {
    public:
        CMidiDataChunk() : COpaqueChunk(CFourCharacterCode::Midi) {}
    };
    class CAudioRecordingChunk : public COpaqueChunk {
    public:
        CAudioRecordingChunk() : COpaqueChunk(CFourCharacterCode::Aesd) {}
    };
    class CApplicationSpecificChunk : public COpaqueChunk {
    public:
        CApplicationSpecificChunk() : COpaqueChunk(CFourCharacterCode::Appl) {}
    };

    // The layout of the samples of a tree read with "COMM" and "SSND", or nothing when the
    // sample size, the channel count, the rate or the sound data offset cannot describe sound.
    static std::optional<CSampleDataLayout> DescribeSampleData(const CIffContainerChunk& root);

    // Writes the 54-byte header of an exported file from position 0: "COMM", then "SSND" over
    // the samples in [dataBegin, dataEnd), which are passed over, not written. AIFF holds
    // integer samples only, so any other representation is refused, as are values the header
    // cannot hold.
    static bool WriteHeader(std::ostream& output, const CBitDepth& bitDepth, double sampleRate,
                            int channelCount, std::int32_t dataBegin, std::int32_t dataEnd);
    // Whether WriteHeader can describe a stream of that shape.
    static bool CanWriteHeader(const CBitDepth& bitDepth, double sampleRate, int channelCount);
    static constexpr std::int32_t HeaderSize = 54;
};

} // namespace SL
