#include "cli/json_writer.h"
#include "cli/pad_name.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ZQ3 {
namespace {

TEST(PadName, BankLetterAndPadNumber) {
    auto d5 = ParsePadName("D5");
    ASSERT_TRUE(d5.has_value());
    EXPECT_EQ(d5->bank, 1);
    EXPECT_EQ(d5->pad, 5);
    EXPECT_EQ(d5->slot(), 0x15);
    auto j15 = ParsePadName("j15");
    ASSERT_TRUE(j15.has_value());
    EXPECT_EQ(j15->slot(), 127);
    EXPECT_EQ(ParsePadName("c0")->slot(), 0);
    // As an export names the pad's file.
    for (const char* name : {"D05", "d05"}) {
        ASSERT_TRUE(ParsePadName(name).has_value()) << name;
        EXPECT_EQ(ParsePadName(name)->slot(), 0x15) << name;
    }
}

TEST(PadName, RefusesAnythingElse) {
    for (const char* bad :
         {"", "D", "B1", "K1", "D16", "D-1", "D005", "D1x", "5D", "D123", "D+5", "D 5"}) {
        EXPECT_FALSE(ParsePadName(bad).has_value()) << bad;
    }
}

TEST(JsonWriter, SeparatorsAndEscapes) {
    std::ostringstream text;
    CJsonWriter json(text);
    json.beginObject();
    json.key("root").value("/media/a \"b\"\\c\n");
    json.key("list").beginArray().value(1).value(true).beginObject().endObject().endArray();
    json.key("name").value("ウェーブ");
    json.endObject();
    EXPECT_EQ(text.str(), R"({"root":"/media/a \"b\"\\c\n","list":[1,true,{}],"name":"ウェーブ"})");
    EXPECT_EQ(CJsonWriter::Escape(std::string("\x01", 1)), "\\u0001");
}

TEST(JsonWriter, EscapesEveryControlCharacterAndKeepsTheDocumentUtf8) {
    EXPECT_EQ(CJsonWriter::Escape("\x1b]0;owned\x07\x7f"), "\\u001b]0;owned\\u0007\\u007f");
    // C1 controls as their code; a byte that is no UTF-8 as the replacement character.
    EXPECT_EQ(CJsonWriter::Escape("a\xc2\x9b"
                                  "b\xff\xc3"),
              "a\\u009bb\\ufffd\\ufffd");
    EXPECT_EQ(CJsonWriter::Escape("キック.wav"), "キック.wav");
}

} // namespace
} // namespace ZQ3
