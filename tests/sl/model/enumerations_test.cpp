#include "sl/model/bit_depth.h"
#include "sl/model/envelope.h"
#include "sl/model/loop_mode.h"
#include "sl/model/wave_file_format.h"
#include "sl/model/wave_format.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using CError = GT::IRangedNumber<int>::CError;
using CEntries = std::vector<std::pair<int, std::string>>;

// The (value, text) pairs a description walks, in its order.
template <class T>
CEntries Entries() {
    CEntries entries;
    const auto& description = T().GetDescription();
    auto iterator = description.CreateIterator();
    while (iterator->HasNext()) {
        const int value = iterator->Next();
        entries.emplace_back(value, description.GetName(value));
    }
    return entries;
}

template <class T>
std::pair<int, int> ErrorRange(int value) {
    try {
        T enumeration(value);
        ADD_FAILURE() << "no error for " << enumeration.GetValue();
    } catch (const CError& error) {
        return {error.GetMinimum(), error.GetMaximum()};
    }
    return {0, 0};
}

TEST(BitDepthTest, TableInOrder) {
    EXPECT_EQ(Entries<SL::CBitDepth>(), (CEntries{{0x00000, "NONE"},
                                                  {0x10008, "INTEGER8"},
                                                  {0x10010, "INTEGER16"},
                                                  {0x10018, "INTEGER24"},
                                                  {0x10020, "INTEGER32"},
                                                  {0x20020, "FLOAT32"},
                                                  {0x20040, "FLOAT64"},
                                                  {0x40040, "COMPLEX32"},
                                                  {0x40080, "COMPLEX64"},
                                                  {0x80080, "POINT64"}}));
    const auto& description = SL::CBitDepth().GetDescription();
    EXPECT_EQ(description.GetMinimum(), 0);
    EXPECT_EQ(description.GetMaximum(), 0x80080);
}

TEST(BitDepthTest, ValueAndErrorRange) {
    EXPECT_EQ(SL::CBitDepth(0x10010).ToString(), "INTEGER16");
    EXPECT_EQ(ErrorRange<SL::CBitDepth>(16), std::make_pair(0, 0x80080));
    EXPECT_EQ(SL::CBitDepth("FLOAT64").GetValue(), 0x20040);
    EXPECT_EQ(SL::CBitDepth().GetValue(), 0);
}

TEST(BitDepthTest, FindBitsGivesKindPlusBitsOrNothing) {
    EXPECT_EQ(SL::CBitDepth::FindIntegerBits(8), SL::CBitDepth::INTEGER8);
    EXPECT_EQ(SL::CBitDepth::FindIntegerBits(16), SL::CBitDepth::INTEGER16);
    EXPECT_EQ(SL::CBitDepth::FindIntegerBits(24), SL::CBitDepth::INTEGER24);
    EXPECT_EQ(SL::CBitDepth::FindIntegerBits(32), SL::CBitDepth::INTEGER32);
    EXPECT_EQ(SL::CBitDepth::FindFloatBits(32), SL::CBitDepth::FLOAT32);
    EXPECT_EQ(SL::CBitDepth::FindFloatBits(64), SL::CBitDepth::FLOAT64);
    EXPECT_EQ(SL::CBitDepth::FindIntegerBits(12), std::nullopt);
    EXPECT_EQ(SL::CBitDepth::FindIntegerBits(0), std::nullopt);
    EXPECT_EQ(SL::CBitDepth::FindFloatBits(16), std::nullopt);
    // Bit counts that would spill into the kind field must not alias another listed value:
    // 0x10000 + 0x30040 would otherwise read as COMPLEX32.
    EXPECT_EQ(SL::CBitDepth::FindIntegerBits(0x30040), std::nullopt);
    EXPECT_EQ(SL::CBitDepth::FindFloatBits(-0x10000 + 0x10), std::nullopt);
}

TEST(BitDepthTest, DerivedFields) {
    EXPECT_EQ(SL::CBitDepth::INTEGER16.GetBytesPerSample(), 2);
    EXPECT_EQ(SL::CBitDepth::INTEGER24.GetBytesPerSample(), 3);
    EXPECT_EQ(SL::CBitDepth::FLOAT64.GetBytesPerSample(), 8);
    EXPECT_EQ(SL::CBitDepth::FLOAT64.GetKind(), SL::CBitDepth::FloatKind);
    EXPECT_EQ(SL::CBitDepth::INTEGER24.GetBits(), 24);
}

TEST(BitDepthTest, ConstantsMatchTheirTexts) {
    const std::vector<const SL::CBitDepth*> constants = {
        &SL::CBitDepth::NONE,      &SL::CBitDepth::INTEGER8,  &SL::CBitDepth::INTEGER16,
        &SL::CBitDepth::INTEGER24, &SL::CBitDepth::INTEGER32, &SL::CBitDepth::FLOAT32,
        &SL::CBitDepth::FLOAT64,   &SL::CBitDepth::COMPLEX32, &SL::CBitDepth::COMPLEX64,
        &SL::CBitDepth::POINT64};
    const auto entries = Entries<SL::CBitDepth>();
    ASSERT_EQ(constants.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(constants[i]->GetValue(), entries[i].first);
        EXPECT_EQ(constants[i]->ToString(), entries[i].second);
    }
}

