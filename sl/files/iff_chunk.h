#pragma once

#include "gt/endianed_stream_utilities.h"
#include "sl/files/streamable.h"

#include <cstdint>
#include <string>
#include <vector>

namespace SL {

// One chunk of an IFF-style tree (RIFF WAVE, AIFF): identifier, 32-bit body length, body, and a
// pad byte after an odd body.
class CIffChunk : public GT::CEndianed, public virtual IStreamable {
public:
    class CFourCharacterCode : public IStreamable {
    public:
        CFourCharacterCode() = default;
        explicit CFourCharacterCode(std::string text) : text_(std::move(text)) {}

        // Exactly four bytes; the text ends at the first zero byte, so an identifier containing
        // one is shorter than four characters and matches no constant.
        bool Read(std::istream& input) override;
        // The first four bytes of the text, zero-filled when it is shorter.
        bool Write(std::ostream& output) override;

        const std::string& GetText() const { return text_; }
        bool IsEmpty() const { return text_.empty(); }
        bool operator==(const CFourCharacterCode& other) const { return text_ == other.text_; }

        static const CFourCharacterCode Riff, Wave, Fmt, Data, Smpl, Form, Aiff, Comm, Ssnd, Mark,
            Inst, Midi, Aesd, Appl, Comt, Name, Auth, Copyright, Anno;

    private:
        std::string text_;
    };

    class CHeader : public GT::CEndianed, public IStreamable {
    public:
        explicit CHeader(int endianness);
        CHeader(int endianness, CFourCharacterCode identifier);

        // Identifier and size; the offset becomes the position after them, where the body starts.
        bool Read(std::istream& input) override;
        bool Write(std::ostream& output) override;

        const CFourCharacterCode& GetIdentifier() const { return identifier_; }
        void SetIdentifier(const CFourCharacterCode& identifier) { identifier_ = identifier; }
        // The body length, without header and pad byte.
        std::int32_t GetSize() const { return size_; }
        void SetSize(std::int32_t size) { size_ = size; }
        // The stream position of the body's first byte; 0 until read or written.
        std::int32_t GetOffset() const { return offset_; }
        void SetOffset(std::int32_t offset) { offset_ = offset; }
        // One past the body, and past the pad byte of an odd body.
        std::int64_t GetBodyEnd() const { return std::int64_t{offset_} + size_; }
        std::int64_t GetPaddedEnd() const { return GetBodyEnd() + (size_ & 1); }

    private:
        CFourCharacterCode identifier_;
        std::int32_t size_ = 0;
        std::int32_t offset_ = 0;
    };

    CIffChunk(const CFourCharacterCode& identifier, int endianness);

    void SetEndianness(int endianness) override;

    virtual bool ReadBody(std::istream& input) = 0;
    virtual bool WriteBody(std::ostream& output) = 0;

    bool Read(std::istream& input) override;
    bool Write(std::ostream& output) override;

    // Reads a header, which must carry this chunk's identifier, and takes it over.
    bool ReadHeader(std::istream& input);
    // Reads the body of a chunk whose header a container has just read in its place, so the
    // header is neither read twice nor the input's end looked up again for every child.
    bool ReadBodyAfter(std::istream& input, const CHeader& header, std::int64_t inputEnd);
    // Patches the size field with the length of the body just written, then pads an odd body.
    bool Finish(std::ostream& output);
    // Moves the input past the body and its pad byte.
    bool Skip(std::istream& input);

    const CHeader& GetHeader() const { return header_; }
    CHeader& GetHeader() { return header_; }
    const CFourCharacterCode& GetIdentifier() const { return header_.GetIdentifier(); }

protected:
    // Body readers go through these: a field that would end past the declared body, or past the
    // end of the input, fails before anything is read or allocated.
    std::int64_t GetBodyBytesLeft(std::istream& input) const;
    // Where the input ended when this chunk's header was read.
    std::int64_t GetInputLimit() const { return inputEnd_; }
    bool ReadField(std::istream& input, std::uint8_t& value) const;
    bool ReadField(std::istream& input, std::int8_t& value) const;
    bool ReadField(std::istream& input, std::uint16_t& value) const;
    bool ReadField(std::istream& input, std::int16_t& value) const;
    bool ReadField(std::istream& input, std::uint32_t& value) const;
    bool ReadField(std::istream& input, std::int32_t& value) const;
    bool ReadExtendedField(std::istream& input, double& value) const;
    bool ReadBytes(std::istream& input, std::size_t count, std::string& bytes) const;
    bool ReadBytes(std::istream& input, std::size_t count, std::vector<std::uint8_t>& bytes) const;

    bool WriteField(std::ostream& output, std::uint8_t value) const;
    bool WriteField(std::ostream& output, std::int8_t value) const;
    bool WriteField(std::ostream& output, std::uint16_t value) const;
    bool WriteField(std::ostream& output, std::int16_t value) const;
    bool WriteField(std::ostream& output, std::uint32_t value) const;
    bool WriteField(std::ostream& output, std::int32_t value) const;
    bool WriteExtendedField(std::ostream& output, double value) const;
    bool WriteBytes(std::ostream& output, const void* bytes, std::size_t count) const;

private:
    bool Fits(std::istream& input, std::size_t count) const;

    CHeader header_;
    // Where the input ended when the header was read; bounds every body read.
    std::int64_t inputEnd_ = 0;
};

inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Riff{"RIFF"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Wave{"WAVE"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Fmt{"fmt "};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Data{"data"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Smpl{"smpl"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Form{"FORM"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Aiff{"AIFF"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Comm{"COMM"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Ssnd{"SSND"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Mark{"MARK"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Inst{"INST"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Midi{"MIDI"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Aesd{"AESD"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Appl{"APPL"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Comt{"COMT"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Name{"NAME"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Auth{"AUTH"};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Copyright{"(c) "};
inline const CIffChunk::CFourCharacterCode CIffChunk::CFourCharacterCode::Anno{"ANNO"};

} // namespace SL
