// The stream over a file descriptor that every sample file goes through, and the opening rules
// of CFileDataSource: inputs that are not regular files fail at once, outputs are only ever
// created new.

#include "sl/files/descriptor_stream.h"
#include "sl/files/file_data_source.h"
#include "sl/files/file_sample_buffer_factory.h"
#include "sl/files/wave_file_loader.h"
#include "tests/support/fifo.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <random>
#include <thread>
#include <unistd.h>

namespace SL {
namespace {

using ZQ3::Fixture::MakeFifo;
using ZQ3::Fixture::ReturnsPromptly;

std::string Pattern(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

int OpenFull() {
    // Every write to it fails with "no space left", as on a full card.
    return ::open("/dev/full", O_WRONLY | O_CLOEXEC);
}

TEST(DescriptorStream, WritesSeeksBackAndReadsAcrossTheBuffer) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string path = (directory / "data");
    // Far larger than the stream's buffer, so that writes and reads go both through the buffer
    // and around it.
    const std::string body = Pattern(200000, 1);
    {
        CDescriptorStream stream(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600),
                                 std::ios::in | std::ios::out);
        ASSERT_TRUE(stream.is_open());
        // As the sample file writers do: the body after room for a header, the header last.
        stream.seekp(8);
        for (std::size_t i = 0; i < 100; ++i) {
            stream.put(body[i]);
        }
        stream.write(body.data() + 100, static_cast<std::streamsize>(body.size() - 100));
        EXPECT_EQ(stream.tellp(), std::streampos(static_cast<std::streamoff>(8 + body.size())));
        stream.seekp(0);
        stream.write("HEADER!!", 8);
        stream.seekp(0, std::ios::end);
        stream.write("tail", 4);

        // Reading, then writing where the reading stopped, then reading again elsewhere.
        char word[4];
        stream.seekg(4);
        ASSERT_TRUE(stream.read(word, 4));
        EXPECT_EQ(std::string(word, 4), "ER!!");
        stream.write("xy", 2);
        stream.seekg(8 + 150000);
        ASSERT_TRUE(stream.read(word, 4));
        EXPECT_EQ(std::string(word, 4), body.substr(150000, 4));
        stream.seekg(-3, std::ios::cur);
        ASSERT_TRUE(stream.read(word, 2));
        EXPECT_EQ(std::string(word, 2), body.substr(150001, 2));
        EXPECT_EQ(stream.tellg(), std::streampos(8 + 150003));
        stream.close();
        EXPECT_FALSE(stream.fail());
    }
    const std::string expected = "HEADER!!xy" + body.substr(2) + "tail";
    EXPECT_EQ(ZQ3::Fixture::ReadFileBytes(path), expected);

