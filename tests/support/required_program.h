#pragma once

#include <string>

namespace ZQ3::Fixture {

// Empty when program is on the PATH; otherwise the one line a test fails with, naming the program
// and the Debian package that brings it.
std::string MissingProgram(const std::string& program, const std::string& package);

} // namespace ZQ3::Fixture

// Fails the current test (or its SetUp) when program is missing.
#define ZQ3_REQUIRE_PROGRAM(program, package)                                                      \
    do {                                                                                           \
        const std::string zq3Missing = ::ZQ3::Fixture::MissingProgram(program, package);           \
        if (!zq3Missing.empty()) {                                                                 \
            GTEST_FAIL() << zq3Missing;                                                            \
        }                                                                                          \
    } while (false)
