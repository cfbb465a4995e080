#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace ZQ3::Fixture {

// The ids of this process's threads as the system lists them now.
inline std::set<long> ThreadIds() {
    std::set<long> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        ids.insert(std::stol(entry.path().filename().string()));
    }
    return ids;
}

// How many threads are listed now that were not listed in before. Counting against the ids,
// not the number, keeps a thread of an earlier test that is still on its way out from looking
// like one this test left behind; and a joined thread stays listed for a moment after the join
// returns, so a test waits for this to reach zero rather than expecting it at once.
inline std::size_t ThreadsBesides(const std::set<long>& before) {
    std::size_t count = 0;
    for (const long id : ThreadIds()) {
        if (!before.contains(id)) {
            ++count;
        }
    }
    return count;
}

} // namespace ZQ3::Fixture
