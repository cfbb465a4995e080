#pragma once

#include "gt/iterator.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_type.h"

#include <cstdint>

namespace SL {

// What every sample stream offers, whichever way the samples flow. Samples are interleaved by
// frame. Read and write errors never throw: they clear the good flag, after which the iterator
// is no longer valid; a caller tells an I/O error from a normal end by the good flag.
class ISampleIteratorBase : public GT::IIteratorBase {
public:
    // The stream's shape. Its byte order is always the machine's (1): iterators deliver and
    // accept values, never raw bytes.
    virtual const CSampleAttribute& GetAttribute() const = 0;
    // False once an I/O error (or a read past the end of the file) has been met.
    virtual bool IsGood() const = 0;
    // Maps a position counted in this stream's samples to the position in the stream it
    // decorates; plain streams return it unchanged.
    virtual std::int64_t MapPosition(std::int64_t position) const = 0;
};

class IInputSampleIterator : public ISampleIteratorBase {};

class IOutputSampleIterator : public ISampleIteratorBase {
public:
    // Completes the stream once after the last sample (pending frames, file headers, flushing).
    // Answers whether everything was written. Later calls repeat the first answer.
    virtual bool Finish() = 0;
};

// The typed streams: the current value is read or stored as the tag's value type.
template <int Tag>
class ITypedInputSampleIterator : public IInputSampleIterator,
                                  public GT::IInputIterator<SampleValue<Tag>> {
public:
    using Value = SampleValue<Tag>;
    static constexpr int SampleTag = Tag;
};

template <int Tag>
class ITypedOutputSampleIterator : public IOutputSampleIterator,
                                   public GT::IOutputIterator<SampleValue<Tag>> {
public:
    using Value = SampleValue<Tag>;
    static constexpr int SampleTag = Tag;
};

} // namespace SL
