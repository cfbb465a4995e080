#include "sl/files/iff_container_chunk.h"
#include "sl/files/iff_data_chunk.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace SL {
namespace {

using Code = CIffChunk::CFourCharacterCode;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

std::string LittleEndian32(std::uint32_t value) {
    return Bytes({static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF), static_cast<int>(value >> 24)});
}

std::string Chunk(const std::string& identifier, const std::string& body, bool pad = true) {
    std::string chunk = identifier + LittleEndian32(static_cast<std::uint32_t>(body.size())) + body;
    if (pad && body.size() % 2 == 1) {
        chunk.push_back('\0');
    }
    return chunk;
}

std::string Root(const std::string& children) {
    return "RIFF" + LittleEndian32(static_cast<std::uint32_t>(4 + children.size())) + "WAVE" +
           children;
}

// A leaf that reads a fixed number of bytes, whatever its header says.
class CFixedReadChunk : public CIffChunk {
public:
    CFixedReadChunk(const Code& identifier, std::size_t bytes)
        : CIffChunk(identifier, GT::CEndianness::LittleEndian), bytes_(bytes) {}
    bool ReadBody(std::istream& input) override {
        std::string skipped(bytes_, '\0');
        input.read(skipped.data(), static_cast<std::streamsize>(bytes_));
        return input.good();
    }
    bool WriteBody(std::ostream& output) override { return output.good(); }

private:
    std::size_t bytes_;
};

class CTestFactory : public CIffContainerChunk::IChunkFactory {
public:
    std::size_t overreadBytes = 0;
    std::unique_ptr<CIffChunk> Create(const Code& identifier) override {
        if (identifier == Code("abcd") || identifier == Code("efgh")) {
            return std::make_unique<CIffDataChunk>(identifier, GT::CEndianness::LittleEndian, true);
        }
        if (identifier == Code("over")) {
            return std::make_unique<CFixedReadChunk>(identifier, overreadBytes);
        }
        return nullptr;
    }
};

CIffContainerChunk MakeRoot(std::shared_ptr<CTestFactory> factory) {
    return CIffContainerChunk(Code::Riff, GT::CEndianness::LittleEndian, Code::Wave,
                              std::move(factory));
}

std::string Payload(const CIffContainerChunk& root, const Code& identifier) {
    auto chunk = root.FindChunkAs<CIffDataChunk>(identifier);
    if (!chunk) {
        return "<missing>";
    }
    return std::string(chunk->GetData()->begin(), chunk->GetData()->end());
}

TEST(FourCharacterCode, ReadsFourBytesAndStopsAtZero) {
    std::istringstream input(Bytes({'f', 'm', 0, ' ', 'x'}));
    Code code;
    ASSERT_TRUE(code.Read(input));
    EXPECT_EQ(code.GetText(), "fm");
    EXPECT_NE(code, Code::Fmt);
    EXPECT_EQ(input.tellg(), 4);

    std::ostringstream output;
    ASSERT_TRUE(Code("ab").Write(output));
    EXPECT_EQ(output.str(), Bytes({'a', 'b', 0, 0}));
    EXPECT_EQ(Code::Fmt.GetText(), "fmt ");
    EXPECT_EQ(Code::Copyright.GetText(), "(c) ");
}

TEST(IffChunk, OddBodyIsWrittenWithPadByteFF) {
    std::stringstream stream;
    CIffDataChunk chunk(Code("abcd"), GT::CEndianness::LittleEndian, true);
    chunk.GetData()->assign({1, 2, 3});
    ASSERT_TRUE(chunk.Write(stream));
    EXPECT_EQ(stream.str(), "abcd" + LittleEndian32(3) + Bytes({1, 2, 3, 0xFF}));
    EXPECT_EQ(chunk.GetHeader().GetSize(), 3);
    EXPECT_EQ(chunk.GetHeader().GetOffset(), 8);
}

TEST(IffChunk, BigEndianHeaderSizeIsPatchedByFinish) {
    std::stringstream stream;
    CIffDataChunk chunk(Code("SSND"), GT::CEndianness::BigEndian, true);
    chunk.GetHeader().SetSize(12345); // stale; Finish replaces it
    chunk.GetData()->assign({9, 9});
    ASSERT_TRUE(chunk.Write(stream));
    EXPECT_EQ(stream.str(), "SSND" + Bytes({0, 0, 0, 2, 9, 9}));
}

