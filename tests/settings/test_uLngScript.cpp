#include "settings/uLngScript.h"

#include <gtest/gtest.h>

using namespace kelani;

namespace {

TScriptEntry Entry(const std::string& line) {
    TScriptEntry entry;
    EXPECT_TRUE(ParseScriptEntry(line, entry)) << line;
    return entry;
}

const TStrings kScript = {
    "Caption=Vor jeder Sektion",
    "  [German]  ",
    "; a comment",
    "",
    "\tlDesc.Caption = 'Hallo Welt'  ",
    "msgquit=Wirklich beenden?",
    "MsgQuit=anders geschrieben",
    "kein Eintrag",
    "[english]",
    "lDesc.Caption='Hello world'",
    "msgquit=Quit?",
    "[GERMAN",
    "stone=Stein",
};

} // namespace

TEST(LngScript, ApostrophesAroundTheValueAreRemovedOnce) {
    EXPECT_EQ(Entry("a=''").Value, "");
    EXPECT_EQ(Entry("a='").Value, "'");
    EXPECT_EQ(Entry("a='''").Value, "'");
    EXPECT_EQ(Entry("a='it''s'").Value, "it''s"); // no doubling rule
    EXPECT_EQ(Entry("a=don't").Value, "don't");
    EXPECT_EQ(Entry("a=' Modus '").Value, " Modus "); // blanks inside the quotes stay
}

TEST(LngScript, KeyAndValueAreTrimmedAndSplitAtTheFirstEquals) {
    const auto entry = Entry("  rgModus.Items =  a=b ");
    EXPECT_EQ(entry.Key, "rgModus.Items");
    EXPECT_EQ(entry.Value, "a=b");
    TScriptEntry none;
    EXPECT_FALSE(ParseScriptEntry("no equals sign", none));
    EXPECT_EQ(Entry("=x").Key, "");
}

TEST(LngScript, BackslashNBecomesALineBreakAndNothingElseIsEscaped) {
    EXPECT_EQ(Entry("rgModus.Items='A\\nB\\nC'").Value, "A\r\nB\r\nC");
    EXPECT_EQ(Entry("c_helpfile=hilfe\\start.htm").Value, "hilfe\\start.htm");
    EXPECT_EQ(Entry("a=x\\\\ny").Value, "x\\\r\ny");
    EXPECT_EQ(Entry("a=\\t").Value, "\\t");
}

TEST(LngScript, SectionHoldsOnlyItsTrimmedEntryLines) {
    const TStrings german = ExtractScriptSection(kScript, "german");
    const TStrings expected = {"lDesc.Caption = 'Hallo Welt'", "msgquit=Wirklich beenden?",
                               "MsgQuit=anders geschrieben", "kein Eintrag", "stone=Stein"};
    EXPECT_EQ(german, expected);
    EXPECT_EQ(ExtractScriptSection(kScript, "ENGLISH").size(), 2u);
    EXPECT_EQ(ExtractScriptSection(kScript, ""), TStrings{"Caption=Vor jeder Sektion"});
    EXPECT_TRUE(ExtractScriptSection(kScript, "french").empty());
}

TEST(LngScript, KeyLookupIsExact) {
    const TStrings german = ExtractScriptSection(kScript, "german");
    EXPECT_EQ(ScriptString(german, "msgquit"), "Wirklich beenden?");
    EXPECT_EQ(ScriptString(german, "MsgQuit"), "anders geschrieben");
    EXPECT_EQ(ScriptString(german, "MSGQUIT"), "");
    EXPECT_EQ(ScriptString(german, "lDesc.Caption"), "Hallo Welt");
    EXPECT_EQ(ScriptString(german, "kein Eintrag"), "");
}

TEST(LngScript, SplitsEveryKindOfLineEnd) {
    EXPECT_EQ(SplitScriptLines("a\r\nb\nc\rd"), (TStrings{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitScriptLines("a\r\n\r\nb\n"), (TStrings{"a", "", "b"}));
    EXPECT_TRUE(SplitScriptLines("").empty());
}

TEST(LngScript, IntegerValuesFromNumbersNamesAndHex) {
    int v = 0;
    EXPECT_TRUE(ScriptValueToInt("12", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(ScriptValueToInt("crHandPoint", v));
    EXPECT_EQ(v, -21);
    EXPECT_TRUE(ScriptValueToInt("CLWHITE", v));
    EXPECT_EQ(v, 0xFFFFFF);
    EXPECT_TRUE(ScriptValueToInt("clRed", v)); // the toolkit's colours are 0x00BBGGRR
    EXPECT_EQ(v, 0x0000FF);
    EXPECT_TRUE(ScriptValueToInt("clBtnFace", v));
    EXPECT_EQ(static_cast<unsigned>(v), 0xFF00000Fu);
    EXPECT_TRUE(ScriptValueToInt("DEFAULT_CHARSET", v));
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(ScriptValueToInt("#FF8040", v));
    EXPECT_EQ(v, 0xFF8040);
    v = 99;
    for (const char* bad : {"", "#", "#xyz", "clNoSuchColour", "zwölf"})
        EXPECT_FALSE(ScriptValueToInt(bad, v)) << bad;
    EXPECT_EQ(v, 99);
}
