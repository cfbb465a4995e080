#include "app/shown_name.h"

#include <gtest/gtest.h>

namespace ZQ3 {
namespace {

TEST(ShownName, PrintableNamesStayAsTheyAre) {
    for (const char* name : {"kick.wav", "my take's best.aif", "キック 01.wav", "/media/a b/c"}) {
        EXPECT_EQ(ShownName(name), name);
    }
}

TEST(ShownName, ControlCharactersAreEscapedAsAShellString) {
    EXPECT_EQ(ShownName("\x1b]0;owned\x07.wav"), "$'\\e]0;owned\\a.wav'");
    EXPECT_EQ(ShownName("kick\nD6 <- evil.wav"), "$'kick\\nD6 <- evil.wav'");
    EXPECT_EQ(ShownName(std::string("a\0b\x7f", 4)), "$'a\\x00b\\x7F'");
    // A C1 control (CSI) and bytes that are no UTF-8; quotes and backslashes inside the string
    // are escaped, Japanese text stays.
    EXPECT_EQ(ShownName("\xc2\x9b"
                        "2J"),
              "$'\\u009B2J'");
    EXPECT_EQ(ShownName("it's\\\t\xff\xe3\x82"), "$'it\\'s\\\\\\t\\xFF\\xE3\\x82'");
    EXPECT_EQ(ShownName("キック\n.wav"), "$'キック\\n.wav'");
    // What is shown once holds no control character and shows the same again.
    const std::string shown = ShownName("\x1b[2J\n");
    EXPECT_EQ(ShownName(shown), shown);
}

} // namespace
} // namespace ZQ3