TEST(WaveFormatTest, WalkFollowsTableNotNumericOrder) {
    EXPECT_EQ(Entries<SL::CWaveFormat>(), (CEntries{{0x00000, "NONE"},
                                                    {0x1000A, "WAVE"},
                                                    {0x10014, "FFT"},
                                                    {0x10022, "PITCH"},
                                                    {0x10003, "GENERAL"},
                                                    {0x2000A, "AMPLITUDE_ENVELOPE"},
                                                    {0x20022, "PITCH_ENVELOPE"},
                                                    {0x20014, "FILTER_ENVELOPE"},
                                                    {0x20044, "PHASE_ENVELOPE"}}));
    const auto& description = SL::CWaveFormat().GetDescription();
    EXPECT_EQ(description.GetMinimum(), 0);
    EXPECT_EQ(description.GetMaximum(), 0x20044);
    EXPECT_EQ(ErrorRange<SL::CWaveFormat>(0x10000), std::make_pair(0, 0x20044));
    EXPECT_EQ(SL::CWaveFormat::WAVE.GetValue(), 0x1000A);
    EXPECT_EQ(SL::CWaveFormat::GENERAL.ToString(), "GENERAL");
    EXPECT_EQ(SL::CWaveFormat::PHASE_ENVELOPE.GetValue(), 0x20044);
    EXPECT_TRUE(SL::CWaveFormat::PITCH_ENVELOPE.IsEnvelope());
    EXPECT_TRUE(SL::CWaveFormat::FFT.IsSignal());
}

TEST(WaveFileFormatTest, DefaultIsInvalidWhichIsALegalValue) {
    EXPECT_EQ(Entries<SL::CWaveFileFormat>(),
              (CEntries{{0, "INVALID"}, {1, "AIFF"}, {2, "WINWAVE"}}));
    const SL::CWaveFileFormat format;
    EXPECT_EQ(format.GetValue(), 0);
    EXPECT_EQ(format.ToString(), "INVALID");
    EXPECT_TRUE(format.IsValid(0));
    EXPECT_FALSE(format.IsValid(3));
    EXPECT_EQ(ErrorRange<SL::CWaveFileFormat>(3), std::make_pair(0, 2));
    EXPECT_EQ(SL::CWaveFileFormat::AIFF.GetValue(), 1);
    EXPECT_EQ(SL::CWaveFileFormat::WINWAVE, SL::CWaveFileFormat("WINWAVE"));
}

TEST(LoopModeTest, TableAndCaseSensitiveNames) {
    EXPECT_EQ(Entries<SL::CLoopMode>(), (CEntries{{0, "1SHOT"},
                                                  {1, "FWD"},
                                                  {3, "ALT++"},
                                                  {7, "ALT+-"},
                                                  {8, "1SHOTR"},
                                                  {9, "FWDR"},
                                                  {11, "ALT++R"},
                                                  {15, "ALT+-R"}}));
    EXPECT_THROW(SL::CLoopMode("fwd"), CError);
    EXPECT_EQ(SL::CLoopMode("FWD").GetValue(), 1);
    EXPECT_EQ(SL::CLoopMode().ToString(), "1SHOT");
    EXPECT_EQ(ErrorRange<SL::CLoopMode>(2), std::make_pair(0, 15));
    // Each reversed mode is its forward mode plus 8.
    for (const auto& [value, text] : Entries<SL::CLoopMode>()) {
        if (text.back() == 'R') {
            const SL::CLoopMode forward(text.substr(0, text.size() - 1));
            EXPECT_EQ(value, forward.GetValue() + SL::CLoopMode::ReverseFlag) << text;
            EXPECT_TRUE(SL::CLoopMode(value).IsReverse());
        }
    }
    EXPECT_EQ(SL::CLoopMode::ALT_PLUS_MINUS.ToString(), "ALT+-");
    EXPECT_EQ(SL::CLoopMode::ALT_PLUS_PLUS_R.ToString(), "ALT++R");
    EXPECT_EQ(SL::CLoopMode::ONE_SHOT_R.GetValue(), 8);
}

TEST(CurveTypeTest, Table) {
    EXPECT_EQ(Entries<SL::IEnvelope::CCurveType>(), (CEntries{{0, "LIN"}, {1, "LOG"}, {2, "SPL"}}));
    EXPECT_EQ(SL::IEnvelope::CCurveType().GetValue(), 0);
    EXPECT_EQ(SL::IEnvelope::CCurveType::SPL.ToString(), "SPL");
    EXPECT_EQ(ErrorRange<SL::IEnvelope::CCurveType>(3), std::make_pair(0, 2));
}

TEST(EnumerationInteropTest, AssignIgnoresOtherClassesWithTheSameValue) {
    SL::CLoopMode mode(SL::CLoopMode::FWD);
    mode.Assign(SL::CWaveFileFormat::INVALID);
    EXPECT_EQ(mode.GetValue(), 1);
    mode.Assign(SL::CLoopMode::ALT_PLUS_MINUS_R);
    EXPECT_EQ(mode.GetValue(), 15);
    auto created = SL::CWaveFileFormat::AIFF.CreateFromName("WINWAVE");
    EXPECT_NE(dynamic_cast<SL::CWaveFileFormat*>(created.get()), nullptr);
    EXPECT_EQ(created->ToString(), "WINWAVE");
}

// The constants are usable from other translation units' static initialisers.
const int kInitialisedEarly = SL::CBitDepth::INTEGER24.GetValue();

TEST(EnumerationInteropTest, ConstantsAreReadyBeforeDynamicInitialisation) {
    EXPECT_EQ(kInitialisedEarly, 0x10018);
}

} // namespace
