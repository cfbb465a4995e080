#include "cli/help_texts.h"

#include "app/localized_text.h"

#include <algorithm>

namespace ZQ3 {
namespace {

struct CommandHelpText {
    const char* name;
    const char* text;
};

// clang-format off
constexpr const char* ExitCodes =
    N_("\nExit status: 0 done; 1 failed (the reason is on standard error); 2 usage error;\n"
       "3 declined or cancelled (a question answered no, Ctrl-C); 4 the change is recorded and will\n"
       "be completed the next time the card is opened; 5 finished, with pads skipped (an export of\n"
       "several pads left out the damaged pads it names).\n");

constexpr CommandHelpText CommandHelps[] = {
    {"info",
     N_("Usage: zq3 info CARD [BANK] [--json]\n"
        "\n"
        "Loads CARD as the converter does and shows what it holds: the card's free space and the\n"
        "sample time left, each bank as the sampler lays out its pads (pad 0 bottom left, pad 15\n"
        "top right), and one line per occupied pad. BANK (C to J) shows one bank only.\n"
        "\n"
        "  --json      every slot with every field of the card's record, as one JSON object\n"
        "\n"
        "Examples:\n"
        "  zq3 info /run/media/$USER/ZQCARD\n"
        "  zq3 info /run/media/$USER/ZQCARD D\n"
        "  zq3 info /run/media/$USER/ZQCARD --json > card.json\n")},
    {"init",
     N_("Usage: zq3 init CARD\n"
        "\n"
        "Prepares the folder CARD as an empty card: KELDRA/ZQ314/ and an information file of 128\n"
        "empty slots. A CARD that does not exist is made first, with every folder missing on its\n"
        "way (as mkdir -p makes them), and each folder made is named. Nothing that is there is\n"
        "ever overwritten.\n"
        "\n"
        "Example:\n"
        "  zq3 init ~/cards/spare\n")},
    {"import",
     N_("Usage: zq3 import CARD PAD FILE... [--convert [--mono] [--normalize[=DB]]] [--yes]\n"
        "       [--quiet] [--no-verify] [--trim[=DB]] [--fade-in MS] [--fade-out MS]\n"
        "       [--fade-shape linear|power] [--pad] [--start TIME] [--end TIME]\n"
        "       zq3 import CARD PAD FILE --slices N|onsets [--max N] [--sensitivity S] [--yes]\n"
        "       zq3 import CARD all|BANK FOLDER... [the same options]\n"
        "\n"
        "Puts WAV or AIFF files (16-bit, 44.1 kHz, mono or stereo, at least 70 ms) onto PAD and the\n"
        "pads after it, in the order given: D0 a b c fills D0, D1 and D2; after D15 comes E0, and\n"
        "nothing goes past J15. A FILE that is a folder stands for its WAV and AIFF files in\n"
        "natural name order (kick2 before kick10); with --convert, for every sound file the\n"
        "converter reads.\n"
        "With all or a bank letter in place of PAD, a backup made by export goes back: each file\n"
        "named for a pad (D05.wav, D05.aif, D5.wav) goes onto that pad, with a bank letter only\n"
        "the files of that bank. A file whose name is no pad's is refused, as are two files for one\n"
        "pad; pads that no file is named for keep what they hold.\n"
        "Every file is checked first: if any is refused, each refusal is listed, nothing is asked\n"
        "and nothing is written. All pads change in one step; Ctrl-C leaves the card as it was.\n"
        "\n"
        "  --convert    convert files the card does not take as they are (24-bit, 48 kHz, float,\n"
        "               FLAC, Ogg, MP3...) to 16-bit 44.1 kHz; files it takes stay as they are\n"
        "  --mono       with --convert, mix stereo down to mono (half the card space)\n"
        "  --normalize[=DB]  with --convert, scale the peak to DB dBFS (-0.3 when bare)\n"
        "  --trim[=DB]  cut the silence before and after the sound, below DB dBFS (-60 when\n"
        "               bare), keeping 3 ms before the first sound so that its attack stays whole\n"
        "  --fade-in MS, --fade-out MS  fade in, fade out over MS milliseconds (0 to 60000)\n"
        "  --fade-shape linear|power  a straight fade (the default) or an equal-power one\n"
        "  --pad        extend a sound shorter than 70 ms with silence to 70 ms\n"
        "  --start TIME, --end TIME  take the sound from TIME, up to TIME; TIME is seconds (1.5 or\n"
        "               1.5s), milliseconds (250ms) or minutes and seconds (1:02.5)\n"
        "               These convert the file as --convert does; --pad alone leaves a file the\n"
        "               card takes as it is\n"
        "  --slices N|onsets  chop the one FILE into N equal slices (1 to 128), or one slice per\n"
        "               detected hit, onto PAD and the pads after it in one change (zq3 help slices\n"
        "               tells how it cuts); slices that do not fit the pads up to J15 are refused\n"
        "               and nothing is written\n"
        "  --max N, --sensitivity S  with --slices onsets, as zq3 help slices says\n"
        "  --yes, -y    replace samples already on the pads without asking\n"
        "  --quiet, -q  print nothing on success\n"
        "  --no-verify  do not read the new files back from the card before the change is made\n"
        "\n"
        "Examples:\n"
        "  zq3 import /run/media/$USER/ZQCARD D5 kick.wav\n"
        "  zq3 import /run/media/$USER/ZQCARD D0 ~/kits/808/        # a kit folder onto bank D\n"
        "  zq3 import /run/media/$USER/ZQCARD C0 *.wav --yes\n"
        "  zq3 import /run/media/$USER/ZQCARD C0 loop.wav --slices 8   # a loop onto C0 to C7\n"
        "  zq3 import /run/media/$USER/ZQCARD all ~/backup/ZQCARD-2026-12-08/   # a backup back\n")},
    {"export",
     N_("Usage: zq3 export CARD PAD FILE [--format wav|aiff] [--quiet]\n"
        "       zq3 export CARD PADS FOLDER [--format wav|aiff] [--quiet]\n"
        "\n"
        "Writes the sample of PAD to FILE (an existing file is replaced), or the samples of PADS\n"
        "into FOLDER, named like D05.wav. PADS is one pad, a bank letter (its pads that hold a\n"
        "sample) or all (every pad that holds a sample); FOLDER is made when it does not exist.\n"
        "Several pads always go into a folder: a FOLDER named like a file (p.wav) is refused.\n"
        "\n"
        "  --format     the format of a FOLDER's files (WAV without it), or of a FILE whose name\n"
        "               has no .wav, .aif or .aiff extension; a FILE's extension decides its\n"
        "               format, and a --format that contradicts it is refused\n"
        "  --quiet, -q  print nothing on success\n"
        "\n"
        "Examples:\n"
        "  zq3 export /run/media/$USER/ZQCARD D5 kick.wav\n"
        "  zq3 export /run/media/$USER/ZQCARD D ~/kits/bank-d/\n"
        "  zq3 export /run/media/$USER/ZQCARD all ~/backup/ZQCARD-$(date +%F)/\n")},
    {"delete",
     N_("Usage: zq3 delete CARD PAD [--yes] [--quiet] [--no-verify]\n"
        "\n"
        "Empties PAD after asking.\n"
        "\n"
        "  --yes, -y    delete without asking\n"
        "  --quiet, -q  print nothing on success\n"
        "  --no-verify  do not read the new information file back from the card first\n"
        "\n"
        "Example:\n"
        "  zq3 delete /run/media/$USER/ZQCARD D5\n")},
    {"convert",
     N_("Usage: zq3 convert IN OUT.wav|OUT.aif [--mono] [--normalize[=DB]] [--force] [--quiet]\n"
        "       [--trim[=DB]] [--fade-in MS] [--fade-out MS] [--fade-shape linear|power] [--pad]\n"
        "       [--start TIME] [--end TIME]\n"
        "\n"
        "Converts the sound file IN (WAV or AIFF of any sample type, FLAC, Ogg Vorbis, Opus, MP3...)\n"
        "to a new 16-bit 44.1 kHz file OUT, a WAV or AIFF file as its name ends, so that it can be\n"
        "listened to before it is imported. Resampling is of very high quality, the shorter word\n"
        "is dithered, and clipped samples are counted. More than two channels become stereo: even\n"
        "channels left, odd channels right, an odd last channel to both at -3 dB, each side\n"
        "scaled to equal power. OUT is written under a temporary name beside it and takes its\n"
        "name only when complete: an interrupted run (Ctrl-C cancels) leaves no OUT behind. An\n"
        "existing OUT is refused unless --force is given.\n"
        "\n"
        "  --mono       mix stereo down to mono\n"
        "  --normalize[=DB]  scale the peak to DB dBFS (-0.3 when bare)\n"
        "  --trim[=DB]  cut the silence before and after the sound, below DB dBFS (-60 when\n"
        "               bare), keeping 3 ms before the first sound so that its attack stays whole\n"
        "  --fade-in MS, --fade-out MS  fade in, fade out over MS milliseconds (0 to 60000)\n"
        "  --fade-shape linear|power  a straight fade (the default) or an equal-power one\n"
        "  --pad        extend a sound shorter than 70 ms with silence to 70 ms\n"
        "  --start TIME, --end TIME  take the sound from TIME, up to TIME; TIME is seconds (1.5 or\n"
        "               1.5s), milliseconds (250ms) or minutes and seconds (1:02.5)\n"
        "  --force, --yes, -y  replace an existing OUT, keeping its permissions\n"
        "  --quiet, -q  print nothing on success\n"
        "\n"
        "Examples:\n"
        "  zq3 convert take.flac take.wav\n"
        "  zq3 convert hit.flac hit.wav --trim --fade-out 20 --pad\n"
        "  zq3 convert pad.wav pad-mono.aif --mono --normalize=-1\n")},
    {"slices",
     N_("Usage: zq3 slices FILE [--slices N|onsets [--max N] [--sensitivity S]] [--json]\n"
        "\n"
        "Prints where import --slices would cut FILE, without importing anything: each slice's\n"
        "start and end in seconds and in frames at 44.1 kHz. Without --slices, eight equal parts.\n"
        "Every cut lies on a zero crossing (within 2 ms of an equal cut, at or up to 2 ms before\n"
        "an onset) and each slice fades in and out over 2 ms, so that it does not click; a slice\n"
        "shorter than 70 ms is padded with silence to 70 ms.\n"
        "\n"
        "  --slices N        N slices of equal length (1 to 128)\n"
        "  --slices onsets   a slice from each detected hit on; the sound before the first is\n"
        "                    left out\n"
        "  --max N           with onsets, keep at most N (the strongest), 128 when not given\n"
        "  --sensitivity S   with onsets, 0 to 100 (50 when not given): how much the level must\n"
        "                    rise, within about 6 ms over the 23 ms before, to count as a hit:\n"
        "                    18 dB at 0 down to 3 dB at 100; a hit 50 ms or less after the one\n"
        "                    before is taken as part of it\n"
        "  --json            the slices as one JSON object\n"
        "\n"
        "Examples:\n"
        "  zq3 slices loop.wav --slices 8\n"
        "  zq3 slices drums.flac --slices onsets --max 16 --json\n")},
    {"check",
     N_("Usage: zq3 check CARD\n"
        "\n"
        "Reports everything on CARD that does not agree: damaged records (with pad and field),\n"
        "channel files that are missing, cut short, too long or not regular files, stereo flags\n"
        "that disagree with the right-channel file, channel files no record uses, and files an\n"
        "interrupted run left. Nothing is changed. Exit status 0 when all agrees, 1 otherwise.\n"
        "\n"
        "Example:\n"
        "  zq3 check /run/media/$USER/ZQCARD\n")},
    {"repair",
     N_("Usage: zq3 repair CARD [--yes]\n"
        "\n"
        "Shows what check reports and what the repair will do, asks, and then in one change of\n"
        "the card keeps every pad that agrees with its files, rebuilds a damaged record from its\n"
        "channel files where they are whole, empties the pads nothing can be saved of and removes\n"
        "channel files no record uses. The old information file is kept in CARD/KELDRA/ as\n"
        "WVCINFO0.ZQD.bad-DATE.\n"
        "\n"
        "  --yes, -y    repair without asking\n"
        "\n"
        "Example:\n"
        "  zq3 repair /run/media/$USER/ZQCARD\n")},
    {"move",
     N_("Usage: zq3 move CARD FROM [CARD2] TO [--yes] [--no-verify]\n"
        "\n"
        "Moves the sample of pad FROM to pad TO, or every pad of bank FROM to bank TO, on CARD or\n"
        "onto CARD2. Nothing is converted again: each record keeps every field and its channel\n"
        "files are copied byte for byte under TO's names; FROM ends empty. Pads that hold a\n"
        "sample are named in one question first. One change per card.\n"
        "\n"
        "  --yes, -y     replace samples without asking\n"
        "  --no-verify   do not read the written files back before the change is kept\n"
        "\n"
        "Examples:\n"
        "  zq3 move /run/media/$USER/ZQCARD C3 D7\n"
        "  zq3 move /run/media/$USER/ZQCARD C /run/media/$USER/SPARE E\n")},
    {"copy",
     N_("Usage: zq3 copy CARD FROM [CARD2] TO [--yes] [--no-verify]\n"
        "\n"
        "Copies the sample of pad FROM to pad TO, or every pad of bank FROM to bank TO (an empty\n"
        "pad empties its counterpart), on CARD or onto CARD2, as move does, keeping FROM.\n"
        "\n"
        "  --yes, -y     replace samples without asking\n"
        "  --no-verify   do not read the written files back before the change is kept\n"
        "\n"
        "Examples:\n"
        "  zq3 copy /run/media/$USER/ZQCARD C3 D7\n"
        "  zq3 copy /run/media/$USER/ZQCARD C3 /run/media/$USER/SPARE D7\n")},
    {"swap",
     N_("Usage: zq3 swap CARD A B [--no-verify]\n"
        "\n"
        "Trades the samples of pads A and B, or of banks A and B, of CARD in one change; nothing\n"
        "is lost, so nothing is asked.\n"
        "\n"
        "Example:\n"
        "  zq3 swap /run/media/$USER/ZQCARD C D\n")},
    {"backup",
     N_("Usage: zq3 backup CARD FILE [--force] [--quiet]\n"
        "\n"
        "Writes every file the converter keeps on CARD (the information file and each channel\n"
        "file, byte for byte) into FILE, a plain tar archive, with a list of their sizes and\n"
        "checksums. FILE is written under a temporary name beside it and takes its name only when\n"
        "complete; an existing FILE is refused unless --force is given. Ctrl-C cancels.\n"
        "\n"
        "  --force      replace an existing FILE\n"
        "  --quiet, -q  print nothing on success\n"
        "\n"
        "Example:\n"
        "  zq3 backup /run/media/$USER/ZQCARD ~/ZQCARD-$(date +%F).tar\n")},
    {"restore",
     N_("Usage: zq3 restore CARD FILE [--yes] [--quiet] [--no-verify]\n"
        "\n"
        "Checks every file of the backup FILE against its list of checksums, refusing the whole\n"
        "backup before anything is written when one differs, then asks, and then makes CARD hold\n"
        "exactly the backup's files in one change of the card: what the card holds now is\n"
        "replaced, and channel files the backup does not have are removed.\n"
        "\n"
        "  --yes, -y     replace what the card holds without asking\n"
        "  --quiet, -q   print nothing on success\n"
        "  --no-verify   do not read the written files back before the change is kept\n"
        "\n"
        "Example:\n"
        "  zq3 restore /run/media/$USER/ZQCARD ~/ZQCARD-2026-12-08.tar\n")},
    {"history",
     N_("Usage: zq3 history CARD [--json]\n"
        "\n"
        "Lists the changes of CARD kept on this computer, newest first, with when each was made;\n"
        "an undone change says so. Every change zq3 and the desktop program make is kept in\n"
        "$XDG_DATA_HOME/zq3/history (~/.local/share/zq3/history), at most ZQ3_HISTORY_LIMIT\n"
        "bytes for all cards (2G by default; a K, M or G may follow the number; 0 keeps none),\n"
        "the oldest going first.\n"
        "\n"
        "  --json   print the changes, their files and checksums as JSON\n"
        "\n"
        "Example:\n"
        "  zq3 history /run/media/$USER/ZQCARD\n")},
    {"undo",
     N_("Usage: zq3 undo CARD [--quiet] [--no-verify]\n"
        "\n"
        "Puts CARD back as it was before its last change, in one change of the card, if the\n"
        "card is still as that change left it; otherwise it names the files that differ and\n"
        "changes nothing.\n"
        "\n"
        "  --no-verify   do not read the written files back before the change is kept\n"
        "\n"
        "Example:\n"
        "  zq3 undo /run/media/$USER/ZQCARD\n")},
    {"redo",
     N_("Usage: zq3 redo CARD [--quiet] [--no-verify]\n"
        "\n"
        "Makes again the change of CARD undone last, if the card is still as the undo left it.\n"
        "A new change of the card ends what can be redone.\n"
        "\n"
        "  --no-verify   do not read the written files back before the change is kept\n"
        "\n"
        "Example:\n"
        "  zq3 redo /run/media/$USER/ZQCARD\n")},
    {"play",
     N_("Usage: zq3 play CARD PAD | FILE [--ring-buffer-time S] [--device-buffer-time S]\n"
        "\n"
        "Plays the sample of PAD, or a WAV or AIFF FILE, to the end; Ctrl-C stops. The output is\n"
        "chosen by ZQ3_AUDIO_OUT: alsa (the default), alsa:DEVICE, null, or wav:PATH to capture\n"
        "what is played.\n"
        "\n"
        "  --ring-buffer-time S    seconds read ahead of the sound card (0.01 to 10)\n"
        "  --device-buffer-time S  seconds of one sound-card buffer (0.005 to 2)\n"
        "\n"
        "Examples:\n"
        "  zq3 play /run/media/$USER/ZQCARD D5\n"
        "  ZQ3_AUDIO_OUT=wav:heard.wav zq3 play kick.wav\n")},
    {"help",
     N_("Usage: zq3 help [COMMAND]\n"
        "\n"
        "Shows what the tool does, or the help of COMMAND with its examples.\n"
        "\n"
        "Examples:\n"
        "  zq3 help\n"
        "  zq3 help import\n")},
};
// clang-format on

std::size_t EditDistance(const std::string& left, const std::string& right) {
    std::vector<std::size_t> row(right.size() + 1);
    for (std::size_t j = 0; j <= right.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= left.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= right.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min(
                {row[j] + 1, row[j - 1] + 1, diagonal + (left[i - 1] == right[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[right.size()];
}

} // namespace

const std::vector<std::string>& CommandNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const auto& help : CommandHelps) {
            list.emplace_back(help.name);
        }
        return list;
    }();
    return names;
}

std::string OverviewHelp() {
    return Localized("zq3: put WAV and AIFF files onto the pads of a ZQ-314 memory card, take them "
                     "off again\n"
                     "and empty pads.\n"
                     "\n"
                     "Usage: zq3 COMMAND ARGS... [--lang en|ja]\n"
                     "       zq3 help COMMAND | --help | --version\n"
                     "\n"
                     "CARD is the folder where the card is mounted; PAD is a bank letter C to J "
                     "and a pad\n"
                     "number 0 to 15, e.g. D5.\n"
                     "\n"
                     "Commands:\n"
                     "  info     show what the card holds        zq3 info CARD\n"
                     "  init     make an empty card in a folder  zq3 init CARD\n"
                     "  import   put files onto pads             zq3 import CARD D0 kit/\n"
                     "  export   write pads to files             zq3 export CARD D backup/\n"
                     "  delete   empty a pad                     zq3 delete CARD D5\n"
                     "  play     listen to a pad or a file       zq3 play CARD D5\n"
                     "  move     move pads or banks              zq3 move CARD C3 D7\n"
                     "  copy     copy pads, also to another card zq3 copy CARD C CARD2 E\n"
                     "  swap     trade two pads or banks         zq3 swap CARD C D\n"
                     "  backup   write the card into a tar file  zq3 backup CARD card.tar\n"
                     "  restore  put a backup back byte for byte zq3 restore CARD card.tar\n"
                     "  history  list the card's changes         zq3 history CARD\n"
                     "  undo     take back the last change       zq3 undo CARD\n"
                     "  redo     make an undone change again     zq3 redo CARD\n"
                     "  check    report what does not agree      zq3 check CARD\n"
                     "  repair   mend a damaged card             zq3 repair CARD\n"
                     "  convert  convert a file to 16-bit 44.1k  zq3 convert a.flac a.wav\n"
                     "  slices   show where a file would be cut  zq3 slices loop.wav --slices 8\n"
                     "  help     show a command's help           zq3 help import\n"
                     "\n"
                     "--lang en|ja chooses the language anywhere on the line; without it the "
                     "locale does.\n") +
           Localized(ExitCodes);
}

std::optional<std::string> CommandHelp(const std::string& command) {
    for (const auto& help : CommandHelps) {
        if (command == help.name) {
            return Localized(help.text) + Localized(ExitCodes);
        }
    }
    return std::nullopt;
}

std::string NearestCommand(const std::string& word) {
    std::string nearest;
    std::size_t best = 3;
    for (const std::string& name : CommandNames()) {
        const std::size_t distance = EditDistance(word, name);
        if (distance < best || (!word.empty() && name.rfind(word, 0) == 0 && nearest.empty())) {
            best = std::min(best, distance);
            nearest = name;
        }
    }
    return nearest;
}

} // namespace ZQ3
