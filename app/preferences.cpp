#include "app/preferences.h"

#include "card/card_layout.h"
#include "gt/number_text.h"

#include <algorithm>

namespace ZQ3 {

double CPreferences::ClampBufferTime(double seconds) {
    return std::clamp(seconds, ShortestBufferTime, LongestBufferTime);
}

CPreferences CPreferences::Read(GT::IProfile& profile) {
    CPreferences read;
    read.cardRoot = profile.getString(VolumeNameKey, "");
    const long bank = profile.getInt(BankIdKey, 0);
    read.bank = bank >= 0 && bank < CardLayout::BankCount ? static_cast<int>(bank) : 0;
    // Written as 1; any number but 0 edited in by hand counts as on too.
    read.convertToCardFormat = profile.getInt(ConvertToCardFormatKey, 0) != 0;
    read.readBack = profile.getInt(ReadBackKey, 1) != 0;
    if (profile.getInt(LoadsBufferTimeKey, 0) > 0) {
        const double ring = GT::ReadRealText(profile.getString(RingBufferTimeKey, "0"));
        const double device = GT::ReadRealText(profile.getString(DeviceBufferTimeKey, "0"));
        // NaN compares false and keeps the built-in time.
        if (ring > 0) {
            read.ringBufferTime = ClampBufferTime(ring);
        }
        if (device > 0) {
            read.deviceBufferTime = ClampBufferTime(device);
        }
    }
    return read;
}

void CPreferences::write(GT::IProfile& profile) const {
    profile.setString(VolumeNameKey, cardRoot);
    profile.setInt(BankIdKey, bank);
    profile.setString(RingBufferTimeKey, GT::RealText(ringBufferTime));
    profile.setString(DeviceBufferTimeKey, GT::RealText(deviceBufferTime));
    WriteConvertToCardFormat(profile, convertToCardFormat);
    WriteReadBack(profile, readBack);
}

void CPreferences::WriteConvertToCardFormat(GT::IProfile& profile, bool convert) {
    profile.setInt(ConvertToCardFormatKey, convert ? 1 : 0);
}

void CPreferences::WriteReadBack(GT::IProfile& profile, bool readBack) {
    profile.setInt(ReadBackKey, readBack ? 1 : 0);
}

namespace {

double ReadReal(GT::IProfile& profile, const char* key, double fallback, double low, double high) {
    const double value = GT::ReadRealText(profile.getString(key, GT::RealText(fallback)));
    // A NaN edited in keeps the fallback.
    return value == value ? std::clamp(value, low, high) : fallback;
}

} // namespace

CPreferences::Tidying CPreferences::ReadTidying(GT::IProfile& profile) {
    Tidying read;
    read.trimThresholdDb =
        ReadReal(profile, TrimThresholdKey, read.trimThresholdDb, Tidying::LowestThresholdDb, 0.0);
    read.fadeInSeconds =
        ReadReal(profile, FadeInTimeKey, read.fadeInSeconds, 0.0, Tidying::LongestFade);
    read.fadeOutSeconds =
        ReadReal(profile, FadeOutTimeKey, read.fadeOutSeconds, 0.0, Tidying::LongestFade);
    read.equalPowerFades = profile.getInt(FadeShapeKey, 0) != 0;
    read.sliceAtOnsets = profile.getInt(SliceModeKey, 0) != 0;
    read.sliceCount = static_cast<int>(
        std::clamp<long>(profile.getInt(SliceCountKey, read.sliceCount), 1, Tidying::MostSlices));
    read.sliceSensitivity = static_cast<int>(
        std::clamp<long>(profile.getInt(SliceSensitivityKey, read.sliceSensitivity), 0, 100));
    return read;
}

void CPreferences::WriteTidying(GT::IProfile& profile, const Tidying& tidying) {
    profile.setString(TrimThresholdKey, GT::RealText(tidying.trimThresholdDb));
    profile.setString(FadeInTimeKey, GT::RealText(tidying.fadeInSeconds));
    profile.setString(FadeOutTimeKey, GT::RealText(tidying.fadeOutSeconds));
    profile.setInt(FadeShapeKey, tidying.equalPowerFades ? 1 : 0);
    profile.setInt(SliceModeKey, tidying.sliceAtOnsets ? 1 : 0);
    profile.setInt(SliceCountKey, tidying.sliceCount);
    profile.setInt(SliceSensitivityKey, tidying.sliceSensitivity);
}

} // namespace ZQ3
