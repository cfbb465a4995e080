#pragma once

#include <string>

namespace ZQ3 {

// Removes the file at path if there is one. True when the name is free afterwards: removed, or
// found not to exist by the removal itself. An existence check that errs must not be taken for
// "nothing there", or a stale file would stay beside the new ones.
bool RemoveIfPresent(const std::string& path);

} // namespace ZQ3
