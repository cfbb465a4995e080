#include "card/content_digest.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace ZQ3 {
namespace {

CContentDigest DigestInPieces(const std::string& bytes, std::size_t piece) {
    CContentDigest digest;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        digest.add(bytes.data() + at, std::min(piece, bytes.size() - at));
    }
    return digest;
}

TEST(ContentDigest, DependsOnTheBytesAloneNotOnThePieces) {
    std::mt19937 random(5);
    std::string bytes(1000, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    const CContentDigest whole = DigestInPieces(bytes, bytes.size());
    for (const std::size_t piece : {1u, 3u, 7u, 8u, 13u, 64u}) {
        EXPECT_TRUE(DigestInPieces(bytes, piece) == whole) << piece;
    }
    EXPECT_EQ(whole.bytes(), 1000u);
}

TEST(ContentDigest, ChangesWithAnyByteOrTheLength) {
    const std::string bytes(100, 'a');
    const CContentDigest original = DigestInPieces(bytes, 100);
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string changed = bytes;
        changed[at] ^= 1;
        EXPECT_FALSE(DigestInPieces(changed, 100) == original) << at;
    }
    // Zeros added at the end, where the last word was padded with zeros, still count.
    EXPECT_NE(DigestInPieces(std::string(5, '\0'), 5).value(),
              DigestInPieces(std::string(6, '\0'), 6).value());
}

} // namespace
} // namespace ZQ3