    CDescriptorStream input(::open(path.c_str(), O_RDONLY | O_CLOEXEC), std::ios::in);
    std::string head(10, '\0');
    std::string rest(expected.size() - head.size(), '\0');
    ASSERT_TRUE(input.read(head.data(), static_cast<std::streamsize>(head.size())));
    ASSERT_TRUE(input.read(rest.data(), static_cast<std::streamsize>(rest.size())));
    EXPECT_EQ(head + rest, expected);
    EXPECT_EQ(input.get(), std::char_traits<char>::eof());
    input.clear();
    input.seekg(0, std::ios::end);
    EXPECT_EQ(input.tellg(), std::streampos(static_cast<std::streamoff>(expected.size())));
    // A stream opened for reading never writes.
    input.put('z');
    input.flush();
    EXPECT_TRUE(input.bad());
    input.close();
    EXPECT_EQ(ZQ3::Fixture::ReadFileBytes(path), expected);
}

TEST(DescriptorStream, FailedWritesAndClosesFailTheStream) {
    {
        CDescriptorStream full(OpenFull(), std::ios::out);
        full.write("abc", 3);
        EXPECT_TRUE(full.good()); // only buffered so far
        full.flush();
        EXPECT_TRUE(full.fail());
    }
    {
        CDescriptorStream full(OpenFull(), std::ios::out);
        full.write("abc", 3);
        full.close();
        EXPECT_TRUE(full.fail());
        EXPECT_FALSE(full.is_open());
    }
    {
        const std::string large(1 << 20, 'x');
        CDescriptorStream full(OpenFull(), std::ios::out);
        full.write(large.data(), static_cast<std::streamsize>(large.size()));
        EXPECT_TRUE(full.bad());
    }
    // A sample file writer learns of it at Finish, when the last bytes are flushed.
    const CSampleAttribute attribute(CBitDepth::INTEGER16, 44100, 1, 3);
    auto writer = std::dynamic_pointer_cast<ITypedOutputSampleIterator<CSampleTag::Integer16>>(
        CFileSampleBufferFactory().CreateOutputSampleIterator(
            attribute, std::make_shared<CDescriptorStream>(OpenFull(), std::ios::out),
            CWaveFileFormat::WINWAVE));
    ASSERT_TRUE(writer);
    for (int value : {1, 2, 3}) {
        writer->SetValue(static_cast<std::int16_t>(value));
        writer->Advance();
    }
    EXPECT_FALSE(writer->Finish());

    CDescriptorStream none(-1, std::ios::in | std::ios::out);
    EXPECT_TRUE(none.fail());
    EXPECT_FALSE(none.is_open());
}

extern "C" void NoteSignal(int) {}

// Ctrl-C in the converter interrupts blocking calls; a read or write that was under way must
// still complete. A pipe makes both block: the read until data comes, the write until the pipe is
// drained.
TEST(DescriptorStream, InterruptedReadsAndWritesComplete) {
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: blocked calls fail with EINTR
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const auto interrupt = [](std::thread& thread) {
        for (int i = 0; i < 20; ++i) {
            ::pthread_kill(thread.native_handle(), SIGUSR1);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };

    std::string got(4, '\0');
    bool readGood = false;
    std::thread reader([&] {
        CDescriptorStream input(::dup(ends[0]), std::ios::in);
        readGood = static_cast<bool>(input.read(got.data(), 4));
    });
    interrupt(reader);
    ASSERT_EQ(::write(ends[1], "data", 4), 4);
    reader.join();
    EXPECT_TRUE(readGood);
    EXPECT_EQ(got, "data");

    // Many times what the pipe holds, written in one piece. The stream holds the only write end,
    // so the reading below ends when the stream is done, however it ends.
    const std::string sent = Pattern(1 << 20, 2);
    const int writeEnd = ::dup(ends[1]);
    ::close(ends[1]);
    bool writeGood = false;
    std::thread writer([&] {
        CDescriptorStream output(writeEnd, std::ios::out);
        output.write(sent.data(), static_cast<std::streamsize>(sent.size()));
        output.close();
        writeGood = !output.fail();
    });
    interrupt(writer);
    std::string received;
    char block[65536];
    while (received.size() < sent.size()) {
        const ssize_t count = ::read(ends[0], block, sizeof block);
        if (count <= 0) {
            break;
        }
        received.append(block, static_cast<std::size_t>(count));
    }
    writer.join();
    EXPECT_TRUE(writeGood);
    EXPECT_TRUE(received == sent);

    ::close(ends[0]);
    ::sigaction(SIGUSR1, &previous, nullptr);
}

TEST(FileDataSource, OpensOnlyAsItsAccessSays) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string path = (directory / "data");
    EXPECT_FALSE(CFileDataSource(path, CFileAccess::ReadExisting).OpenInput());
    EXPECT_FALSE(CFileDataSource(path, CFileAccess::UpdateExisting).OpenOutput());
    EXPECT_FALSE(CFileDataSource(path, CFileAccess::CreateNew).OpenInput());
    EXPECT_FALSE(std::filesystem::exists(path));

    *CFileDataSource(path, CFileAccess::CreateNew).OpenOutput() << "abcdef";
    EXPECT_FALSE(CFileDataSource(path, CFileAccess::ReadExisting).OpenOutput());
    *CFileDataSource(path, CFileAccess::UpdateExisting).OpenOutput() << "XY";
    std::string text;
    *CFileDataSource(path, CFileAccess::ReadExisting).OpenInput() >> text;
    EXPECT_EQ(text, "XYcdef");
    EXPECT_EQ(CFileDataSource(path, CFileAccess::ReadExisting).GetPath(), path);
}

TEST(FileDataSource, NeverCreatesOverOrThroughATakenName) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string existing = (directory / "existing");
    const std::string target = (directory / "target");
    const std::string link = (directory / "link");
    const std::string dangling = (directory / "dangling");
    ZQ3::Fixture::WriteFileBytes(existing, "kept");
    ZQ3::Fixture::WriteFileBytes(target, "target");
    std::filesystem::create_symlink(target, link);
    std::filesystem::create_symlink((directory / "nowhere"), dangling);

    for (const std::string& name : {existing, link, dangling}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(CFileDataSource(name, CFileAccess::CreateNew).Open());
        EXPECT_FALSE(CFileSampleBufferFactory().CreateOutputSampleIterator(
            CSampleAttribute(CBitDepth::INTEGER16, 44100, 1, 3), name, CWaveFileFormat::WINWAVE));
    }
    // Updating in place does not go through a link either.
    EXPECT_FALSE(CFileDataSource(link, CFileAccess::UpdateExisting).Open());
    EXPECT_EQ(ZQ3::Fixture::ReadFileBytes(existing), "kept");
    EXPECT_EQ(ZQ3::Fixture::ReadFileBytes(target), "target");
    EXPECT_FALSE(std::filesystem::exists((directory / "nowhere")));
}

TEST(FileDataSource, AnythingButARegularFileFailsToOpenAtOnce) {
    ZQ3::Fixture::TemporaryDirectory directory;
    const std::string fifo = (directory / "fifo.wav");
    ASSERT_TRUE(MakeFifo(fifo));
    const auto openFifo = [&] {
        EXPECT_FALSE(CFileDataSource(fifo, CFileAccess::ReadExisting).Open());
        EXPECT_FALSE(CFileDataSource(fifo, CFileAccess::UpdateExisting).Open());
        EXPECT_FALSE(LoadWaveFile(fifo));
        EXPECT_FALSE(CFileSampleBufferFactory().CreateInputSampleIterator(fifo));
    };
    EXPECT_TRUE(ReturnsPromptly(fifo, openFifo));
    EXPECT_FALSE(CFileDataSource("/dev/zero", CFileAccess::ReadExisting).Open());
    EXPECT_FALSE(CFileDataSource((directory / ""), CFileAccess::ReadExisting).Open());
}

} // namespace
} // namespace SL
