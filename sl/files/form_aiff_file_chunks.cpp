#include "sl/files/form_aiff_file_chunks.h"

#include <cmath>
#include <limits>

namespace SL {

namespace {

constexpr int Big = GT::CEndianness::BigEndian;
using Code = CIffChunk::CFourCharacterCode;

} // namespace

// --- CFormAiffChunk ---

std::unique_ptr<CIffChunk>
CFormAiffFileChunks::CFormAiffChunk::CDefaultChunkFactory::Create(const Code& identifier) {
    if (identifier == Code::Comm) {
        return std::make_unique<CCommonChunk>();
    }
    if (identifier == Code::Ssnd) {
        return std::make_unique<CSoundDataChunk>(loadData_);
    }
    if (identifier == Code::Mark) {
        return std::make_unique<CMarkerChunk>();
    }
    if (identifier == Code::Inst) {
        return std::make_unique<CInstrumentChunk>();
    }
    if (identifier == Code::Midi) {
        return std::make_unique<CMidiDataChunk>();
    }
    if (identifier == Code::Aesd) {
        return std::make_unique<CAudioRecordingChunk>();
    }
    if (identifier == Code::Appl) {
        return std::make_unique<CApplicationSpecificChunk>();
    }
    if (identifier == Code::Comt) {
        return std::make_unique<CCommentsChunk>();
    }
    if (identifier == Code::Name || identifier == Code::Auth || identifier == Code::Copyright ||
        identifier == Code::Anno) {
        return std::make_unique<CTextChunk>(identifier);
    }
    return nullptr;
}

CFormAiffFileChunks::CFormAiffChunk::CFormAiffChunk(std::shared_ptr<IChunkFactory> factory)
    : CIffContainerChunk(Code::Form, Big, Code::Aiff, std::move(factory)) {}

// --- CCommonChunk ---

CFormAiffFileChunks::CCommonChunk::CCommonChunk() : CIffChunk(Code::Comm, Big) {}

bool CFormAiffFileChunks::CCommonChunk::ReadBody(std::istream& input) {
    return ReadField(input, channelCount) && ReadField(input, sampleFrameCount) &&
           ReadField(input, sampleSize) && ReadExtendedField(input, sampleRate);
}

bool CFormAiffFileChunks::CCommonChunk::WriteBody(std::ostream& output) {
    return WriteField(output, channelCount) && WriteField(output, sampleFrameCount) &&
           WriteField(output, sampleSize) && WriteExtendedField(output, sampleRate);
}

// --- CSoundDataChunk ---

CFormAiffFileChunks::CSoundDataChunk::CSoundDataChunk(bool loadData)
    : CIffDataChunk(Code::Ssnd, Big, loadData) {}

bool CFormAiffFileChunks::CSoundDataChunk::ReadBody(std::istream& input) {
    return ReadField(input, offset) && ReadField(input, blockSize) && CStreamableData::Read(input);
}

bool CFormAiffFileChunks::CSoundDataChunk::WriteBody(std::ostream& output) {
    return WriteField(output, offset) && WriteField(output, blockSize) &&
           CStreamableData::Write(output);
}

// --- CMarkerChunk ---

CFormAiffFileChunks::CMarkerChunk::CMarkerChunk() : CIffChunk(Code::Mark, Big) {}

bool CFormAiffFileChunks::CMarkerChunk::ReadBody(std::istream& input) {
    std::uint16_t count = 0;
    if (!ReadField(input, count)) {
        return false;
    }
    std::vector<CMarker> read;
    for (std::uint16_t i = 0; i < count; ++i) {
        CMarker marker;
        std::uint8_t length = 0;
        if (!ReadField(input, marker.identifier) || !ReadField(input, marker.position) ||
            !ReadField(input, length) || !ReadBytes(input, length, marker.name)) {
            return false;
        }
        // Count byte and text together take an even number of bytes.
        std::uint8_t pad = 0;
        if (length % 2 == 0 && !ReadField(input, pad)) {
            return false;
        }
        read.push_back(std::move(marker));
    }
    markers = std::move(read);
    return true;
}

bool CFormAiffFileChunks::CMarkerChunk::WriteBody(std::ostream& output) {
    if (markers.size() > 0xFFFF ||
        !WriteField(output, static_cast<std::uint16_t>(markers.size()))) {
        return false;
    }
    for (const CMarker& marker : markers) {
        if (marker.name.size() > 0xFF) {
            output.setstate(std::ios::failbit);
            return false;
        }
        const auto length = static_cast<std::uint8_t>(marker.name.size());
        if (!WriteField(output, marker.identifier) || !WriteField(output, marker.position) ||
            !WriteField(output, length) ||
            !WriteBytes(output, marker.name.data(), marker.name.size()) ||
            (length % 2 == 0 && !WriteField(output, std::uint8_t{0}))) {
            return false;
        }
    }
    return true;
}

// --- CInstrumentChunk ---

CFormAiffFileChunks::CInstrumentChunk::CInstrumentChunk() : CIffChunk(Code::Inst, Big) {}

bool CFormAiffFileChunks::CInstrumentChunk::ReadBody(std::istream& input) {
    return ReadField(input, baseNote) && ReadField(input, detune) && ReadField(input, lowNote) &&
           ReadField(input, highNote) && ReadField(input, lowVelocity) &&
           ReadField(input, highVelocity) && ReadField(input, gain) &&
           ReadField(input, sustainLoop.playMode) && ReadField(input, sustainLoop.beginMarker) &&
           ReadField(input, sustainLoop.endMarker) && ReadField(input, releaseLoop.playMode) &&
           ReadField(input, releaseLoop.beginMarker) && ReadField(input, releaseLoop.endMarker);
}

bool CFormAiffFileChunks::CInstrumentChunk::WriteBody(std::ostream& output) {
    return WriteField(output, baseNote) && WriteField(output, detune) &&
           WriteField(output, lowNote) && WriteField(output, highNote) &&
           WriteField(output, lowVelocity) && WriteField(output, highVelocity) &&
           WriteField(output, gain) && WriteField(output, sustainLoop.playMode) &&
           WriteField(output, sustainLoop.beginMarker) &&
           WriteField(output, sustainLoop.endMarker) && WriteField(output, releaseLoop.playMode) &&
           WriteField(output, releaseLoop.beginMarker) && WriteField(output, releaseLoop.endMarker);
}

// --- CCommentsChunk ---

CFormAiffFileChunks::CCommentsChunk::CCommentsChunk() : CIffChunk(Code::Comt, Big) {}

bool CFormAiffFileChunks::CCommentsChunk::ReadBody(std::istream& input) {
    std::uint16_t count = 0;
    if (!ReadField(input, count)) {
        return false;
    }
    std::vector<CComment> read;
    for (std::uint16_t i = 0; i < count; ++i) {
        CComment comment;
        std::uint16_t length = 0;
        if (!ReadField(input, comment.timeStamp) || !ReadField(input, comment.markerIdentifier) ||
            !ReadField(input, length) || !ReadBytes(input, length, comment.text)) {
            return false;
        }
        std::uint8_t pad = 0;
        if (length % 2 == 1 && !ReadField(input, pad)) {
            return false;
        }
        read.push_back(std::move(comment));
    }
    comments = std::move(read);
    return true;
}

bool CFormAiffFileChunks::CCommentsChunk::WriteBody(std::ostream& output) {
    if (comments.size() > 0xFFFF ||
        !WriteField(output, static_cast<std::uint16_t>(comments.size()))) {
        return false;
    }
    for (const CComment& comment : comments) {
        if (comment.text.size() > 0xFFFF) {
            output.setstate(std::ios::failbit);
            return false;
        }
        const auto length = static_cast<std::uint16_t>(comment.text.size());
        if (!WriteField(output, comment.timeStamp) ||
            !WriteField(output, comment.markerIdentifier) || !WriteField(output, length) ||
            !WriteBytes(output, comment.text.data(), comment.text.size()) ||
            (length % 2 == 1 && !WriteField(output, std::uint8_t{0}))) {
            return false;
        }
    }
    return true;
}

// --- CTextChunk, COpaqueChunk ---

CFormAiffFileChunks::CTextChunk::CTextChunk(const CFourCharacterCode& identifier)
    : CIffChunk(identifier, Big) {}

bool CFormAiffFileChunks::CTextChunk::ReadBody(std::istream& input) {
    return ReadBytes(input, static_cast<std::size_t>(GetHeader().GetSize()), text);
}

bool CFormAiffFileChunks::CTextChunk::WriteBody(std::ostream& output) {
    return WriteBytes(output, text.data(), text.size());
}

CFormAiffFileChunks::COpaqueChunk::COpaqueChunk(const CFourCharacterCode& identifier)
    : CIffChunk(identifier, Big) {}

bool CFormAiffFileChunks::COpaqueChunk::ReadBody(std::istream& input) {
    return input.good();
}

bool CFormAiffFileChunks::COpaqueChunk::WriteBody(std::ostream& output) {
    return output.good();
}

// --- Reading and writing whole files ---

std::optional<CSampleDataLayout>
CFormAiffFileChunks::DescribeSampleData(const CIffContainerChunk& root) {
    const auto common = root.FindChunkAs<CCommonChunk>(Code::Comm);
    const auto sound = root.FindChunkAs<CSoundDataChunk>(Code::Ssnd);
    if (!common || !sound) {
        return std::nullopt;
    }
    const std::optional<CBitDepth> bitDepth = CBitDepth::FindIntegerBits(common->sampleSize);
    const std::int32_t channels = common->channelCount;
    if (!bitDepth || channels < 1 || !IsUsableSampleRate(common->sampleRate)) {
        return std::nullopt;
    }
    // The offset field says how many bytes of block-alignment padding come before the first
    // frame; those bytes are not sound.
    const std::int64_t payloadBegin =
        std::int64_t{sound->GetHeader().GetOffset()} + CSoundDataChunk::FieldsSize;
    const std::int64_t payloadEnd = sound->GetHeader().GetBodyEnd();
    const std::int64_t begin = payloadBegin + sound->offset;
    if (begin > payloadEnd) {
        return std::nullopt;
    }
    const std::int32_t bytesPerSample = bitDepth->GetBytesPerSample();
    const auto frames = static_cast<std::int32_t>((payloadEnd - begin) / channels / bytesPerSample);

    CSampleDataLayout layout;
    layout.fileFormat = CWaveFileFormat::AIFF;
    layout.endianness = Big;
    layout.bitDepth = *bitDepth;
    layout.sampleRate = common->sampleRate;
    layout.channelCount = channels;
    layout.frameCount = frames;
    layout.dataBegin = static_cast<std::int32_t>(begin);
    layout.dataEnd = layout.dataBegin + frames * channels * bytesPerSample;
    return layout;
}

bool CFormAiffFileChunks::CanWriteHeader(const CBitDepth& bitDepth, double sampleRate,
                                         int channelCount) {
    return bitDepth.GetKind() == CBitDepth::IntegerKind && bitDepth.GetBytesPerSample() >= 1 &&
           channelCount >= 1 && channelCount <= std::numeric_limits<std::int16_t>::max() &&
           IsUsableSampleRate(sampleRate);
}

bool CFormAiffFileChunks::WriteHeader(std::ostream& output, const CBitDepth& bitDepth,
                                      double sampleRate, int channelCount, std::int32_t dataBegin,
                                      std::int32_t dataEnd) {
    const int bytesPerSample = bitDepth.GetBytesPerSample();
    if (!CanWriteHeader(bitDepth, sampleRate, channelCount) || dataEnd < dataBegin ||
        std::int64_t{dataEnd} - dataBegin >
            std::numeric_limits<std::int32_t>::max() - CSoundDataChunk::FieldsSize) {
        return false;
    }
    const std::int32_t dataLength = dataEnd - dataBegin;

    CFormAiffChunk root(std::make_shared<CFormAiffChunk::CDefaultChunkFactory>(false));
    auto common = std::make_shared<CCommonChunk>();
    common->channelCount = static_cast<std::int16_t>(channelCount);
    common->sampleFrameCount =
        static_cast<std::uint32_t>(dataLength / channelCount / bytesPerSample);
    common->sampleSize = static_cast<std::int16_t>(bitDepth.GetBits());
    common->sampleRate = sampleRate;
    auto sound = std::make_shared<CSoundDataChunk>(false);
    sound->SetStreamedSize(dataLength);
    root.push_back(common);
    root.push_back(sound);

    output.clear();
    output.seekp(0);
    return root.Write(output);
}

} // namespace SL
