#include "sl/files/wave_file_loader.h"

#include "sl/files/audio_file_format.h"
#include "sl/files/file_data_source.h"
#include "sl/files/stream_extent.h"

#include <algorithm>

namespace SL {

namespace {

using CReason = CWaveLoadProblem::CReason;

CLoadedWave Refused(CReason reason, CWaveFileFormat fileFormat = CWaveFileFormat::INVALID) {
    CLoadedWave refused;
    refused.fileFormat = fileFormat;
    refused.problem.reason = reason;
    return refused;
}

// Whether the input ends before the end its root chunk declares: a file cut short keeps the
// size its writer put in the header. The stream is left cleared at its start.
bool EndsBeforeItsRootChunk(std::istream& input, const CIffChunk& root) {
    input.clear();
    const std::int64_t end = GetInputEnd(input);
    input.clear();
    input.seekg(0);
    return end >= 0 && root.GetHeader().GetSize() > 0 && root.GetHeader().GetBodyEnd() > end;
}

// A file that starts with the root identifier of a known format but has no room for its form
// type.
bool IsCutInsideItsHeader(std::istream& input) {
    input.clear();
    input.seekg(0);
    CIffChunk::CFourCharacterCode start;
    const bool startRead = start.Read(input);
    input.clear();
    const std::int64_t end = GetInputEnd(input);
    input.clear();
    input.seekg(0);
    const auto formats = AudioFileFormats();
    const bool known =
        startRead && std::any_of(formats.begin(), formats.end(), [&](const auto& format) {
            return format.rootIdentifier == start;
        });
    return known && end >= 0 && end < 12;
}

CLoadedWave Read(const CAudioFileFormat& format, std::istream& input) {
    const std::unique_ptr<CIffContainerChunk> root = format.createRoot(false);
    CLoadedWave loaded;
    loaded.fileFormat = format.fileFormat;
    if (root->Read(input)) {
        // The header is held to the bounds before a wave is described from it.
        if (const std::optional<CSampleDataLayout> layout = format.describeSampleData(*root)) {
            const CSoundBoundsCheck bounds =
                CheckSoundBounds(layout->sampleRate, layout->channelCount, layout->frameCount);
            if (!bounds.withinBounds()) {
                CLoadedWave refused = Refused(CReason::OutOfBounds, format.fileFormat);
                refused.problem.bounds = bounds;
                return refused;
            }
        }
        loaded.wave = format.convertToWave(*root);
    }
    if (loaded.wave) {
        return loaded;
    }
    // The children read before a failure still tell what the file holds.
    if (const std::optional<CWaveLoadProblem> problem = format.explainUnsupportedEncoding(*root)) {
        loaded.problem = *problem;
        return loaded;
    }
    return Refused(EndsBeforeItsRootChunk(input, *root) ? CReason::Truncated : CReason::Damaged,
                   format.fileFormat);
}

} // namespace

CLoadedWave LoadWave(std::istream& input) {
    if (const CAudioFileFormat* format = RecogniseAudioFile(input)) {
        return Read(*format, input);
    }
    return Refused(IsCutInsideItsHeader(input) ? CReason::Truncated : CReason::NotWaveOrAiff);
}

CLoadedWave LoadWaveFile(const std::string& path) {
    const std::shared_ptr<std::istream> input =
        CFileDataSource(path, CFileAccess::ReadExisting).OpenInput();
    if (input) {
        return LoadWave(*input);
    }
    const COpenFailure failure = ExplainOpenFailure(path);
    CLoadedWave refused;
    refused.problem.fileKind = failure.kind;
    refused.problem.errorNumber = failure.errorNumber;
    switch (failure.reason) {
    case COpenFailure::CReason::NoSuchFile:
        refused.problem.reason = CReason::NoSuchFile;
        break;
    case COpenFailure::CReason::NotRegularFile:
        refused.problem.reason = CReason::NotRegularFile;
        break;
    case COpenFailure::CReason::PermissionDenied:
        refused.problem.reason = CReason::PermissionDenied;
        break;
    case COpenFailure::CReason::None:
    case COpenFailure::CReason::Other:
        refused.problem.reason = CReason::CannotOpen;
        break;
    }
    return refused;
}

} // namespace SL
