#pragma once

#include "sl/files/iff_container_chunk.h"

#include <istream>

namespace SL {

// Whether the input starts with the header and form type of TRoot. The stream's position and
// state are given back as they were, whatever the probe met.
template <class TRoot>
bool ProbeRootChunk(std::istream& input) {
    const std::ios::iostate state = input.rdstate();
    if (input.fail()) {
        return false;
    }
    const std::istream::pos_type position = input.tellg();
    if (position == std::istream::pos_type(-1)) {
        return false;
    }
    TRoot root(nullptr);
    const bool readable = root.ReadHeader(input) && root.ReadFormType(input) && input.good();
    input.clear();
    input.seekg(position);
    input.clear(state);
    return readable;
}

} // namespace SL
