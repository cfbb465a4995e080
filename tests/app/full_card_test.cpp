// A card or disk that is really full: a small tmpfs mounted as the card or as the export
// destination, where the tests may mount one (as root); skipped elsewhere.

#include "app/card_check_text.h"
#include "app/card_repair.h"
#include "app/quantity_text.h"
#include "card/card_journal.h"
#include "tests/support/card_command_fixture.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/sizeless_file_system.h"
#include "tests/support/wav_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace ZQ3 {
namespace {

// A tmpfs of a few pages at path for as long as the object lives.
class CSmallVolume {
public:
    CSmallVolume(const std::string& path, int pages) : path_(path) {
        std::filesystem::create_directories(path);
        const std::string options = "size=" + std::to_string(pages * kPage);
        mounted_ = ::mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
        error_ = mounted_ ? 0 : errno;
    }
    ~CSmallVolume() {
        if (mounted_) {
            ::umount2(path_.c_str(), MNT_DETACH);
        }
    }
    CSmallVolume(const CSmallVolume&) = delete;
    CSmallVolume& operator=(const CSmallVolume&) = delete;

    bool mounted() const { return mounted_; }
    bool setReadOnly(bool readOnly) const {
        const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return ::mount("tmpfs", path_.c_str(), "tmpfs", flags, nullptr) == 0;
    }
    std::string whyNot() const {
        return "mounting a small tmpfs needs root (or CAP_SYS_ADMIN): " +
               std::string(std::strerror(error_));
    }
    std::uint64_t freeBytes() const {
        struct statvfs volume {};
        ::statvfs(path_.c_str(), &volume);
        return std::uint64_t{volume.f_bavail} * volume.f_frsize;
    }
    // Fills the volume until exactly bytes remain free.
    void leaveFree(std::uint64_t bytes) const {
        const std::uint64_t now = freeBytes();
        ASSERT_GE(now, bytes);
        Fixture::WriteFileBytes(path_ + "/filler", std::string(now - bytes, 'f'));
        ASSERT_EQ(freeBytes(), bytes);
    }

