#include "app/pad_transfer.h"
#include "card/card_layout.h"
#include "card/sample_information_dto.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace ZQ3 {
namespace {

using namespace Fixture;
namespace fs = std::filesystem;
using Problem = PadTransferring::Problem;

std::vector<SampleEntry> Entries(const std::string& root) {
    return *ReadSampleInformationFileWithReason(CardLayout::InformationFilePath(root)).entries;
}

std::string Left(const std::string& root, int slot) {
    return ReadFileBytes(CardLayout::LeftFilePath(root, slot));
}
std::string Right(const std::string& root, int slot) {
    return ReadFileBytes(CardLayout::RightFilePath(root, slot));
}
bool HasRight(const std::string& root, int slot) {
    return fs::exists(CardLayout::RightFilePath(root, slot));
}

class PadTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeTestCard(a_, 0, 32, 'a');
        MakeTestCard(b_, 20, 48, 'z');
    }
    // A card with a mono sample on slot mono and a stereo one with unusual fields on slot 1.
    void MakeTestCard(const std::string& root, int mono, std::int32_t frames, char fill) {
        std::vector<SampleEntry> entries(CardLayout::SlotCount);
        entries[static_cast<std::size_t>(mono)].frameCount = frames;
        entries[static_cast<std::size_t>(mono)].rangeEnd = frames;
        SampleEntry& stereo = entries[1];
        stereo.frameCount = 16;
        stereo.rangeBegin = 3;
        stereo.rangeEnd = 11;
        stereo.stereo = true;
        stereo.option14 = 5;
        stereo.flag16 = true;
        stereo.tempo = 1337;
        stereo.tempo2 = 904;
        MakeCard(root, entries);
        WriteFileBytes(CardLayout::LeftFilePath(root, mono),
                       std::string(static_cast<std::size_t>(frames), fill));
        WriteFileBytes(CardLayout::LeftFilePath(root, 1), std::string(16, 'l'));
        WriteFileBytes(CardLayout::RightFilePath(root, 1), std::string(16, 'r'));
    }
    PadTransferring Transfer(PadTransferKind kind, const std::vector<SlotPair>& pairs,
                             const std::string& to, bool replace = true) {
        PadTransferOptions options;
        options.kind = kind;
        options.confirmReplacing = [this, replace](const std::vector<int>& slots) {
            asked_ = slots;
            return replace;
        };
        return TransferPads(a_, to, pairs, options);
    }

    TemporaryDirectory directory_;
    std::string a_ = directory_.path() + "/a";
    std::string b_ = directory_.path() + "/b";
    std::vector<int> asked_;
};

TEST_F(PadTransferTest, CopyAndMoveCarryEveryFieldAndByteUnderTheNewNames) {
    const std::vector<SampleEntry> before = Entries(a_);
    ASSERT_EQ(Transfer(PadTransferKind::Copy, {{1, 40}}, a_).problem, Problem::None);
    EXPECT_EQ(Entries(a_)[40], before[1]);
    EXPECT_EQ(Left(a_, 40), Left(a_, 1));
    EXPECT_EQ(Right(a_, 40), Right(a_, 1));
    EXPECT_TRUE(asked_.empty());

    // A mono sample over the stereo copy: asked first, and the old right file goes.
    ASSERT_EQ(Transfer(PadTransferKind::Move, {{0, 40}}, a_).problem, Problem::None);
    EXPECT_EQ(asked_, std::vector<int>{40});
    const std::vector<SampleEntry> after = Entries(a_);
    EXPECT_EQ(after[40], before[0]);
    EXPECT_TRUE(after[0].isEmpty());
    EXPECT_EQ(Left(a_, 40), std::string(32, 'a'));
    EXPECT_FALSE(HasRight(a_, 40));
    EXPECT_FALSE(fs::exists(CardLayout::LeftFilePath(a_, 0)));
}

