// Preloaded into zq3 by the tests of a change that cannot be finished at once: every rename onto
// a card file name (one ending in ".ZQD") fails with EIO, as on a device that takes new files and
// the journal but refuses to rename them; every other rename goes through.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

extern "C" int rename(const char* from, const char* to) {
    const std::size_t length = std::strlen(to);
    if (length >= 4 && std::strcmp(to + length - 4, ".ZQD") == 0) {
        errno = EIO;
        return -1;
    }
    using Rename = int (*)(const char*, const char*);
    static const auto next = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    return next(from, to);
}