    static constexpr int kPage = 4096;

private:
    std::string path_;
    bool mounted_ = false;
    int error_ = 0;
};

class FullCardTest : public Fixture::CardCommandTest {
protected:
    // A card whose pad D5 was being emptied: the delete committed its journal and was interrupted
    // before any step. Gives the entries the delete leaves.
    std::vector<SampleEntry> InterruptedDelete() {
        LoadEmptyCard();
        PutSample(5, 1, 4000);
        std::vector<SampleEntry> emptied = CardEntries();
        emptied[CardLayout::Slot(1, 5)] = SampleEntry{};
        const std::string staged = "___ZQ3_TEMPORARY_SAMPLE_INFORMATION_FILE___";
        EXPECT_TRUE(WriteSampleInformationFile(CardDirectory() + staged, emptied));
        EXPECT_TRUE(CardJournal::Write(CardDirectory(),
                                       {JournalStep::Removing("SMP0015L.ZQD"),
                                        JournalStep::Removing("SMP0015R.ZQD"),
                                        JournalStep::Renaming(staged, "WVCINFO0.ZQD")},
                                       PosixFileSystem()));
        return emptied;
    }
    std::string Source(int channels, std::uint32_t frames) {
        const std::string path = directory / "in.wav";
        Fixture::WriteSamplesFile(path, Fixture::TestSignal(channels, frames), channels,
                                  CardLayout::FileFormatWave);
        return path;
    }
    // The card's message, and the space the change needs against what the card has.
    void ExpectTooLittleSpace(const CSmallVolume& card) {
        const std::vector<std::string> texts = Texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_TRUE(texts[0].starts_with(Line(MessageCardFull) + root +
                                         ": the card has too little space: the change needs "))
            << texts[0];
        EXPECT_NE(texts[0].find(", and " + SizeText(card.freeBytes()) + " is free."),
                  std::string::npos)
            << texts[0];
    }
    // No temporary file and no channel file on the card.
    void ExpectOnlyTheInformationFile() {
        EXPECT_EQ(Fixture::FileNames(CardDirectory()), std::vector<std::string>{"WVCINFO0.ZQD"});
    }
};

#define MOUNT_OR_SKIP(volume)                                                                      \
    if (::geteuid() != 0) {                                                                        \
        GTEST_SKIP() << "mounting a small tmpfs as a full card needs root";                        \
    }                                                                                              \
    if (!(volume).mounted()) {                                                                     \
        GTEST_SKIP() << (volume).whyNot();                                                         \
    }

TEST_F(FullCardTest, ACardKnownToBeTooFullRefusesBeforeWriting) {
    CSmallVolume card(root, 16);
    MOUNT_OR_SKIP(card);
    LoadEmptyCard();
    const std::string before = InformationBytes();

    // 80000 bytes of channel files on a card of 64 KiB.
    EXPECT_EQ(controller().importFile(Source(2, 40000)), CommandOutcome::Failed);

    ExpectTooLittleSpace(card);
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_EQ(InformationBytes(), before);
    ExpectOnlyTheInformationFile();
    EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
}

TEST_F(FullCardTest, AConversionThatWouldNotFitIsRefusedBeforeItStarts) {
    CSmallVolume card(root, 16);
    MOUNT_OR_SKIP(card);
    LoadEmptyCard();
    // 8 KB at 1 kHz: four seconds, 176400 frames once converted to 44.1 kHz, on 64 KiB.
    const std::string source = directory / "low.wav";
    Fixture::WriteWav(source, 1000, 1, 16, 4000, [](std::uint32_t frame, int) {
        return static_cast<std::int32_t>(frame % 200) * 100;
    });
    ImportConversion conversion;
    conversion.convert = true;

    EXPECT_EQ(controller().importFile(source, conversion), CommandOutcome::Failed);

    ExpectTooLittleSpace(card);
    // Not even the conversion's step was shown, and it wrote no work file.
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());
    ExpectOnlyTheInformationFile();
}

TEST_F(FullCardTest, ACardWhoseSpaceIsUnknownIsNotRefusedAndRunningFullFailsInTheWrite) {
    CSmallVolume card(root, 16);
    MOUNT_OR_SKIP(card);
    Testing::CSizelessFileSystem sizeless;
    controller().setFileSystem(sizeless);
    LoadEmptyCard();
    card.leaveFree(4 * CSmallVolume::kPage);
    const std::string before = InformationBytes();

    // Two channel files of two pages each leave no room for the information file's copy.
    EXPECT_EQ(controller().importFile(Source(2, 4100)), CommandOutcome::Failed);

    // Found by the write, and said so.
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_TRUE(Texts()[0].starts_with(Line(MessageImportFailed) + root + ": the card is full."))
        << Texts()[0];
    EXPECT_EQ(progress->beginCount(), 1);
    EXPECT_EQ(InformationBytes(), before);
    ExpectOnlyTheInformationFile();
    EXPECT_EQ(card.freeBytes(), 4u * CSmallVolume::kPage);
    EXPECT_TRUE(Fixture::FileNames(temporaryDirectory).empty());

    // What fits is imported although the card never said how much does.
    printer.printer->texts.clear();
    EXPECT_EQ(controller().importFile(Source(1, 4000)), CommandOutcome::Succeeded);
    EXPECT_EQ(Texts(), std::vector<std::string>{});
}

TEST_F(FullCardTest, EveryFileOfABatchCountsInWholeBlocksOfTheCard) {
    CSmallVolume card(root, 64);
    MOUNT_OR_SKIP(card);
    LoadEmptyCard();
    // Sixteen channel files of 4112 bytes, the information file and the journal come to 72832
    // bytes, but each file takes whole pages: 139264 bytes, which 80 KiB cannot hold.
    card.leaveFree(20 * CSmallVolume::kPage);
    std::vector<ImportItem> items;
    for (int pad = 0; pad < CardLayout::PadsPerBank; ++pad) {
        const std::string path = directory / ("in" + std::to_string(pad) + ".wav");
        Fixture::WriteSamplesFile(path, Fixture::TestSignal(1, 4100, static_cast<unsigned>(pad)), 1,
                                  CardLayout::FileFormatWave);
        items.push_back({path, CardLayout::Slot(1, pad)});
    }
    const std::string before = InformationBytes();

    EXPECT_EQ(controller().importFiles(items), CommandOutcome::Failed);

    ExpectTooLittleSpace(card);
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_EQ(InformationBytes(), before);
    ExpectOnlyTheInformationFile();
}

