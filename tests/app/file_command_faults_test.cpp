// Every file-system step of import, export and delete made to fail in turn, once and from then
// on, as a card or disk that errs or is pulled out would: the card always keeps a readable
// information file that describes either the old or the new state, an information file that
// lists a sample always has that sample's files, no temporary file is left anywhere, and every
// failure is reported with the command's message.

#include "app/import_command.h"
#include "card/file_transfer_faults.h"
#include "tests/app/card_command_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace ZQ3 {
namespace {

namespace Faults = FileTransferFaults;

enum class Mode { FailOneCall, FailFromCall };

class FileCommandFaultsTest : public Fixture::CardCommandTest,
                              public ::testing::WithParamInterface<Mode> {
protected:
    void Arm(int call) {
        if (GetParam() == Mode::FailOneCall) {
            Faults::FailCall(call);
        } else {
            Faults::FailFrom(call);
        }
    }

    // The number of seamed calls a fault-free run of command makes after setUp.
    int CountCalls(const std::function<void()>& setUp,
                   const std::function<CommandOutcome()>& command) {
        setUp();
        Faults::CScope scope;
        Faults::CountOnly();
        EXPECT_EQ(command(), CommandOutcome::Succeeded);
        return Faults::CountedCalls();
    }

    // Runs command with call n failing, for every n a fault-free run makes and one more, and
    // calls check after each run.
    void Sweep(const std::function<void()>& setUp, const std::function<CommandOutcome()>& command,
               const std::function<void(CommandOutcome)>& check) {
        const int calls = CountCalls(setUp, command);
        ASSERT_GE(calls, 3);
        for (int call = 1; call <= calls + 1; ++call) {
            SCOPED_TRACE("failing call " + std::to_string(call) + " of " + std::to_string(calls));
            setUp();
            printer.printer->texts.clear();
            CommandOutcome outcome;
            {
                Faults::CScope scope;
                Arm(call);
                outcome = command();
            }
            check(outcome);
            EXPECT_EQ(Fixture::TemporaryLeftovers(CardDirectory()), std::vector<std::string>{});
            EXPECT_EQ(Fixture::FileNames(temporaryDirectory), std::vector<std::string>{});
            if (HasFailure()) {
                return;
            }
        }
    }

    std::uintmax_t SizeOrZero(const std::string& path) const {
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        return error ? 0 : size;
    }

    // Checks the card after an import that replaced oldEntries by newEntries.
    void CheckImport(CommandOutcome outcome, const std::vector<SampleEntry>& oldEntries,
                     const std::vector<SampleEntry>& newEntries, int channels) {
        const std::vector<SampleEntry> card = CardEntries();
        ASSERT_EQ(card.size(), CardLayout::SlotCount) << "the information file is unreadable";
        EXPECT_TRUE(card == oldEntries || card == newEntries);
        const SampleEntry& entry = newEntries[CardLayout::Slot(1, 5)];
        if (card == newEntries) {
            // Listed, so its files are complete.
            EXPECT_EQ(SizeOrZero(LeftFile(5)), static_cast<std::uintmax_t>(entry.frameCount));
            EXPECT_EQ(SizeOrZero(RightFile(5)),
                      channels == 2 ? static_cast<std::uintmax_t>(entry.frameCount) : 0u);
        }
        if (outcome == CommandOutcome::Succeeded) {
            EXPECT_TRUE(Texts().empty());
            EXPECT_EQ(card, newEntries);
            EXPECT_EQ(domain.model->entries, newEntries);
        } else {
            EXPECT_EQ(outcome, CommandOutcome::Failed);
            EXPECT_EQ(Texts(), Lines(MessageImportFailed));
            EXPECT_EQ(domain.model->entries, oldEntries);
        }
    }

    void SweepImport(int oldChannels, int newChannels, std::uint32_t newFrames) {
        std::vector<SampleEntry> oldEntries;
        std::vector<SampleEntry> newEntries;
        const std::string source = directory / "new.wav";
        Fixture::WriteSamplesFile(source, Fixture::TestSignal(newChannels, newFrames), newChannels,
                                  CardLayout::FileFormatWave);
        const auto setUp = [&] {
            LoadEmptyCard();
            PutSample(5, oldChannels, 3300);
            oldEntries = CardEntries();
            newEntries = oldEntries;
            newEntries[CardLayout::Slot(1, 5)] = CImportCommand::NewEntry(newFrames, newChannels);
        };
        Sweep(
            setUp, [&] { return controller().importFile(source); },
            [&](CommandOutcome outcome) {
                CheckImport(outcome, oldEntries, newEntries, newChannels);
            });
    }
};

TEST_P(FileCommandFaultsTest, ImportStereoOverMono) {
    SweepImport(1, 2, 3500);
}

TEST_P(FileCommandFaultsTest, ImportMonoOverStereo) {
    SweepImport(2, 1, 3200);
}

TEST_P(FileCommandFaultsTest, Delete) {
    std::vector<SampleEntry> oldEntries;
    std::string oldLeft;
    const auto setUp = [&] {
        LoadEmptyCard();
        PutSample(5, 2, 3300);
        oldEntries = CardEntries();
        oldLeft = Fixture::ReadFileBytes(LeftFile(5));
    };
    Sweep(
        setUp, [&] { return controller().deletePad(5); },
        [&](CommandOutcome outcome) {
            const std::vector<SampleEntry> card = CardEntries();
            ASSERT_EQ(card.size(), CardLayout::SlotCount) << "the information file is unreadable";
            std::vector<SampleEntry> newEntries = oldEntries;
            newEntries[CardLayout::Slot(1, 5)] = SampleEntry{};
            EXPECT_TRUE(card == oldEntries || card == newEntries);
            if (card == oldEntries) {
                // Still listed, so its files are still there.
                EXPECT_EQ(Fixture::ReadFileBytes(LeftFile(5)), oldLeft);
                EXPECT_TRUE(std::filesystem::exists(RightFile(5)));
            }
            if (outcome == CommandOutcome::Succeeded) {
                EXPECT_TRUE(Texts().empty());
                EXPECT_EQ(card, newEntries);
                EXPECT_EQ(domain.model->entries, newEntries);
                EXPECT_FALSE(std::filesystem::exists(LeftFile(5)));
                EXPECT_FALSE(std::filesystem::exists(RightFile(5)));
            } else {
                EXPECT_EQ(outcome, CommandOutcome::Failed);
                EXPECT_EQ(Texts(), Lines(MessageDeletionFailed));
                EXPECT_EQ(domain.model->entries, oldEntries);
            }
        });
}

TEST_P(FileCommandFaultsTest, Export) {
    const std::string outDirectory = directory / "out";
    std::filesystem::create_directories(outDirectory);
    const std::string destination = outDirectory + "/pad.wav";
    const std::string old = "the user's older file";
    // What a fault-free export writes.
    LoadEmptyCard();
    PutSample(5, 2, 3300);
    ASSERT_EQ(controller().exportPad(CardLayout::FileFormatWave, destination),
              CommandOutcome::Succeeded);
    const std::string exported = Fixture::ReadFileBytes(destination);
    ASSERT_GT(exported.size(), 3300u * 4);
    const std::string informationBefore = InformationBytes();

    const auto setUp = [&] {
        Fixture::WriteFileBytes(destination, old);
        NextProgress();
    };
    Sweep(
        setUp, [&] { return controller().exportPad(CardLayout::FileFormatWave, destination); },
        [&](CommandOutcome outcome) {
            const std::string now = Fixture::ReadFileBytes(destination);
            EXPECT_TRUE(now == old || now == exported);
            EXPECT_EQ(Fixture::FileNames(outDirectory), std::vector<std::string>{"pad.wav"});
            EXPECT_EQ(InformationBytes(), informationBefore);
            if (outcome == CommandOutcome::Succeeded) {
                EXPECT_TRUE(Texts().empty());
                EXPECT_EQ(now, exported);
            } else {
                EXPECT_EQ(outcome, CommandOutcome::Failed);
                EXPECT_EQ(Texts(), Lines(MessageExportFailed));
            }
        });
}

INSTANTIATE_TEST_SUITE_P(Modes, FileCommandFaultsTest,
                         ::testing::Values(Mode::FailOneCall, Mode::FailFromCall),
                         [](const auto& info) {
                             return info.param == Mode::FailOneCall ? std::string("OneCall")
                                                                    : std::string("FromCall");
                         });

} // namespace
} // namespace ZQ3
