#include "sl/files/stream_extent.h"

namespace SL {

namespace {

std::int64_t Checked(std::streamoff position) {
    if (position < 0 || position > MaxStreamPosition) {
        return -1;
    }
    return position;
}

} // namespace

std::int64_t GetInputPosition(std::istream& input) {
    if (input.fail()) {
        return -1;
    }
    return Checked(static_cast<std::streamoff>(input.tellg()));
}

std::int64_t GetOutputPosition(std::ostream& output) {
    if (output.fail()) {
        return -1;
    }
    return Checked(static_cast<std::streamoff>(output.tellp()));
}

std::int64_t GetInputEnd(std::istream& input) {
    if (input.fail()) {
        return -1;
    }
    const std::istream::pos_type position = input.tellg();
    if (position == std::istream::pos_type(-1)) {
        return -1;
    }
    input.seekg(0, std::ios::end);
    const std::istream::pos_type end = input.tellg();
    input.seekg(position);
    if (input.fail() || end == std::istream::pos_type(-1)) {
        return -1;
    }
    return Checked(static_cast<std::streamoff>(end));
}

} // namespace SL