TEST_F(FullCardTest, TheSpaceCheckCountsTheInformationFileAndTheJournal) {
    CSmallVolume card(root, 16);
    MOUNT_OR_SKIP(card);
    LoadEmptyCard();
    // Room for the channel file, not for everything else the change writes.
    card.leaveFree(3 * CSmallVolume::kPage);
    const std::string before = InformationBytes();

    EXPECT_EQ(controller().importFile(Source(1, 8192)), CommandOutcome::Failed);

    ExpectTooLittleSpace(card);
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_EQ(InformationBytes(), before);
    ExpectOnlyTheInformationFile();
}

TEST_F(FullCardTest, LeftoversOfAKilledRunAreClearedBeforeTheSpaceIsMeasured) {
    CSmallVolume card(root, 16);
    MOUNT_OR_SKIP(card);
    LoadEmptyCard();
    card.leaveFree(6 * CSmallVolume::kPage);
    // What another converter, killed half-way, left behind after this one loaded the card.
    Fixture::WriteFileBytes(CardDirectory() + "___ZQ3_TEMPORARY_SAMPLE_FILE___0",
                            std::string(5 * CSmallVolume::kPage, 'k'));

    EXPECT_EQ(controller().importFile(Source(1, 8192)), CommandOutcome::Succeeded);

    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(Fixture::FileNames(CardDirectory()),
              (std::vector<std::string>{"SMP0015L.ZQD", "WVCINFO0.ZQD"}));
}

TEST_F(FullCardTest, ADiskKnownToBeTooFullRefusesTheExportBeforeAnyProgress) {
    const std::string outDirectory = directory / "out";
    CSmallVolume disk(outDirectory, 4);
    MOUNT_OR_SKIP(disk);
    LoadEmptyCard();
    PutSample(5, 2, 8000);
    const std::string destination = outDirectory + "/pad.wav";
    Fixture::WriteFileBytes(destination, "old");

    // 32046 bytes to write on a disk with less than 16 KiB free.
    EXPECT_EQ(controller().exportPad(CardLayout::FileFormatWave, destination),
              CommandOutcome::Failed);

    EXPECT_EQ(Texts(), Lines(MessageDiskFull));
    EXPECT_EQ(progress->beginCount(), 0);
    EXPECT_EQ(Fixture::ReadFileBytes(destination), "old");
    EXPECT_EQ(Fixture::FileNames(outDirectory), std::vector<std::string>{"pad.wav"});
}

TEST_F(FullCardTest, APendingChangeWaitsUntilTheCardIsWritable) {
    CSmallVolume card(root, 64);
    MOUNT_OR_SKIP(card);
    const std::vector<SampleEntry> emptied = InterruptedDelete();
    const auto before = Fixture::FileNames(CardDirectory());
    ASSERT_TRUE(card.setReadOnly(true));

    EXPECT_FALSE(controller().selectDrive(root, 1));
    EXPECT_EQ(Texts(), Lines(MessageChangePending));
    EXPECT_EQ(Fixture::FileNames(CardDirectory()), before);

    ASSERT_TRUE(card.setReadOnly(false));
    ASSERT_TRUE(controller().selectDrive(root, 1));
    EXPECT_EQ(domain.model->entries, emptied);
    EXPECT_EQ(Fixture::FileNames(CardDirectory()), std::vector<std::string>{"WVCINFO0.ZQD"});
}

