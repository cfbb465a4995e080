#pragma once

#include "sl/files/iff_chunk.h"

#include <memory>
#include <vector>

namespace SL {

// A chunk whose body is an optional form type followed by child chunks. The container is the
// vector of its children, in file order.
class CIffContainerChunk : public CIffChunk, public std::vector<std::shared_ptr<CIffChunk>> {
public:
    // Decides which children are read, and as what; unknown ones are skipped by their size.
    class IChunkFactory {
    public:
        virtual ~IChunkFactory() = default;
        // A new chunk for the identifier, or nothing when the factory does not handle it.
        virtual std::unique_ptr<CIffChunk> Create(const CFourCharacterCode& identifier) = 0;
    };

    CIffContainerChunk(const CFourCharacterCode& identifier, int endianness,
                       const CFourCharacterCode& formType, std::shared_ptr<IChunkFactory> factory);

    // Forgets the children of an earlier read, then reads header and body.
    bool Read(std::istream& input) override;
    // The form type and every child the factory creates; Read (header, then this) reads the
    // whole container, and a container made by a factory is read the same way as a child.
    // Iteration stops quietly at a header that cannot be read or lies outside the container,
    // and at a child that ends past the input; it fails when a created child fails to read or
    // reads more than its header declares. A child may run past the container's end and is
    // still read, but nothing is ever read past the end of the input.
    bool ReadBody(std::istream& input) override;
    bool WriteBody(std::ostream& output) override;

    // Succeeds when no form type is expected, or when the next four bytes are the expected one.
    bool ReadFormType(std::istream& input);

    // The first child with the identifier, in file order.
    std::shared_ptr<CIffChunk> FindChunk(const CFourCharacterCode& identifier) const;
    template <class TChunk>
    std::shared_ptr<TChunk> FindChunkAs(const CFourCharacterCode& identifier) const {
        return std::dynamic_pointer_cast<TChunk>(FindChunk(identifier));
    }

    const CFourCharacterCode& GetFormType() const { return formType_; }
    void SetFormType(const CFourCharacterCode& formType) { formType_ = formType; }
    const std::shared_ptr<IChunkFactory>& GetFactory() const { return factory_; }
    void SetFactory(std::shared_ptr<IChunkFactory> factory) { factory_ = std::move(factory); }

private:
    CFourCharacterCode formType_;
    std::shared_ptr<IChunkFactory> factory_;
};

} // namespace SL
