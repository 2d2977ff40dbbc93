#include "base/uCodePage.h"

#include <gtest/gtest.h>

using namespace kelani;

TEST(CodePage, UmlautsAndEuroRoundTrip) {
    const std::string cp = "J\xF6rg \x80 \xDF";
    const std::string utf8 = Cp1252ToUtf8(cp);
    EXPECT_EQ(utf8, "J\xC3\xB6rg \xE2\x82\xAC \xC3\x9F");
    EXPECT_EQ(Utf8ToCp1252(utf8), cp);
}

TEST(CodePage, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(CodePage, UnmappableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");        // a CJK character
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");              // cut-off sequence
    EXPECT_EQ(Utf8ToCp1252("\xFF" "b"), "?b");           // never a lead byte
}