TEST_F(PadTransferTest, SwapTradesSamplesAndAsksNothing) {
    const std::vector<SampleEntry> before = Entries(a_);
    const auto files = FilesBelow(a_);
    ASSERT_EQ(Transfer(PadTransferKind::Swap, {{0, 1}}, a_).problem, Problem::None);
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(Entries(a_)[0], before[1]);
    EXPECT_EQ(Entries(a_)[1], before[0]);
    EXPECT_EQ(Left(a_, 0), std::string(16, 'l'));
    EXPECT_EQ(Right(a_, 0), std::string(16, 'r'));
    EXPECT_EQ(Left(a_, 1), std::string(32, 'a'));
    EXPECT_FALSE(HasRight(a_, 1));

    ASSERT_EQ(Transfer(PadTransferKind::Swap, {{1, 0}}, a_).problem, Problem::None);
    EXPECT_EQ(FilesBelow(a_), files);
}

TEST_F(PadTransferTest, BanksCopyAndMoveBetweenCards) {
    const std::vector<SampleEntry> source = Entries(a_);
    std::vector<SlotPair> bank;
    for (int pad = 0; pad < CardLayout::PadsPerBank; ++pad) {
        bank.push_back({pad, 2 * CardLayout::PadsPerBank + pad});
    }
    ASSERT_EQ(Transfer(PadTransferKind::Copy, bank, b_).problem, Problem::None);
    const std::vector<SampleEntry> copied = Entries(b_);
    for (const SlotPair& pair : bank) {
        EXPECT_EQ(copied[static_cast<std::size_t>(pair.destination)],
                  source[static_cast<std::size_t>(pair.source)]);
    }
    EXPECT_EQ(Left(b_, 33), Left(a_, 1));
    EXPECT_EQ(Left(b_, 20), std::string(48, 'z')); // the rest of the card as it was
    EXPECT_EQ(Entries(a_), source);

    ASSERT_EQ(Transfer(PadTransferKind::Move, {{1, 50}}, b_).problem, Problem::None);
    EXPECT_EQ(Entries(b_)[50], source[1]);
    EXPECT_EQ(Right(b_, 50), std::string(16, 'r'));
    EXPECT_TRUE(Entries(a_)[1].isEmpty());
    EXPECT_FALSE(fs::exists(CardLayout::LeftFilePath(a_, 1)));
}

TEST_F(PadTransferTest, RefusedOrDeclinedTransfersChangeNothing) {
    const auto filesA = FilesBelow(a_);
    const auto filesB = FilesBelow(b_);
    EXPECT_EQ(Transfer(PadTransferKind::Copy, {{1, 20}}, b_, false).problem, Problem::Declined);
    EXPECT_EQ(asked_, std::vector<int>{20});
    const PadTransferring overlapping = Transfer(PadTransferKind::Move, {{0, 1}, {1, 2}}, a_);
    EXPECT_EQ(overlapping.refusal, PadTransferRefusal::Overlapping);
    EXPECT_EQ(Transfer(PadTransferKind::Swap, {{0, 1}}, b_).refusal,
              PadTransferRefusal::SwapBetweenCards);
    EXPECT_EQ(Transfer(PadTransferKind::Copy, {{7, 8}}, a_).refusal,
              PadTransferRefusal::NothingToTransfer);
    EXPECT_EQ(FilesBelow(a_), filesA);
    EXPECT_EQ(FilesBelow(b_), filesB);

    // A cut-short channel file is not copied on as if it were whole.
    WriteFileBytes(CardLayout::RightFilePath(a_, 1), std::string(8, 'r'));
    const PadTransferring damaged = Transfer(PadTransferKind::Copy, {{1, 60}}, b_);
    EXPECT_EQ(damaged.problem, Problem::SourceDamaged);
    EXPECT_EQ(damaged.slot, 1);
    EXPECT_EQ(FilesBelow(b_), filesB);
}

} // namespace
} // namespace ZQ3
