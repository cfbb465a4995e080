#include "gt/endianed_stream_utilities.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>

namespace GT {
namespace {

CExtendedBytes FromBigEndian(std::initializer_list<int> bytes) {
    CExtendedBytes result{};
    std::size_t i = result.size();
    for (int byte : bytes) {
        result[--i] = static_cast<std::uint8_t>(byte);
    }
    return result;
}

TEST(EndianedStreamUtilities, ReadsAndWritesInItsByteOrder) {
    std::istringstream input(std::string("\x12\x34\x56\x78\x9A\xBC", 6));
    CEndianedStreamUtilities big(CEndianness::BigEndian);
    std::uint16_t value16 = 0;
    std::uint32_t value32 = 0;
    ASSERT_TRUE(big.Read(input, value16));
    ASSERT_TRUE(big.Read(input, value32));
    EXPECT_EQ(value16, 0x1234);
    EXPECT_EQ(value32, 0x56789ABCu);

    std::ostringstream output;
    CEndianedStreamUtilities little(CEndianness::LittleEndian);
    ASSERT_TRUE(little.Write(output, std::int16_t{-2}));
    ASSERT_TRUE(big.Write(output, std::uint32_t{0x01020304}));
    EXPECT_EQ(output.str(), std::string("\xFE\xFF\x01\x02\x03\x04", 6));
}

TEST(EndianedStreamUtilities, FailedReadLeavesTheDestinationUntouched) {
    std::istringstream input(std::string("\x01\x02\x03", 3));
    CEndianedStreamUtilities utilities(CEndianness::LittleEndian);
    std::uint32_t value = 77;
    EXPECT_FALSE(utilities.Read(input, value));
    EXPECT_EQ(value, 77u);
    double rate = 5.0;
    EXPECT_FALSE(utilities.ReadExtended(input, rate));
    EXPECT_EQ(rate, 5.0);
}

TEST(ExtendedFloat, KnownSampleRates) {
    EXPECT_EQ(ExtendedToDouble(FromBigEndian({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0})), 44100.0);
    EXPECT_EQ(ExtendedToDouble(FromBigEndian({0x40, 0x0D, 0xFA, 0, 0, 0, 0, 0, 0, 0})), 32000.0);
    EXPECT_EQ(DoubleToExtended(44100.0), FromBigEndian({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}));

    std::istringstream input(std::string("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10));
    double rate = 0;
    ASSERT_TRUE(CEndianedStreamUtilities(CEndianness::BigEndian).ReadExtended(input, rate));
    EXPECT_EQ(rate, 44100.0);
}

TEST(ExtendedFloat, SpecialValuesAndRounding) {
    EXPECT_EQ(ExtendedToDouble(FromBigEndian({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})), 0.0);
    EXPECT_TRUE(std::signbit(ExtendedToDouble(FromBigEndian({0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0}))));
    EXPECT_EQ(ExtendedToDouble(FromBigEndian({0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0})),
              std::numeric_limits<double>::infinity());
    EXPECT_EQ(ExtendedToDouble(FromBigEndian({0xFF, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0})),
              -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(
        std::isnan(ExtendedToDouble(FromBigEndian({0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 1}))));
    // Far above the double range, and far below it.
    EXPECT_EQ(ExtendedToDouble(FromBigEndian({0x7F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0})),
              std::numeric_limits<double>::infinity());
    EXPECT_EQ(ExtendedToDouble(FromBigEndian({0x00, 0x01, 0x80, 0, 0, 0, 0, 0, 0, 0})), 0.0);
    // 1 + 2^-53 is a tie between 1 and the next double: ties go to the even one, 1.
    EXPECT_EQ(ExtendedToDouble(FromBigEndian({0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0x04, 0})), 1.0);
    // 1 + 3 * 2^-53 ties towards the even 1 + 2^-51.
    EXPECT_EQ(ExtendedToDouble(FromBigEndian({0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0x0C, 0})),
              1.0 + std::ldexp(1.0, -51));
    EXPECT_EQ(ExtendedToDouble(DoubleToExtended(std::numeric_limits<double>::denorm_min())),
              std::numeric_limits<double>::denorm_min());
}

// The x87 unit converts extended numbers in hardware; it is an independent oracle for every
// encoding it treats as a number (unnormals, whose integer bit is clear, it rejects).
TEST(ExtendedFloat, AgreesWithTheHardwareConversion) {
    if (std::numeric_limits<long double>::digits != 64) {
        GTEST_SKIP() << "long double is not the 80-bit extended format here";
    }
    std::mt19937_64 random(1234);
    for (int i = 0; i < 200000; ++i) {
        CExtendedBytes bytes{};
        std::uint64_t significand = random();
        int exponent = static_cast<int>(random() % 0x8000);
        // Bias the exponents towards the double range and its edges.
        if (i % 4 != 0) {
            exponent = 16383 - 1100 + static_cast<int>(random() % 2200);
        }
        if (exponent != 0) {
            significand |= std::uint64_t{1} << 63;
        }
        if (i % 7 == 0) {
            significand &= ~std::uint64_t{0x7FF}; // exact doubles
            significand |= (random() & 1) << 10;  // and exact ties
        }
        std::memcpy(bytes.data(), &significand, 8);
        const int signAndExponent = exponent | static_cast<int>((random() & 1) << 15);
        bytes[8] = static_cast<std::uint8_t>(signAndExponent);
        bytes[9] = static_cast<std::uint8_t>(signAndExponent >> 8);

        long double hardware = 0;
        std::memcpy(&hardware, bytes.data(), 10);
        const double expected = static_cast<double>(hardware);
        const double actual = ExtendedToDouble(bytes);
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(actual));
        } else {
            ASSERT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(expected))
                << std::hex << exponent << " " << significand;
        }
    }
}

TEST(ExtendedFloat, EveryDoubleSurvivesTheRoundTrip) {
    std::mt19937_64 random(99);
    for (int i = 0; i < 100000; ++i) {
        const std::uint64_t bits = random();
        const double value = std::bit_cast<double>(bits);
        const double back = ExtendedToDouble(DoubleToExtended(value));
        if (std::isnan(value)) {
            EXPECT_TRUE(std::isnan(back));
        } else {
            ASSERT_EQ(std::bit_cast<std::uint64_t>(back), bits);
        }
        if (std::numeric_limits<long double>::digits == 64 && !std::isnan(value)) {
            long double hardware = value;
            CExtendedBytes expected{};
            std::memcpy(expected.data(), &hardware, 10);
            ASSERT_EQ(DoubleToExtended(value), expected);
        }
    }
}

} // namespace
} // namespace GT
