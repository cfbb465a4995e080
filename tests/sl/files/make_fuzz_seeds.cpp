// Writes the seed corpus of the fuzz targets: small, valid files of every shape the readers
// accept, so that fuzzing starts from inputs that reach deep into each reader.
//     make_fuzz_seeds <corpus directory>
#include "card/sample_information_dto.h"
#include "sl/files/form_aiff_file_chunks.h"
#include "sl/files/riff_wave_file_chunks.h"
#include "tests/sl/files/chunk_bytes.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

using namespace SL::TestBytes;

namespace {

std::string Ramp(std::size_t bytes) {
    std::string ramp;
    for (std::size_t i = 0; i < bytes; ++i) {
        ramp.push_back(static_cast<char>(i * 29 + 3));
    }
    return ramp;
}

void Write(const std::filesystem::path& directory, const std::string& name,
           const std::string& bytes) {
    std::filesystem::create_directories(directory);
    std::ofstream(directory / name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string SamplerBody() {
    SL::CRiffWaveFileChunks::CSamplerChunk sampler;
    sampler.midiUnityNote = 60;
    sampler.midiPitchFraction = 0x80000000;
    sampler.loops.push_back({0, 0, 2, 9, 0, 0});
    sampler.samplerData = {1, 2, 3, 4};
    std::stringstream stream;
    sampler.Write(stream);
    return stream.str().substr(8);
}

void WriteWaveSeeds(const std::filesystem::path& directory) {
    for (int bits : {8, 16, 24, 32}) {
        Write(directory, "pcm" + std::to_string(bits) + ".wav",
              Riff(LeChunk("fmt ", FormatBody(1, 2, 44100, bits)) +
                   LeChunk("data", Ramp(static_cast<std::size_t>(bits / 8 * 2 * 6)))));
    }
    for (int bits : {32, 64}) {
        Write(directory, "float" + std::to_string(bits) + ".wav",
              Riff(LeChunk("fmt ", FormatBody(3, 1, 48000, bits) + Le16(0)) +
                   LeChunk("fact", Le32(4)) +
                   LeChunk("data", Ramp(static_cast<std::size_t>(bits / 8 * 4)))));
    }
    const auto guid = SL::CRiffWaveFileChunks::CFormatChunk::SubFormatOf(1);
    Write(directory, "extensible24.wav",
          Riff(LeChunk("fmt ", FormatBody(0xFFFE, 2, 96000, 24) + Le16(22) + Le16(24) + Le32(3) +
                                   std::string(guid.begin(), guid.end())) +
               LeChunk("data", Ramp(36))));
    Write(directory, "data_first_mono.wav",
          Riff(LeChunk("data", Ramp(8)) + LeChunk("fmt ", FormatBody(1, 1, 8000, 16))));
    Write(directory, "eight_channels.wav",
          Riff(LeChunk("fmt ", FormatBody(1, 8, 192000, 16)) + LeChunk("data", Ramp(48))));
    Write(directory, "list_smpl_odd.wav",
          Riff(LeChunk("LIST", "INFOINAM" + Le32(5) + "loop" + std::string(2, '\0')) +
               LeChunk("data", Ramp(21)) + LeChunk("smpl", SamplerBody()) +
               LeChunk("fmt ", FormatBody(1, 1, 22050, 8))));
}

std::string Aiff(int channels, int bits, const std::string& samples, const std::string& extra,
                 bool commonLast = false) {
    const std::string common = BeChunk("COMM", CommonBody(channels, 0, bits, Rate44100));
    const std::string sound = BeChunk("SSND", Be32(0) + Be32(0) + samples);
    return Form(commonLast ? sound + extra + common : common + extra + sound);
}

void WriteAiffSeeds(const std::filesystem::path& directory) {
    for (int bits : {8, 16, 24, 32}) {
        Write(directory, "pcm" + std::to_string(bits) + ".aif",
              Aiff(2, bits, Ramp(static_cast<std::size_t>(bits / 8 * 2 * 5)), ""));
    }
    const std::string marks = BeChunk("MARK", Be16(2) + Be16(1) + Be32(0) +
                                                  "\x04"
                                                  "loop" +
                                                  std::string(1, '\0') + Be16(2) + Be32(4) +
                                                  "\x03"
                                                  "end");
    const std::string instrument =
        BeChunk("INST", std::string("\x3C\xF6\x00\x7F\x01\x7F", 6) + Be16(0) + Be16(1) + Be16(1) +
                            Be16(2) + Be16(0) + Be16(0) + Be16(0));
    const std::string comments =
        BeChunk("COMT", Be16(1) + Be32(7) + Be16(1) + Be16(3) + "hi!" + std::string(1, '\0'));
    const std::string texts = BeChunk("NAME", "seed") + BeChunk("AUTH", "zq3") +
                              BeChunk("(c) ", "none") + BeChunk("ANNO", "odd") +
                              BeChunk("APPL", "abcdxyz") + BeChunk("MIDI", "\x90\x3C\x7F");
    Write(directory, "chunks.aif", Aiff(1, 16, Ramp(10), marks + instrument + comments + texts));
    Write(directory, "eight_channels.aif", Aiff(8, 24, Ramp(48), ""));
    Write(directory, "common_last.aif", Aiff(1, 8, Ramp(7), BeChunk("ANNO", "x"), true));
    Write(directory, "sound_offset.aif",
          Form(BeChunk("COMM", CommonBody(1, 2, 16, Rate44100)) +
               BeChunk("SSND", Be32(4) + Be32(0) + std::string(4, '\0') + Ramp(4))));
}

void WriteSampleInformationSeeds(const std::filesystem::path& directory) {
    std::vector<ZQ3::SampleEntry> entries(ZQ3::CSampleInformationDto::RecordCount);
    entries[0].frameCount = 4096;
    entries[0].rangeEnd = 4096;
    entries[5].frameCount = 3088;
    entries[5].rangeEnd = 3088;
    entries[5].stereo = true;
    entries[127].lofi = 1;
    entries[127].frameCount = 16;
    auto dto = ZQ3::CSampleInformationDto::FromEntries(entries);
    std::stringstream stream;
    if (dto) {
        dto->Write(stream);
    }
    Write(directory, "card.zqd", stream.str());
    Write(directory, "short.zqd", stream.str().substr(0, 100));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_seeds <corpus directory>\n";
        return 2;
    }
    const std::filesystem::path corpus = argv[1];
    WriteWaveSeeds(corpus / "riff_wave");
    WriteAiffSeeds(corpus / "form_aiff");
    // The loader reads both formats; loops and instrument chunks matter most to it.
    WriteWaveSeeds(corpus / "wave_loader");
    WriteAiffSeeds(corpus / "wave_loader");
    WriteSampleInformationSeeds(corpus / "sample_information");
    return 0;
}
