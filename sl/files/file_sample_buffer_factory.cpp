#include "sl/files/file_sample_buffer_factory.h"

#include "sl/files/audio_file_format.h"
#include "sl/files/file_data_source.h"
#include "sl/files/signed_byte_sample_iterators.h"
#include "sl/files/stream_extent.h"
#include "sl/samples/file_sample_iterator_factory.h"

namespace SL {

namespace {

bool IsStreamable(const CBitDepth& bitDepth) {
    return VisitStreamableTag<bool>(bitDepth.GetValue(), [](auto) { return true; });
}

bool IsSignedByteStream(const CWaveFileFormat& fileFormat, const CSampleAttribute& attribute) {
    const CAudioFileFormat* format = FindAudioFileFormat(fileFormat);
    return format && format->signedEightBitSamples &&
           attribute.GetBitDepth() == CBitDepth::INTEGER8;
}

// Adapts a format's header writer to the iterator's, whose positions are 64-bit.
CHeaderWriter MakeHeaderWriter(decltype(CAudioFileFormat::writeHeader) write) {
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
    const CAudioFileFormat* format = RecogniseAudioFile(*stream);
    return format ? CreateInputSourceFrom(*format, std::move(stream)) : nullptr;
}

std::shared_ptr<CFileSampleBufferFactory::CInputSource>
CFileSampleBufferFactory::CreateInputSourceFrom(const CAudioFileFormat& format,
                                                std::shared_ptr<std::istream> stream) const {
    const std::optional<CSampleDataLayout> layout = ReadSampleDataLayout(format, *stream);
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
    const CAudioFileFormat* format = FindAudioFileFormat(fileFormat);
    if (!format || !format->canWriteHeader(bitDepth, rate, channels)) {
        return {};
    }
    auto source = std::make_shared<COutputSource>();
    source->fileFormat = fileFormat;
    source->attribute = attribute;
    source->attribute.SetEndianness(format->endianness);
    source->dataBegin = format->headerSize;
    source->headerWriter = MakeHeaderWriter(format->writeHeader);
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
