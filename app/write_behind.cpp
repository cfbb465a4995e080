#include "app/write_behind.h"

#include <fcntl.h>
#include <unistd.h>

namespace ZQ3 {

CWriteBehind::CWriteBehind(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}

CWriteBehind::~CWriteBehind() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void CWriteBehind::push() {
    if (fd_ < 0 || ++calls_ < kCallsPerPush) {
        return;
    }
    calls_ = 0;
    // Starts the write-out of every dirty page without waiting for it. A file system that cannot
    // do this leaves everything to the final flush, as without this class.
    (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

} // namespace ZQ3
