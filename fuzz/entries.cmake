# The fuzz target bodies as an ordinary library, shared by the fuzzers and by the test that
# replays the corpus. Whichever of the two is configured first defines it.
if(NOT TARGET zq3_fuzz_entries)
    add_library(zq3_fuzz_entries STATIC ${CMAKE_SOURCE_DIR}/fuzz/fuzz_entries.cpp)
    target_link_libraries(zq3_fuzz_entries PUBLIC zq3_sl_files zq3_card PRIVATE zq3_build_flags)
endif()