TEST(IffChunk, ReadHeaderRejectsNegativeSizeAndOtherIdentifier) {
    CIffDataChunk chunk(Code("abcd"), GT::CEndianness::LittleEndian, false);
    std::istringstream negative("abcd" + LittleEndian32(0xFFFFFFFF));
    EXPECT_FALSE(chunk.ReadHeader(negative));
    std::istringstream other("abce" + LittleEndian32(2) + "xx");
    EXPECT_FALSE(chunk.ReadHeader(other));
    std::istringstream good("abcd" + LittleEndian32(2) + "xx");
    ASSERT_TRUE(chunk.Read(good));
    EXPECT_EQ(chunk.GetStreamedSize(), 2);
    EXPECT_EQ(good.tellg(), 10);
}

TEST(StreamableData, RefusesAPayloadLargerThanTheRestOfTheInput) {
    for (bool load : {true, false}) {
        CIffDataChunk chunk(Code("abcd"), GT::CEndianness::LittleEndian, load);
        std::istringstream input("abcd" + LittleEndian32(0x7FFFFFF0) + "xx");
        EXPECT_FALSE(chunk.Read(input)) << load;
        EXPECT_TRUE(chunk.GetData()->empty());
    }
}

TEST(StreamableData, UnloadedPayloadLeavesAGapWhenWritten) {
    std::stringstream stream(std::string(20, 'z'));
    CIffDataChunk chunk(Code("abcd"), GT::CEndianness::LittleEndian, false);
    chunk.SetStreamedSize(5);
    ASSERT_TRUE(chunk.Write(stream));
    EXPECT_EQ(stream.str().substr(0, 14), "abcd" + LittleEndian32(5) + "zzzzz" + Bytes({0xFF}));
}

TEST(IffContainer, SkipsUnknownChildrenAndPadBytes) {
    auto factory = std::make_shared<CTestFactory>();
    auto root = MakeRoot(factory);
    std::istringstream input(
        Root(Chunk("abcd", "odd") + Chunk("LIST", "12345") + Chunk("efgh", "even")));
    ASSERT_TRUE(root.Read(input));
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(Payload(root, Code("abcd")), "odd");
    EXPECT_EQ(Payload(root, Code("efgh")), "even");
    EXPECT_EQ(root.FindChunk(Code("LIST")), nullptr);
    EXPECT_TRUE(input.good());
}

TEST(IffContainer, ChildThatReadsPastItsSizeFailsTheContainer) {
    auto factory = std::make_shared<CTestFactory>();
    factory->overreadBytes = 6;
    auto root = MakeRoot(factory);
    std::istringstream input(Root(Chunk("over", "1234") + Chunk("abcd", "xyzw")));
    EXPECT_FALSE(root.Read(input));

    factory->overreadBytes = 4;
    std::istringstream exact(Root(Chunk("over", "1234") + Chunk("abcd", "xyzw")));
    EXPECT_TRUE(root.Read(exact));
    EXPECT_EQ(root.size(), 2u);
}

TEST(IffContainer, LastChildRunningPastTheContainerIsStillRead) {
    auto factory = std::make_shared<CTestFactory>();
    auto root = MakeRoot(factory);
    // The container ends inside the second child's body; the third lies wholly outside it.
    std::string file = Root(Chunk("abcd", "12") + Chunk("efgh", "345678") + Chunk("abcd", "xy"));
    file[4] = 4 + 10 + 2;
    std::istringstream input(file);
    ASSERT_TRUE(root.Read(input));
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(Payload(root, Code("efgh")), "345678");
    EXPECT_EQ(Payload(root, Code("abcd")), "12");
}

TEST(IffContainer, HugeDeclaredSizesAreBoundedByTheInput) {
    auto factory = std::make_shared<CTestFactory>();
    auto root = MakeRoot(factory);
    // A container that claims the largest size, a child that runs far past the input, and one
    // whose end lies beyond what 32-bit positions can hold.
    for (std::uint32_t childSize : {0x100u, 0x7FFFFFF0u, 0x7FFFFFFFu}) {
        SCOPED_TRACE(childSize);
        std::string file =
            Root(Chunk("efgh", "ab") + "abcd" + LittleEndian32(childSize) + "short tail");
        file.replace(4, 4, LittleEndian32(0x7FFFFFFF));
        std::istringstream input(file);
        ASSERT_TRUE(root.Read(input));
        ASSERT_EQ(root.size(), 1u);
        EXPECT_EQ(Payload(root, Code("efgh")), "ab");
        EXPECT_TRUE(input.good());
    }
}

