#pragma once

// For tests only: makes chosen calls of the file transfer steps fail as a failing device would,
// so that the commands' handling of every failure can be exercised. Production code never arms
// it; unarmed, every step pays one relaxed atomic load.

namespace ZQ3::FileTransferFaults {

// The steps that can be made to fail, combinable with "|". A failing step does nothing, sets
// errno to EIO and returns false.
enum Operation : unsigned {
    Exists = 1u << 0,
    DirectoryExists = 1u << 1,
    Remove = 1u << 2,
    Rename = 1u << 3,
    Replace = 1u << 4,
    CopyAndUnlock = 1u << 5,
    CopyWithProgress = 1u << 6,
    SyncDirectory = 1u << 7,
    WritableDestination = 1u << 8,
    FreeSpace = 1u << 9,
    Any = (1u << 10) - 1,
};

// Counting from now, with calls of the chosen operations numbered from 1: only call n fails.
void FailCall(int n, unsigned operations = Any);
// Counting from now: call n and every later call of the chosen operations fail.
void FailFrom(int n, unsigned operations = Any);
// Counting from now, failing nothing: tells a test which number the call it wants to fail has.
void CountOnly(unsigned operations = Any);
// Stops failing and counting.
void Clear();
// Calls of the chosen operations since the last FailCall, FailFrom or CountOnly.
int CountedCalls();

// Clears the faults when the test's scope ends, however it ends.
class CScope {
public:
    CScope() = default;
    ~CScope() { Clear(); }
    CScope(const CScope&) = delete;
    CScope& operator=(const CScope&) = delete;
};

} // namespace ZQ3::FileTransferFaults
