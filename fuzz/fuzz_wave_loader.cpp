#include "fuzz/fuzz_entries.h"

// Undefined behaviour stops the run like a memory error, so that it leaves a reproducer.
extern "C" const char* __ubsan_default_options() {
    return "halt_on_error=1:print_stacktrace=1";
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size) {
    ZQ3Fuzz::LoadWave(data, size);
    return 0;
}
