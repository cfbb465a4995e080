#include "fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size) {
    ZQ3Fuzz::LoadWave(data, size);
    return 0;
}
