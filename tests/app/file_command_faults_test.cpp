// Every file-system call of import, delete and export made to fail in turn (once, or from then
// on, with EIO or ENOSPC) and the command abandoned at every call as a crash would: once the
// card is opened again it holds, byte for byte, exactly the files it held before the command or
// exactly those of an uninterrupted run, never a mixture and never a temporary file, and every
// failure was reported with the command's message.

#include "app/card_backup.h"
#include "app/import_command.h"
#include "app/pad_transfer.h"
#include "app/private_directory.h"
#include "app/slice_import.h"
#include "card/temporary_names.h"
#include "tests/support/card_command_fixture.h"
#include "tests/support/faulty_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <utility>

namespace ZQ3 {
namespace {

enum class Fault { OneCallEio, OneCallEnospc, FromCallEio, Crash };

using CardFiles = std::map<std::string, std::string>;

class FaultyCardTest : public Fixture::CardCommandTest {
protected:
    // What the command said matches what the card holds once opened again: a failure leaves it
    // as it was; a change reported as recorded is there whole.
    static void ExpectTruthfulOutcome(CommandOutcome outcome, const std::vector<std::string>& texts,
                                      int failureMessage, bool asBefore, bool asAfter) {
        switch (outcome) {
        case CommandOutcome::Succeeded:
            EXPECT_TRUE(texts.empty());
            EXPECT_TRUE(asAfter);
            return;
        case CommandOutcome::Failed:
            // The message, and on the next line any reason the core knows.
            ASSERT_EQ(texts.size(), 1u);
            EXPECT_EQ(texts[0].rfind(Line(failureMessage), 0), 0u) << texts[0];
            EXPECT_TRUE(asBefore) << texts[0];
            return;
        case CommandOutcome::Unsettled:
            ASSERT_EQ(texts.size(), 1u);
            if (texts[0].starts_with(Line(MessageChangeRecorded))) {
                EXPECT_TRUE(asAfter) << texts[0];
            } else {
                EXPECT_EQ(texts[0].rfind(Line(MessageChangeUndecided), 0), 0u) << texts[0];
            }
            return;
        case CommandOutcome::Cancelled:
            break;
        }
        ADD_FAILURE() << "cancelled without a cancel";
    }

    CardFiles Snapshot() const {
        CardFiles files;
        for (const std::string& name : Fixture::FileNames(CardDirectory())) {
            files[name] = Fixture::ReadFileBytes(CardDirectory() + name);
        }
        return files;
    }

    // Puts the card folder's files of a snapshot back as they were, without the imports that
    // made them: a sweep sets its card up once per call it fails.
    void PutCardFiles(const CardFiles& files) {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(CardDirectory());
        for (const auto& [name, bytes] : files) {
            Fixture::WriteFileBytes(CardDirectory() + name, bytes);
        }
    }

    CommandOutcome RunFaulty(const std::function<CommandOutcome()>& command) {
        controller().setFileSystem(faulty);
        const CommandOutcome outcome = command();
        controller().setFileSystem(PosixFileSystem());
        return outcome;
    }

    Testing::CFaultyFileSystem faulty;
};

class FileCommandFaultsTest : public FaultyCardTest, public ::testing::WithParamInterface<Fault> {
protected:
    void Arm(int call) {
        switch (GetParam()) {
        case Fault::OneCallEio:
            faulty.failCall(call, EIO);
            break;
        case Fault::OneCallEnospc:
            faulty.failCall(call, ENOSPC);
            break;
        case Fault::FromCallEio:
            faulty.failFrom(call, EIO);
            break;
        case Fault::Crash:
            faulty.crashAt(call);
            break;
        }
    }

