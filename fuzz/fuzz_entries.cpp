#include "fuzz/fuzz_entries.h"

#include "card/sample_information_dto.h"
#include "sl/files/file_sample_buffer_factory.h"
#include "sl/files/form_aiff_format.h"
#include "sl/files/riff_wave_format.h"
#include "sl/files/wave_file_loader.h"
#include "sl/samples/sample_type.h"

#include <memory>
#include <sstream>
#include <string>

namespace ZQ3Fuzz {

namespace {

// Inputs are small, but a forged range must still not make the drain the slow part.
constexpr long MaxDrainedSamples = 1 << 20;

void Drain(const std::shared_ptr<SL::IInputSampleIterator>& iterator) {
    if (!iterator) {
        return;
    }
    const SL::CSampleAttribute& attribute = iterator->GetAttribute();
    SL::VisitStreamableTag<bool>(attribute.GetBitDepth().GetValue(), [&](auto tag) {
        auto typed = std::dynamic_pointer_cast<SL::ITypedInputSampleIterator<tag.value>>(iterator);
        if (!typed) {
            __builtin_trap(); // the factory promised an iterator of its attribute's type
        }
        volatile double sum = 0;
        for (long count = 0; typed->IsValid() && count < MaxDrainedSamples; ++count) {
            if constexpr (std::is_arithmetic_v<SL::SampleValue<tag.value>>) {
                sum = sum + static_cast<double>(typed->GetValue());
            }
            typed->Advance();
        }
        return true;
    });
}

template <class TDto, class TFactory>
void ReadTreeAndWriteBack(const std::string& bytes) {
    std::istringstream input(bytes);
    TDto dto(std::make_shared<TFactory>(true));
    if (dto.Read(input)) {
        std::stringstream output;
        dto.Write(output);
    }
}

void ReadThroughFactory(const std::string& bytes) {
    auto input = std::make_shared<std::istringstream>(bytes);
    Drain(SL::CFileSampleBufferFactory().CreateInputSampleIterator(input));
}

} // namespace

void ReadRiffWave(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadTreeAndWriteBack<SL::CRiffWaveDto,
                         SL::CRiffWaveFileChunks::CRiffWaveChunk::CDefaultChunkFactory>(bytes);
    std::istringstream input(bytes);
    SL::ReadSampleDataLayout(SL::RiffWaveFormat(), input);
    ReadThroughFactory(bytes);
}

void ReadFormAiff(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadTreeAndWriteBack<SL::CFormAiffDto,
                         SL::CFormAiffFileChunks::CFormAiffChunk::CDefaultChunkFactory>(bytes);
    std::istringstream input(bytes);
    SL::ReadSampleDataLayout(SL::FormAiffFormat(), input);
    ReadThroughFactory(bytes);
}

void LoadWave(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        std::istringstream input(bytes);
        SL::LoadWave(input);
    }
    {
        std::istringstream input(bytes);
        SL::CRiffWaveDto wave(
            std::make_shared<SL::CRiffWaveFileChunks::CRiffWaveChunk::CDefaultChunkFactory>(true));
        if (wave.Read(input)) {
            SL::ConvertToWave(wave);
        }
    }
    std::istringstream input(bytes);
    SL::CFormAiffDto aiff(
        std::make_shared<SL::CFormAiffFileChunks::CFormAiffChunk::CDefaultChunkFactory>(true));
    if (aiff.Read(input)) {
        SL::ConvertToWave(aiff);
    }
}

void ReadSampleInformation(const std::uint8_t* data, std::size_t size) {
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    ZQ3::CSampleInformationDto dto;
    if (dto.Read(input)) {
        dto.HoldsValidRecords();
        if (const auto entries = dto.ToEntries()) {
            ZQ3::CSampleInformationDto::FromEntries(*entries);
        }
        std::stringstream output;
        dto.Write(output);
    }
}

} // namespace ZQ3Fuzz
