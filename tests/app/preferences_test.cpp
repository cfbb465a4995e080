// What the converter reads from and writes to the user's settings between runs.

#include "app/preferences.h"
#include "gt/number_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace ZQ3 {
namespace {

// A settings store in memory that keeps integers as text, as the program's store does.
class CMemoryProfile : public GT::IProfile {
public:
    long getInt(const std::string& key, long defaultValue) override {
        const auto found = values.find(key);
        return found == values.end() ? defaultValue : GT::ReadIntegerText(found->second);
    }
    std::string getString(const std::string& key, const std::string& defaultValue) override {
        const auto found = values.find(key);
        return found == values.end() ? defaultValue : found->second;
    }
    void setInt(const std::string& key, long value) override {
        values[key] = std::to_string(value);
    }
    void setString(const std::string& key, const std::string& value) override {
        values[key] = value;
    }
    std::map<std::string, std::string> values;
};

TEST(PreferencesTest, AnEmptyStoreGivesNoCardTheFirstBankAndTheBuiltInBufferTimes) {
    CMemoryProfile store;
    const CPreferences read = CPreferences::Read(store);
    EXPECT_EQ(read.cardRoot, "");
    EXPECT_EQ(read.bank, 0);
    EXPECT_DOUBLE_EQ(read.ringBufferTime, 0.18);
    EXPECT_DOUBLE_EQ(read.deviceBufferTime, 0.06);
}

// Converting a file the card refuses is the user's choice, off until chosen and kept as chosen
// whether the whole preferences or the choice alone are written.
TEST(PreferencesTest, TheConversionChoiceIsOffUntilChosenAndKept) {
    CMemoryProfile store;
    EXPECT_FALSE(CPreferences::Read(store).convertToCardFormat);
    CPreferences::WriteConvertToCardFormat(store, true);
    EXPECT_EQ(store.values,
              (std::map<std::string, std::string>{{CPreferences::ConvertToCardFormatKey, "1"}}));
    CPreferences read = CPreferences::Read(store);
    EXPECT_TRUE(read.convertToCardFormat);

    read.convertToCardFormat = false;
    read.write(store);
    EXPECT_FALSE(CPreferences::Read(store).convertToCardFormat);
    store.values[CPreferences::ConvertToCardFormatKey] = "rubbish";
    EXPECT_FALSE(CPreferences::Read(store).convertToCardFormat);
}

// Reading back what was written is the safe default: only a stored 0 turns it off.
TEST(PreferencesTest, TheReadBackIsOnUntilTurnedOff) {
    CMemoryProfile store;
    EXPECT_TRUE(CPreferences::Read(store).readBack);
    CPreferences::WriteReadBack(store, false);
    EXPECT_EQ(store.values[CPreferences::ReadBackKey], "0");
    CPreferences read = CPreferences::Read(store);
    EXPECT_FALSE(read.readBack);
    read.write(store);
    EXPECT_EQ(store.values[CPreferences::ReadBackKey], "0");
}

TEST(PreferencesTest, BufferTimesCountOnlyAfterTheUserAskedForThem) {
    CMemoryProfile store;
    store.values[CPreferences::RingBufferTimeKey] = "0.5";
    store.values[CPreferences::DeviceBufferTimeKey] = "0x0.4";
    EXPECT_DOUBLE_EQ(CPreferences::Read(store).ringBufferTime, 0.18);

    store.values[CPreferences::LoadsBufferTimeKey] = "1";
    const CPreferences read = CPreferences::Read(store);
    EXPECT_DOUBLE_EQ(read.ringBufferTime, 0.5);
    EXPECT_DOUBLE_EQ(read.deviceBufferTime, 0.25);

    CMemoryProfile written;
    read.write(written);
    EXPECT_EQ(written.values[CPreferences::RingBufferTimeKey], "0.500000000000000");
    EXPECT_EQ(written.values[CPreferences::DeviceBufferTimeKey], "0.250000000000000");
    // Whether the times are honoured stays the user's choice.
    EXPECT_EQ(written.values.count(CPreferences::LoadsBufferTimeKey), 0u);
}

TEST(PreferencesTest, EditedBufferTimesAreKeptWithinSaneBounds) {
    CMemoryProfile store;
    store.values[CPreferences::LoadsBufferTimeKey] = "1";
    store.values[CPreferences::RingBufferTimeKey] = "100000";
    store.values[CPreferences::DeviceBufferTimeKey] = "0.000001";
    CPreferences read = CPreferences::Read(store);
    EXPECT_DOUBLE_EQ(read.ringBufferTime, CPreferences::LongestBufferTime);
    EXPECT_DOUBLE_EQ(read.deviceBufferTime, CPreferences::ShortestBufferTime);

    // Zero, negative and unreadable values keep the built-in times.
    store.values[CPreferences::RingBufferTimeKey] = "-3";
    store.values[CPreferences::DeviceBufferTimeKey] = "abc";
    read = CPreferences::Read(store);
    EXPECT_DOUBLE_EQ(read.ringBufferTime, 0.18);
    EXPECT_DOUBLE_EQ(read.deviceBufferTime, 0.06);
}

TEST(PreferencesTest, StoredBanksOutsideTheCardReadAsTheFirstBank) {
    CMemoryProfile store;
    const std::pair<const char*, int> cases[] = {
        {"0x3", 3}, {"7", 7}, {"010", 0}, {"8", 0}, {"-1", 0}, {"99999999999999999999", 0}};
    for (const auto& [text, bank] : cases) {
        store.values[CPreferences::BankIdKey] = text;
        EXPECT_EQ(CPreferences::Read(store).bank, bank) << text;
    }
}

TEST(PreferencesTest, WritesTheCardAndBankAsTheyAre) {
    CPreferences preferences;
    preferences.cardRoot = "/media/card";
    preferences.bank = 5;
    CMemoryProfile store;
    preferences.write(store);
    const CPreferences read = CPreferences::Read(store);
    EXPECT_EQ(read.cardRoot, "/media/card");
    EXPECT_EQ(read.bank, 5);
}

} // namespace
} // namespace ZQ3