TEST_F(FullCardTest, AnInterruptedChangeThatCannotBeCompletedSaysWhy) {
    InterruptedDelete();
    Testing::CFaultyFileSystem faulty;
    faulty.countOnly();
    controller().setFileSystem(faulty);
    ASSERT_TRUE(controller().selectDrive(root, 1));
    const int unlink = faulty.callNumberOf("unlink " + CardDirectory() + "SMP0015L.ZQD");
    ASSERT_GT(unlink, 0);
    std::filesystem::remove_all(root);
    controller().setFileSystem(PosixFileSystem());
    InterruptedDelete();
    const auto before = Fixture::FileNames(CardDirectory());
    printer.printer->texts.clear();

    faulty.failCall(unlink, EIO);
    controller().setFileSystem(faulty);
    EXPECT_FALSE(controller().selectDrive(root, 1));
    controller().setFileSystem(PosixFileSystem());

    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           Line(MessageNotACard,
                                CardDirectory() + "SMP0015L.ZQD" +
                                    ": a change to the card was interrupted, and completing "
                                    "it failed (system error " +
                                    std::to_string(EIO) +
                                    "); nothing else was changed. Try again once the card can be "
                                    "written.")}));
    EXPECT_EQ(Fixture::FileNames(CardDirectory()), before);
}

TEST_F(FullCardTest, AFullWorkFolderIsNamedAndTheFileIsNotRefused) {
    // The work folder holds 64 KiB; the conversion of two seconds of 24-bit 48 kHz sound needs
    // about 172 KiB there, while the card has room.
    CSmallVolume work(temporaryDirectory, 16);
    MOUNT_OR_SKIP(work);
    LoadEmptyCard();
    const std::string source = directory / "hi48.wav";
    Fixture::WriteWav(source, 48000, 1, 24, 96000, [](std::uint32_t frame, int) {
        return static_cast<std::int32_t>(frame % 480) * 10000;
    });
    ImportConversion conversion;
    conversion.convert = true;
    const std::string before = InformationBytes();

    EXPECT_EQ(controller().importFile(source, conversion), CommandOutcome::Failed);

    const std::vector<std::string> texts = Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(texts[0].starts_with(Line(MessageImportFailed))) << texts[0];
    EXPECT_NE(texts[0].find(temporaryDirectory + " has too little space"), std::string::npos)
        << texts[0];
    EXPECT_EQ(InformationBytes(), before);
    ExpectOnlyTheInformationFile();
}

TEST_F(FullCardTest, AReadOnlyMountedCardIsKnownAsSuchAndNeitherChangedNorRepaired) {
    CSmallVolume card(root, 64);
    MOUNT_OR_SKIP(card);
    LoadEmptyCard();
    PutSample(5, 1, 4000);
    // Something a repair would mend: a channel file no record uses.
    Fixture::WriteFileBytes(CardDirectory() + "SMP0020L.ZQD", std::string(64, 'x'));
    const auto before = Fixture::FileNames(CardDirectory());
    ASSERT_TRUE(card.setReadOnly(true));

    ASSERT_TRUE(controller().selectDrive(root, 1));
    ASSERT_TRUE(controller().selectPad(5));
    EXPECT_TRUE(domain.model->readOnly);
    EXPECT_FALSE(view.importEnabled);
    EXPECT_FALSE(view.deleteEnabled);
    EXPECT_EQ(controller().deletePad(5), CommandOutcome::Failed);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_NE(Texts()[0].find("write-protect"), std::string::npos) << Texts()[0];

    bool asked = false;
    const CardRepairing repairing =
        RepairCard(root, [&](const CardCheck&, const CardRepairPlan&) { return asked = true; });
    EXPECT_FALSE(asked);
    EXPECT_EQ(repairing.problem, CardRepairing::Problem::CannotWrite);
    const std::string said = RepairingProblemText(root, repairing);
    EXPECT_NE(said.find("SMP0020L.ZQD"), std::string::npos) << said;
    EXPECT_NE(said.find("write-protect"), std::string::npos) << said;
    EXPECT_EQ(Fixture::FileNames(CardDirectory()), before);
}

} // namespace
} // namespace ZQ3
