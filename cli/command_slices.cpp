#include "app/localized_text.h"
#include "app/shown_name.h"
#include "app/slice_import.h"
#include "card/path_names.h"
#include "cli/commands.h"
#include "cli/conversion_arguments.h"
#include "cli/json_writer.h"
#include "sl/codec/card_sound_format.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

namespace ZQ3 {
namespace {

struct SlicesArguments {
    std::string file;
    SliceArguments slicing;
    bool json = false;
};

double SecondsOf(std::int64_t frames) {
    return static_cast<double>(frames) / SL::CCardSoundFormat::kSampleRate;
}

std::string SecondsText(std::int64_t frames) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", SecondsOf(frames));
    return buffer;
}

int Slices(CCliContext& context, const SlicesArguments& arguments) {
    bool valid = true;
    std::optional<SL::CSliceRequest> request = arguments.slicing.request(context, valid);
    if (!valid) {
        return ExitUsage;
    }
    // Without --slices: eight equal parts, as an import's default would be.
    const SlicedFile sliced =
        PlanFileSlices(AbsolutePath(arguments.file), request.value_or(SL::CSliceRequest{}));
    if (!sliced.done) {
        return context.fail(sliced.refusal);
    }
    if (arguments.json) {
        CJsonWriter json(std::cout);
        json.beginObject();
        json.key("file").value(PathNames::LastPart(arguments.file));
        json.key("sampleRate").value(std::int64_t{SL::CCardSoundFormat::kSampleRate});
        json.key("frames").value(sliced.plan.streamFrames);
        json.key("slices").beginArray();
        for (const SL::CKeptSpan& slice : sliced.plan.slices) {
            json.beginObject();
            json.key("startFrame").value(slice.begin);
            json.key("endFrame").value(slice.end);
            json.key("start").value(SecondsOf(slice.begin));
            json.key("end").value(SecondsOf(slice.end));
            json.key("paddingFrames").value(slice.paddingFrames);
            json.endObject();
        }
        json.endArray();
        json.endObject();
        std::cout << '\n';
        return ExitDone;
    }
    int number = 0;
    for (const SL::CKeptSpan& slice : sliced.plan.slices) {
        ++number;
        context.say(Localized("{0}: {1} s to {2} s (frames {3} to {4}, {5} s)",
                              {std::to_string(number), SecondsText(slice.begin),
                               SecondsText(slice.end), std::to_string(slice.begin),
                               std::to_string(slice.end), SecondsText(slice.keptFrames())}));
    }
    return ExitDone;
}

} // namespace

CliCommand AddSlicesCommand(CLI::App& app, CCliContext& context) {
    auto* slices = app.add_subcommand(
        "slices", "Print where a sound file's slices lie, as import --slices would cut it");
    auto arguments = std::make_shared<SlicesArguments>();
    slices->add_option("FILE", arguments->file)->required();
    arguments->slicing.addTo(*slices);
    slices->add_flag("--json", arguments->json);
    return {slices, [&context, arguments] { return Slices(context, *arguments); }};
}

} // namespace ZQ3
