#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <string>

namespace SL {

// Where a stream of bytes comes from or goes to. Streams close their files when their last
// owner releases them.
class IDataSource {
public:
    virtual ~IDataSource() = default;
    virtual std::string GetPath() const = 0;
    // Empty when the source cannot be opened.
    virtual std::shared_ptr<std::istream> OpenInput() = 0;
    virtual std::shared_ptr<std::ostream> OpenOutput() = 0;
};

} // namespace SL
