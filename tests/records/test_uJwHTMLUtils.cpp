#include "records/uJwHTMLUtils.h"
#include "records/uWebForm.h"
#include "records/uWorldwide.h"

#include <gtest/gtest.h>

using namespace kelani;

TEST(TextToHTML, LatinOneBytesBecomeNamedEntities) {
    EXPECT_EQ(TextToHTML("J\xF6rg"), "J&ouml;rg");
    EXPECT_EQ(TextToHTML("\xA1\xFF\xD7\xDF"), "&iexcl;&yuml;&times;&szlig;");
    EXPECT_EQ(TextToHTML("\xA0"), "&nbsp;");
    // Below 160 nothing changes, the Windows-1252 block 128..159 included.
    EXPECT_EQ(TextToHTML("a&b \x80\x9F"), "a&b \x80\x9F");
}

TEST(TextToHTML, EveryHighByteRoundTripsThroughTheDecoder) {
    for (int b = 160; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(HTMLToText(TextToHTML(byte)), byte) << b;
    }
    EXPECT_EQ(HTMLToText("&#246;&bogus;&amp"), "\xF6&bogus;&amp");
}

TEST(URLEncode, OnlyAsciiLettersAndDigitsStay) {
    EXPECT_EQ(URLEncode("Az09"), "Az09");
    EXPECT_EQ(URLEncode("a b-c.d_e~"), "a%20b%2Dc%2Ed%5Fe%7E");
    EXPECT_EQ(URLEncode("J&ouml;rg"), "J%26ouml%3Brg");
    EXPECT_EQ(URLEncode("\xFF"), "%FF");
}

TEST(URLDecode, InvertsTheFormEncodingAndRejectsBrokenEscapes) {
    EXPECT_EQ(URLDecode("J%26ouml%3Brg+x"), "J&ouml;rg x");
    EXPECT_EQ(URLDecode(URLEncode(std::string("\0\x01\xFE", 3))), std::string("\0\x01\xFE", 3));
    EXPECT_FALSE(URLDecode("%4"));
    EXPECT_FALSE(URLDecode("%"));
    EXPECT_FALSE(URLDecode("%G0"));
}

TEST(LowerCp1252, LowersAsciiLatinOneAndTheWindowsCapitals) {
    EXPECT_EQ(LowerCp1252("J&OUML;RG \xC4\xD6\xDC\xD7\x8A\x9F"), "j&ouml;rg \xE4\xF6\xFC\xD7\x9A\xFF");
}

TEST(CheckValue, FollowsTheRecurrence) {
    // n = 1; per byte: n = (c ^ (B - i)) * n mod M, kept at least 1.
    EXPECT_EQ(CheckValue("", 65521, 733), 1);
    const int first = ('a' ^ 733) % 65521;
    EXPECT_EQ(CheckValue("a", 65521, 733), first);
    EXPECT_EQ(CheckValue("ab", 65521, 733), (('b' ^ 732) * first) % 65521);
    // A product that overflows 32 bits wraps and may turn negative, which resets n to 1.
    const std::string text(40, '\xFF');
    const int32_t n = CheckValue(text, 2147483647, 1 << 20);
    EXPECT_GE(n, 1);
    EXPECT_LT(n, 2147483647);
}

TEST(HighscoreForm, ElevenFieldsInOrderWithEntitiesThenEscapes) {
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"name", "J\xF6rg"}, {"punkte", "66.67"},  {"punktegegner", "16"},  {"runden", "12"},
        {"ki", "0"},         {"zeit", "01:02:05"}, {"land", "deutschland"}, {"email", "j@x.de"}};
    const auto items = HighscoreFormItems(texts, "kelani", "5", kCheckModulus, kCheckBase);
    ASSERT_EQ(items.size(), 11u);
    const char* names[] = {"name", "punkte", "punktegegner", "runden",   "ki",   "zeit",
                           "land", "email",  "hs_name",      "hs_index", "check"};
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].Name, names[i]);
    EXPECT_EQ(items[0].Value, "J%26ouml%3Brg");
    EXPECT_EQ(items[5].Value, "01%3A02%3A05");
    const std::string joined = "j&ouml;rg66.671612001:02:05deutschlandj@x.dekelani5";
    EXPECT_EQ(items[10].Value, std::to_string(CheckValue(joined, kCheckModulus, kCheckBase)));
}

TEST(FormBody, JoinsPairsAndTurnsBlanksIntoPlus) {
    EXPECT_EQ(FormBody({}), "");
    EXPECT_EQ(FormBody({{"a b", "x y"}, {"c", ""}}), "a b=x+y&c=");
}