// A list chunk: a container without form type whose children are read by the same rules.
class CListChunk : public CIffContainerChunk {
public:
    explicit CListChunk(std::shared_ptr<IChunkFactory> factory)
        : CIffContainerChunk(Code("LIST"), GT::CEndianness::LittleEndian, Code("INFO"),
                             std::move(factory)) {}
};

class CNestingFactory : public CTestFactory {
public:
    std::unique_ptr<CIffChunk> Create(const Code& identifier) override {
        if (identifier == Code("LIST")) {
            return std::make_unique<CListChunk>(std::make_shared<CTestFactory>());
        }
        return CTestFactory::Create(identifier);
    }
};

TEST(IffContainer, ContainerMadeByTheFactoryReadsItsOwnChildren) {
    auto root = MakeRoot(std::make_shared<CNestingFactory>());
    std::istringstream input(
        Root(Chunk("LIST", "INFO" + Chunk("abcd", "inner")) + Chunk("efgh", "outer")));
    ASSERT_TRUE(root.Read(input));
    ASSERT_EQ(root.size(), 2u);
    const auto list = root.FindChunkAs<CListChunk>(Code("LIST"));
    ASSERT_TRUE(list);
    EXPECT_EQ(Payload(*list, Code("abcd")), "inner");
    EXPECT_EQ(Payload(root, Code("efgh")), "outer");
    EXPECT_EQ(root.FindChunk(Code("abcd")), nullptr);
}

TEST(IffContainer, MissingPadByteAtTheEndIsTolerated) {
    auto factory = std::make_shared<CTestFactory>();
    auto root = MakeRoot(factory);
    std::string file = Root(Chunk("efgh", "ab") + Chunk("abcd", "odd", false));
    std::istringstream input(file);
    ASSERT_TRUE(root.Read(input));
    EXPECT_EQ(Payload(root, Code("abcd")), "odd");
    EXPECT_TRUE(input.good());
}

TEST(IffContainer, ChildRunningPastTheInputEndsTheIteration) {
    auto factory = std::make_shared<CTestFactory>();
    auto root = MakeRoot(factory);
    std::string truncated = Root(Chunk("efgh", "ab") + "abcd" + LittleEndian32(100) + "short");
    std::istringstream input(truncated);
    ASSERT_TRUE(root.Read(input));
    EXPECT_EQ(Payload(root, Code("efgh")), "ab");
    EXPECT_EQ(root.FindChunk(Code("abcd")), nullptr);
}

TEST(IffContainer, ZeroSizedContainerOrChildOutsideHasNoChildren) {
    auto factory = std::make_shared<CTestFactory>();
    auto root = MakeRoot(factory);
    std::string file = Root(Chunk("abcd", "12"));
    file[4] = 4; // only the form type
    std::istringstream input(file);
    ASSERT_TRUE(root.Read(input));
    EXPECT_TRUE(root.empty());

    std::istringstream wrongForm("RIFF" + LittleEndian32(4) + "AVI ");
    EXPECT_FALSE(root.Read(wrongForm));
}

TEST(IffContainer, WritesChildrenInOrderAndPatchesItsOwnSize) {
    auto root = MakeRoot(nullptr);
    auto first = std::make_shared<CIffDataChunk>(Code("abcd"), GT::CEndianness::LittleEndian, true);
    first->GetData()->assign({'x'});
    auto second =
        std::make_shared<CIffDataChunk>(Code("efgh"), GT::CEndianness::LittleEndian, true);
    second->GetData()->assign({'y', 'z'});
    root.push_back(first);
    root.push_back(second);
    std::stringstream stream;
    ASSERT_TRUE(root.Write(stream));
    EXPECT_EQ(stream.str(), "RIFF" + LittleEndian32(4 + 10 + 10) + "WAVE" + "abcd" +
                                LittleEndian32(1) + "x" + Bytes({0xFF}) + "efgh" +
                                LittleEndian32(2) + "yz");

    auto factory = std::make_shared<CTestFactory>();
    auto reread = MakeRoot(factory);
    stream.seekg(0);
    ASSERT_TRUE(reread.Read(stream));
    EXPECT_EQ(Payload(reread, Code("abcd")), "x");
    EXPECT_EQ(Payload(reread, Code("efgh")), "yz");
}

} // namespace
} // namespace SL
