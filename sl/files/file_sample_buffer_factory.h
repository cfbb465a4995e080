#pragma once

#include "sl/files/sample_data_layout.h"
#include "sl/model/wave_file_format.h"
#include "sl/samples/file_output_sample_iterator.h"
#include "sl/samples/sample_attribute.h"
#include "sl/samples/sample_iterator.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

namespace SL {

struct CAudioFileFormat;

// The one way the system reads or writes an audio file. Formats are recognised by content,
// never by file name, and every format is an entry of AudioFileFormats(). Every failure is an
// empty result.
class CFileSampleBufferFactory {
public:
    struct CInputSource {
        CWaveFileFormat fileFormat;
        CSampleAttribute attribute;
        std::shared_ptr<std::istream> stream;
        std::int32_t dataBegin = 0;
        std::int32_t dataEnd = 0;
    };

    struct COutputSource {
        CWaveFileFormat fileFormat;
        CSampleAttribute attribute;
        std::shared_ptr<std::ostream> stream;
        std::int32_t dataBegin = 0;
        std::int32_t dataEnd = 0;
        CHeaderWriter headerWriter;
    };

    virtual ~CFileSampleBufferFactory() = default;

    // A typed input iterator (dynamic_pointer_cast to ITypedInputSampleIterator<tag>) standing
    // on the first sample of a WAVE or AIFF file.
    std::shared_ptr<IInputSampleIterator> CreateInputSampleIterator(const std::string& path) const;
    // The same over an already opened stream, such as one held in memory.
    std::shared_ptr<IInputSampleIterator>
    CreateInputSampleIterator(std::shared_ptr<std::istream> stream) const;

    // A typed output iterator that writes samples after the header of the format; its Finish
    // writes the header, sized by the samples actually written. The file at path is created new
    // (CFileAccess::CreateNew): a name already taken makes it fail and is left as it was.
    std::shared_ptr<IOutputSampleIterator>
    CreateOutputSampleIterator(const CSampleAttribute& attribute, const std::string& path,
                               const CWaveFileFormat& fileFormat) const;
    std::shared_ptr<IOutputSampleIterator>
    CreateOutputSampleIterator(const CSampleAttribute& attribute,
                               std::shared_ptr<std::ostream> stream,
                               const CWaveFileFormat& fileFormat) const;

    // The source of a recognised file, or nothing.
    std::shared_ptr<CInputSource> CreateInputSource(std::shared_ptr<std::istream> stream) const;

protected:
    // The source of a file already recognised as the format, or nothing.
    std::shared_ptr<CInputSource> CreateInputSourceFrom(const CAudioFileFormat& format,
                                                        std::shared_ptr<std::istream> stream) const;

    // The output source for the attribute and format, without a stream, or nothing when the
    // format is unknown or cannot hold such samples.
    std::shared_ptr<COutputSource> CreateOutputSource(const CSampleAttribute& attribute,
                                                      const CWaveFileFormat& fileFormat) const;

private:
    static std::shared_ptr<CInputSource> ToInputSource(const CSampleDataLayout& layout,
                                                       std::shared_ptr<std::istream> stream);
};

} // namespace SL
