#include "sl/files/file_sample_buffer_factory.h"

#include "sl/files/file_data_source.h"
#include "sl/files/form_aiff_dto.h"
#include "sl/files/riff_wave_dto.h"
#include "sl/files/signed_byte_sample_iterators.h"
#include "sl/files/stream_extent.h"
#include "sl/samples/file_sample_iterator_factory.h"

namespace SL {

namespace {

bool IsStreamable(const CBitDepth& bitDepth) {
    return VisitStreamableTag<bool>(bitDepth.GetValue(), [](auto) { return true; });
}

bool IsSignedByteStream(const CWaveFileFormat& fileFormat, const CSampleAttribute& attribute) {
    return fileFormat == CWaveFileFormat::AIFF && attribute.GetBitDepth() == CBitDepth::INTEGER8;
}

using CFixedHeaderWriter = bool (*)(std::ostream&, const CBitDepth&, double, int, std::int32_t,
                                    std::int32_t);

// Adapts a format's header writer to the iterator's, whose positions are 64-bit.
CHeaderWriter MakeHeaderWriter(CFixedHeaderWriter write) {
    return [write](const CSampleAttribute& attribute, std::ostream& stream, std::int64_t dataBegin,
                   std::int64_t dataEnd) {
        if (dataBegin < 0 || dataEnd < dataBegin || dataEnd > MaxStreamPosition) {
            return false;
        }
        return write(stream, attribute.GetBitDepth(), attribute.GetSampleRate(),
                     attribute.GetChannelCount(), static_cast<std::int32_t>(dataBegin),
                     static_cast<std::int32_t>(dataEnd));
    };
}

} // namespace

std::shared_ptr<IInputSampleIterator>
CFileSampleBufferFactory::CreateInputSampleIterator(const std::string& path) const {
    std::shared_ptr<std::istream> stream =
        CFileDataSource(path, CFileAccess::ReadExisting).OpenInput();
    if (!stream) {
        return {};
    }
    return CreateInputSampleIterator(std::move(stream));
}

std::shared_ptr<IInputSampleIterator>
CFileSampleBufferFactory::CreateInputSampleIterator(std::shared_ptr<std::istream> stream) const {
    const std::shared_ptr<CInputSource> source = CreateInputSource(std::move(stream));
    if (!source) {
        return {};
    }
    std::shared_ptr<IInputSampleIterator> iterator = CreateFileInputSampleIterator(
        source->attribute, source->stream, source->dataBegin, source->dataEnd);
    if (iterator && IsSignedByteStream(source->fileFormat, source->attribute)) {
        return std::make_shared<CSignedByteInputSampleIterator>(
            std::dynamic_pointer_cast<ITypedInputSampleIterator<CSampleTag::Integer8>>(iterator));
    }
    return iterator;
}

std::shared_ptr<CFileSampleBufferFactory::CInputSource>
CFileSampleBufferFactory::CreateInputSource(std::shared_ptr<std::istream> stream) const {
    if (!stream) {
        return {};
    }
    try {
        if (CRiffWaveDto(nullptr).IsReadable(*stream)) {
            return CreateInputSourceFromRiffWave(std::move(stream));
        }
        if (CFormAiffDto(nullptr).IsReadable(*stream)) {
            return CreateInputSourceFromFormAiff(std::move(stream));
        }
    } catch (const CBitDepth::CError&) {
        // A bit depth outside the table: the file is simply not one we can read.
    }
    return {};
}

std::shared_ptr<CFileSampleBufferFactory::CInputSource>
CFileSampleBufferFactory::CreateInputSourceFromRiffWave(
    std::shared_ptr<std::istream> stream) const {
    const std::optional<CSampleDataLayout> layout =
        CRiffWaveFileChunks::ReadSampleDataLayout(*stream);
    return layout ? ToInputSource(*layout, std::move(stream)) : nullptr;
}

std::shared_ptr<CFileSampleBufferFactory::CInputSource>
CFileSampleBufferFactory::CreateInputSourceFromFormAiff(
    std::shared_ptr<std::istream> stream) const {
    const std::optional<CSampleDataLayout> layout =
        CFormAiffFileChunks::ReadSampleDataLayout(*stream);
    return layout ? ToInputSource(*layout, std::move(stream)) : nullptr;
}

std::shared_ptr<CFileSampleBufferFactory::CInputSource>
CFileSampleBufferFactory::ToInputSource(const CSampleDataLayout& layout,
                                        std::shared_ptr<std::istream> stream) {
    if (!IsStreamable(layout.bitDepth)) {
        return {};
    }
    auto source = std::make_shared<CInputSource>();
    source->fileFormat = layout.fileFormat;
    source->attribute = CSampleAttribute(layout.bitDepth, layout.sampleRate, layout.channelCount,
                                         layout.frameCount, layout.endianness);
    source->stream = std::move(stream);
    source->dataBegin = layout.dataBegin;
    source->dataEnd = layout.dataEnd;
    return source;
}

std::shared_ptr<CFileSampleBufferFactory::COutputSource>
CFileSampleBufferFactory::CreateOutputSource(const CSampleAttribute& attribute,
                                             const CWaveFileFormat& fileFormat) const {
    const CBitDepth& bitDepth = attribute.GetBitDepth();
    const int channels = attribute.GetChannelCount();
    const double rate = attribute.GetSampleRate();
    auto source = std::make_shared<COutputSource>();
    source->fileFormat = fileFormat;
    source->attribute = attribute;
    if (fileFormat == CWaveFileFormat::WINWAVE) {
        if (!CRiffWaveFileChunks::CanWriteHeader(bitDepth, rate, channels)) {
            return {};
        }
        source->attribute.SetEndianness(GT::CEndianness::LittleEndian);
        source->dataBegin = CRiffWaveFileChunks::HeaderSize;
        source->headerWriter = MakeHeaderWriter(&CRiffWaveFileChunks::WriteHeader);
    } else if (fileFormat == CWaveFileFormat::AIFF) {
        if (!CFormAiffFileChunks::CanWriteHeader(bitDepth, rate, channels)) {
            return {};
        }
        source->attribute.SetEndianness(GT::CEndianness::BigEndian);
        source->dataBegin = CFormAiffFileChunks::HeaderSize;
        source->headerWriter = MakeHeaderWriter(&CFormAiffFileChunks::WriteHeader);
    } else {
        return {};
    }
    if (!IsStreamable(bitDepth) || attribute.GetLength() < 0) {
        return {};
    }
    // A length of 0 means "unknown": the samples may then run up to the largest position.
    const std::int64_t dataLength =
        std::int64_t{attribute.GetLength()} * channels * bitDepth.GetBytesPerSample();
    const std::int64_t dataEnd =
        dataLength == 0 ? MaxStreamPosition : source->dataBegin + dataLength;
    if (dataEnd > MaxStreamPosition) {
        return {};
    }
    source->dataEnd = static_cast<std::int32_t>(dataEnd);
    return source;
}

std::shared_ptr<IOutputSampleIterator>
CFileSampleBufferFactory::CreateOutputSampleIterator(const CSampleAttribute& attribute,
                                                     const std::string& path,
                                                     const CWaveFileFormat& fileFormat) const {
    if (!CreateOutputSource(attribute, fileFormat)) {
        return {};
    }
    std::shared_ptr<std::ostream> stream =
        CFileDataSource(path, CFileAccess::CreateNew).OpenOutput();
    if (!stream) {
        return {};
    }
    return CreateOutputSampleIterator(attribute, std::move(stream), fileFormat);
}

std::shared_ptr<IOutputSampleIterator>
CFileSampleBufferFactory::CreateOutputSampleIterator(const CSampleAttribute& attribute,
                                                     std::shared_ptr<std::ostream> stream,
                                                     const CWaveFileFormat& fileFormat) const {
    const std::shared_ptr<COutputSource> source = CreateOutputSource(attribute, fileFormat);
    if (!source || !stream) {
        return {};
    }
    source->stream = std::move(stream);
    std::shared_ptr<IOutputSampleIterator> iterator =
        CreateFileOutputSampleIterator(source->attribute, source->stream, source->dataBegin,
                                       source->dataEnd, source->headerWriter);
    if (iterator && IsSignedByteStream(source->fileFormat, source->attribute)) {
        return std::make_shared<CSignedByteOutputSampleIterator>(
            std::dynamic_pointer_cast<ITypedOutputSampleIterator<CSampleTag::Integer8>>(iterator));
    }
    return iterator;
}

} // namespace SL