    // Runs command on a card made by setUp with each call failing in turn, then opens the card
    // again and checks it. message is the command's failure message, or -1 for a command that
    // reports through its result alone.
    void Sweep(const std::function<void()>& setUp, const std::function<CommandOutcome()>& command,
               int message) {
        setUp();
        const CardFiles before = Snapshot();
        faulty.countOnly();
        ASSERT_EQ(RunFaulty(command), CommandOutcome::Succeeded);
        const CardFiles after = Snapshot();
        const int calls = faulty.calls();
        const int commitCall =
            faulty.callNumberOf("open " + CardDirectory() + TemporaryNames::JournalFile);
        ASSERT_GT(commitCall, 0);
        ASSERT_GE(calls, commitCall + 3);

        for (int call = 1; call <= calls + 1; ++call) {
            SCOPED_TRACE("failing call " + std::to_string(call) + " of " + std::to_string(calls));
            setUp();
            printer.printer->texts.clear();
            Arm(call);
            const CommandOutcome outcome = RunFaulty(command);
            const std::vector<std::string> texts = Texts();
            // Opening the card again settles whatever the command left.
            ASSERT_TRUE(controller().selectDrive(root, 1));
            const CardFiles now = Snapshot();
            EXPECT_TRUE(now == before || now == after);
            if (call < commitCall) {
                EXPECT_TRUE(now == before);
            }
            EXPECT_EQ(Fixture::FileNames(temporaryDirectory), std::vector<std::string>{});
            if (GetParam() != Fault::Crash && message >= 0) {
                ExpectTruthfulOutcome(outcome, texts, message, now == before, now == after);
            } else if (GetParam() != Fault::Crash) {
                EXPECT_TRUE(outcome != CommandOutcome::Failed || now == before);
                EXPECT_TRUE(outcome != CommandOutcome::Succeeded || now == after);
            }
            if (HasFailure()) {
                return;
            }
        }
    }

