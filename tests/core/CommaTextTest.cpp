#include "core/CommaText.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

using TList = std::vector<std::string>;

TEST(CommaText, WritesBareAndQuotedItems) {
    EXPECT_EQ(WriteCommaText({}), "");
    EXPECT_EQ(WriteCommaText({""}), "\"\"");
    EXPECT_EQ(WriteCommaText({"a", "", "b"}), "a,,b");
    EXPECT_EQ(WriteCommaText({"NOAA 19", "x"}), "\"NOAA 19\",x");
    EXPECT_EQ(WriteCommaText({"say \"hi\""}), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(WriteCommaText({"a,b"}), "\"a,b\"");
    EXPECT_EQ(WriteCommaText({"tab\there"}), "\"tab\there\"");
    EXPECT_EQ(WriteCommaText({"\x01"}), "\"\x01\"");
    // Characters above 32 other than the quote and the comma need no quotes, UTF-8 included.
    EXPECT_EQ(WriteCommaText({"M\xc3\xa9t\xc3\xa9o!"}), "M\xc3\xa9t\xc3\xa9o!");
}

TEST(CommaText, ReadsTheWaysTextsAreWritten) {
    EXPECT_EQ(ReadCommaText(""), TList{});
    EXPECT_EQ(ReadCommaText("   "), TList{});
    EXPECT_EQ(ReadCommaText("\"\""), TList{""});
    EXPECT_EQ(ReadCommaText("a,b"), (TList{"a", "b"}));
    // An unquoted blank separates items; blanks around commas are skipped.
    EXPECT_EQ(ReadCommaText("NOAA 19"), (TList{"NOAA", "19"}));
    EXPECT_EQ(ReadCommaText("  a ,  b  "), (TList{"a", "b"}));
    // Empty items between commas, and a trailing comma adds one more.
    EXPECT_EQ(ReadCommaText(",a"), (TList{"", "a"}));
    EXPECT_EQ(ReadCommaText(","), (TList{"", ""}));
    EXPECT_EQ(ReadCommaText("a,"), (TList{"a", ""}));
    // A comma followed by blanks only is not the last character: no empty item.
    EXPECT_EQ(ReadCommaText("a, "), TList{"a"});
    EXPECT_EQ(ReadCommaText("\"x \"\"y\"\"\",z"), (TList{"x \"y\"", "z"}));
    // An unterminated quote runs to the end; text after a closing quote starts a new item.
    EXPECT_EQ(ReadCommaText("\"open"), TList{"open"});
    EXPECT_EQ(ReadCommaText("\"ab\"cd"), (TList{"ab", "cd"}));
}

TEST(CommaText, RoundTripsAnyList) {
    const std::vector<TList> lists = {
        {""},
        {"", ""},
        {"", "a", ""},
        {"20250528093206 S 45 123 726 NOAA 18", "20250528093712 N 80 10 901 NOAA 19"},
        {"\"", ",", "\"\"", " lead", "trail ", "a\r\nb", "\x7f"},
        {"SatList", "NOAA 19,N,720", "\"quoted\",B,x"},
    };
    for (const TList& list : lists)
        EXPECT_EQ(ReadCommaText(WriteCommaText(list)), list) << WriteCommaText(list);
    // Nested comma text (a satellite entry inside the list of entries) survives as well.
    const TList entry = {"NOAA 19", "N", "720"};
    const TList outer = {WriteCommaText(entry), WriteCommaText({"METEOR-M2 3", "B", ""})};
    const TList back = ReadCommaText(WriteCommaText(outer));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(ReadCommaText(back[0]), entry);
}

} // namespace
} // namespace kestrune
