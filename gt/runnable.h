#pragma once

namespace GT {

// Work that a thread carries out. The object stays owned by whoever created the thread.
class IRunnable {
public:
    virtual ~IRunnable() = default;
    virtual void run() = 0;
};

} // namespace GT