    void SweepImport(int oldChannels, int newChannels, std::uint32_t newFrames) {
        const std::string source = directory / "new.wav";
        Fixture::WriteSamplesFile(source, Fixture::TestSignal(newChannels, newFrames), newChannels,
                                  CardLayout::FileFormatWave);
        Sweep(
            [&] {
                std::filesystem::remove_all(root);
                LoadEmptyCard();
                PutSample(5, oldChannels, 3300);
                PutSample(6, 2, 3400, 9);
            },
            [&] { return controller().importFile(source); }, MessageImportFailed);
    }
};

TEST_P(FileCommandFaultsTest, ImportMonoOverStereo) {
    SweepImport(2, 1, 3200);
}

TEST_P(FileCommandFaultsTest, ImportStereoOverMono) {
    SweepImport(1, 2, 3500);
}

// A trimmed import converts in the work folder first; its change of the card is an import's.
TEST_P(FileCommandFaultsTest, ImportTrimmed) {
    const std::string source = directory / "padded.wav";
    Fixture::WriteWav(source, 44100, 1, 16, 9000, [](std::uint32_t frame, int) {
        return frame >= 3000 && frame < 6000 ? std::int32_t((frame % 50) * 300) : 0;
    });
    ImportConversion trim;
    trim.convert = true;
    trim.options.processing.trimThresholdDb = SL::CSoundProcessing::kDefaultTrimDb;
    Sweep(
        [&] {
            std::filesystem::remove_all(root);
            LoadEmptyCard();
            PutSample(5, 2, 3300);
        },
        [&] { return controller().importFile(source, trim); }, MessageImportFailed);
}

// A loop chopped onto pads 5 and 6 is one change of the card, as a batch of files is.
TEST_P(FileCommandFaultsTest, ImportSlices) {
    const std::string loop = directory / "loop.wav";
    Fixture::WriteTestWav(loop, 2, 2 * 4000);
    std::vector<ImportItem> items;
    {
        SL::CSliceRequest request;
        request.count = 2;
        // Gone before the sweep, which counts what is left in the temporary folder.
        CPrivateDirectory work;
        const SlicedFile sliced = SliceIntoFiles(loop, request, {}, 21, work);
        ASSERT_TRUE(sliced.done) << sliced.refusal;
        for (std::size_t i = 0; i < sliced.paths.size(); ++i) {
            const std::string kept = directory / ("slice" + std::to_string(i) + ".wav");
            std::filesystem::copy_file(sliced.paths[i], kept);
            items.push_back({kept, 21 + static_cast<int>(i)});
        }
    }
    Sweep(
        [&] {
            std::filesystem::remove_all(root);
            LoadEmptyCard();
            PutSample(6, 1, 3400, 9);
        },
        [&] { return controller().importFiles(items); }, MessageImportFailed);
}

TEST_P(FileCommandFaultsTest, Delete) {
    Sweep(
        [&] {
            std::filesystem::remove_all(root);
            LoadEmptyCard();
            PutSample(5, 2, 3300);
            PutSample(6, 1, 3400, 9);
        },
        [&] { return controller().deletePad(5); }, MessageDeletionFailed);
}

// Pads changing places on one card as one change: a swap stages both pads' files, renames each
// over the other's and rewrites both records, so it meets every step a move or copy takes. The
// samples lie on pads 5 and 6 of bank D, slots 21 and 22.
TEST_P(FileCommandFaultsTest, Swap) {
    Sweep(
        [&] {
            std::filesystem::remove_all(root);
            LoadEmptyCard();
            PutSample(5, 2, 3300);
            PutSample(6, 1, 3400, 9);
        },
        [&] {
            PadTransferOptions options;
            options.kind = PadTransferKind::Swap;
            switch (TransferPads(root, root, {{21, 22}}, options, faulty).problem) {
            case PadTransferring::Problem::None:
                return CommandOutcome::Succeeded;
            case PadTransferring::Problem::Pending:
            case PadTransferring::Problem::Undecided:
                return CommandOutcome::Unsettled;
            default:
                return CommandOutcome::Failed;
            }
        },
        -1);
}

CommandOutcome OutcomeOf(const PadTransferring& transferring) {
    switch (transferring.problem) {
    case PadTransferring::Problem::None:
        return CommandOutcome::Succeeded;
    case PadTransferring::Problem::Pending:
    case PadTransferring::Problem::Undecided:
        return CommandOutcome::Unsettled;
    default:
        return CommandOutcome::Failed;
    }
}

// A move onto a stereo pad (whose right channel file goes) and a copy onto an empty pad, each
// killed at every call; their failures are reported as a swap's are, which its sweep covers.
TEST_P(FileCommandFaultsTest, MoveAndCopy) {
    if (GetParam() != Fault::Crash) {
        GTEST_SKIP() << "the swap's sweep covers how a failure is reported";
    }
    LoadEmptyCard();
    PutSample(5, 2, 3300);
    PutSample(6, 1, 3400, 9);
    const CardFiles start = Snapshot();
    for (const PadTransferKind kind : {PadTransferKind::Move, PadTransferKind::Copy}) {
        SCOPED_TRACE(kind == PadTransferKind::Move ? "move" : "copy");
        const SlotPair pair = kind == PadTransferKind::Move ? SlotPair{22, 21} : SlotPair{21, 23};
        Sweep([&] { PutCardFiles(start); },
              [&] {
                  PadTransferOptions options;
                  options.kind = kind;
                  options.confirmReplacing = [](const std::vector<int>&) { return true; };
                  return OutcomeOf(TransferPads(root, root, {pair}, options, faulty));
              },
              -1);
    }
}

// A restore onto a card that has changed since its backup: a pad replaced by a stereo one, a
// pad filled. Killed at every call, and failing once at every call; the other failures take
// the paths these do.
TEST_P(FileCommandFaultsTest, Restore) {
    if (GetParam() != Fault::Crash && GetParam() != Fault::OneCallEio) {
        GTEST_SKIP() << "the crash and the single failure cover the restore's paths";
    }
    LoadEmptyCard();
    PutSample(5, 2, 3300);
    PutSample(6, 1, 3400, 9);
    const std::string archive = directory / "card.tar";
    ASSERT_EQ(BackUpCard(root, archive, {}).problem, CardBackupResult::Problem::None);
    PutSample(6, 2, 3600, 11);
    PutSample(8, 1, 3200, 12);
    const CardFiles changed = Snapshot();
    Sweep([&] { PutCardFiles(changed); },
          [&] {
              switch (RestoreCard(root, archive, {}, faulty).problem) {
              case CardBackupResult::Problem::None:
                  return CommandOutcome::Succeeded;
              case CardBackupResult::Problem::Pending:
              case CardBackupResult::Problem::Undecided:
                  return CommandOutcome::Unsettled;
              default:
                  return CommandOutcome::Failed;
              }
          },
          -1);
}

// Undo puts back files the history kept on the computer, in one change of the card: an undo of
// an import over a stereo sample brings back both channel files and the old record together.
TEST_P(FileCommandFaultsTest, Undo) {
    ::setenv("XDG_DATA_HOME", (directory / "data").c_str(), 1);
    controller().setRecordsHistory(true);
    const std::string source = directory / "new.wav";
    Fixture::WriteSamplesFile(source, Fixture::TestSignal(1, 3200), 1, CardLayout::FileFormatWave);
    Sweep(
        [&] {
            std::filesystem::remove_all(root);
            std::filesystem::remove_all(directory / "data");
            LoadEmptyCard();
            PutSample(5, 2, 3300);
            ASSERT_EQ(controller().importFile(source), CommandOutcome::Succeeded);
        },
        [&] { return controller().stepThroughHistory(HistoryDirection::Undo); }, MessageUndoFailed);
}

// A device that takes the journal but refuses every rename: the change is committed, so the
// command says it is recorded rather than failed, and the next opening completes it.
TEST_F(FaultyCardTest, ACommittedChangeIsReportedAsRecordedAndCompletesOnTheNextOpening) {
    const std::string source = directory / "new.wav";
    Fixture::WriteSamplesFile(source, Fixture::TestSignal(1, 3200), 1, CardLayout::FileFormatWave);
    const std::vector<std::pair<std::function<CommandOutcome()>, int>> commands = {
        {[&] { return controller().importFile(source); }, MessageImportFailed},
        {[&] { return controller().deletePad(5); }, MessageDeletionFailed}};
    for (const auto& [command, failureMessage] : commands) {
        std::filesystem::remove_all(root);
        LoadEmptyCard();
        PutSample(5, 2, 3300);
        const CardFiles before = Snapshot();
        printer.printer->texts.clear();
        faulty.failEvery("rename ", EIO);
        const CommandOutcome outcome = RunFaulty(command);
        const std::vector<std::string> texts = Texts();
        const std::vector<SampleEntry> promised = domain.model->entries;
        EXPECT_EQ(outcome, CommandOutcome::Unsettled);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].rfind(Line(MessageChangeRecorded), 0), 0u) << texts[0];
        EXPECT_NE(texts[0].find("system error " + std::to_string(EIO)), std::string::npos);
        EXPECT_EQ(Snapshot().count(TemporaryNames::JournalFile), 1u);

