#pragma once

#include "sl/files/dto.h"

#include <istream>

namespace SL {

// The transfer object of an IFF-style file: its root chunk, valid once it has been read whole.
template <class TRoot>
class CIffDto : public TRoot, public IDto {
public:
    using TRoot::TRoot;

    bool Read(std::istream& input) override {
        valid_ = TRoot::Read(input);
        return valid_;
    }
    bool IsValid() const override { return valid_; }

private:
    bool valid_ = false;
};

} // namespace SL