        ASSERT_TRUE(controller().selectDrive(root, 1));
        EXPECT_NE(Snapshot(), before);
        EXPECT_EQ(CardEntries(), promised);
        EXPECT_EQ(domain.model->entries, promised);
    }
}

TEST_P(FileCommandFaultsTest, ExportKeepsTheOldFileOrWritesTheWholeNewOne) {
    if (GetParam() == Fault::Crash) {
        GTEST_SKIP() << "an export changes no card";
    }
    const std::string outDirectory = directory / "out";
    std::filesystem::create_directories(outDirectory);
    const std::string destination = outDirectory + "/pad.wav";
    const std::string old = "the user's older file";
    LoadEmptyCard();
    PutSample(5, 2, 3300);
    ASSERT_EQ(controller().exportPad(CardLayout::FileFormatWave, destination),
              CommandOutcome::Succeeded);
    const std::string exported = Fixture::ReadFileBytes(destination);
    const CardFiles card = Snapshot();

    Fixture::WriteFileBytes(destination, old);
    faulty.countOnly();
    ASSERT_EQ(
        RunFaulty([&] { return controller().exportPad(CardLayout::FileFormatWave, destination); }),
        CommandOutcome::Succeeded);
    const int calls = faulty.calls();
    for (int call = 1; call <= calls + 1; ++call) {
        SCOPED_TRACE("failing call " + std::to_string(call) + " of " + std::to_string(calls));
        Fixture::WriteFileBytes(destination, old);
        printer.printer->texts.clear();
        Arm(call);
        const CommandOutcome outcome = RunFaulty(
            [&] { return controller().exportPad(CardLayout::FileFormatWave, destination); });
        const std::string now = Fixture::ReadFileBytes(destination);
        EXPECT_EQ(Fixture::FileNames(outDirectory), std::vector<std::string>{"pad.wav"});
        EXPECT_EQ(Snapshot(), card);
        if (outcome == CommandOutcome::Succeeded) {
            EXPECT_TRUE(Texts().empty());
            EXPECT_EQ(now, exported);
        } else {
            EXPECT_EQ(outcome, CommandOutcome::Failed);
            ASSERT_EQ(Texts().size(), 1u);
            EXPECT_EQ(Texts()[0].rfind(Line(MessageExportFailed), 0), 0u) << Texts()[0];
            EXPECT_TRUE(now == old || now == exported);
        }
        if (HasFailure()) {
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FileCommandFaultsTest,
                         ::testing::Values(Fault::OneCallEio, Fault::OneCallEnospc,
                                           Fault::FromCallEio, Fault::Crash),
                         [](const auto& test) {
                             switch (test.param) {
                             case Fault::OneCallEio:
                                 return std::string("OneCallEio");
                             case Fault::OneCallEnospc:
                                 return std::string("OneCallEnospc");
                             case Fault::FromCallEio:
                                 return std::string("FromCallEio");
                             case Fault::Crash:
                                 break;
                             }
                             return std::string("Crash");
                         });

} // namespace
} // namespace ZQ3
