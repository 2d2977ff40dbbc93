#include "records/uTHighscore.h"

#include "streams/JwStream.h"
#include "tests/records/RecordsTestUtil.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace kelani;
using kelani::test::ReadBytes;
using kelani::test::ScratchFolder;
using kelani::test::WriteBytes;

namespace {

int AddPlayer(THighscore& table, const std::string& name, int punkte, int gegner, int zeit) {
    return table.AddEntry(name, zeit, punkte, gegner, 10, false, name + "@x", "europa");
}

std::vector<std::string> Names(const THighscore& table) {
    std::vector<std::string> out;
    for (int i = 0; i < table.Count(); ++i) out.push_back(table.GetText("name", i));
    return out;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

} // namespace

TEST(TJwValueList, FindIgnoresAsciiLetterCaseAndKeepsTheFirst) {
    TJwValueList list;
    list.Add("punkte", TJwValueType::Integer).SetInteger(1);
    list.Add("PUNKTE", TJwValueType::Integer).SetInteger(2);
    for (const char* key : {"punkte", "Punkte", "PUNKTE", "pUnKtE"}) {
        ASSERT_NE(list.Find(key), nullptr) << key;
        EXPECT_EQ(list.Find(key)->AsInteger(), 1) << key;
    }
    EXPECT_EQ(list.Find("punkt"), nullptr);
    EXPECT_EQ(list.Find("punkte "), nullptr);
}

TEST(TJwValueList, AssignCopiesValuesAndDisplayFunctionsThatReadTheCopysSiblings) {
    auto both = [](const TJwValue& v) { return v.PlainText() + "/" + v.Owner()->Find("b")->PlainText(); };
    TJwValueList source;
    source.Add("a", TJwValueType::Integer, both).SetInteger(1);
    source.Add("b", TJwValueType::Text).SetText("x");
    TJwValueList copy;
    copy.Add("old", TJwValueType::Float);
    copy.Assign(source);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Find("old"), nullptr);
    copy.Find("b")->SetText("y");
    EXPECT_EQ(copy.Items(0).AsString(), "1/y");
    EXPECT_EQ(source.Items(0).AsString(), "1/x");
    EXPECT_EQ(copy.Items(0).Owner(), &copy);
}

TEST(TJwValue, PlainTextsAndAsIntegerByType) {
    TJwValueList list;
    TJwValue& text = list.Add("t", TJwValueType::Text);
    TJwValue& number = list.Add("i", TJwValueType::Integer);
    TJwValue& byte = list.Add("b", TJwValueType::Byte);
    TJwValue& flag = list.Add("f", TJwValueType::Boolean);
    TJwValue& real = list.Add("d", TJwValueType::Float);
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Items(i).AsString(), "") << i; // unset
    text.SetText("J\xF6rg");
    number.SetInteger(-42);
    byte.SetInteger(200);
    flag.SetBoolean(true);
    real.SetFloat(2.5);
    EXPECT_EQ(text.AsString(), "J\xF6rg");
    EXPECT_EQ(number.AsString(), "-42");
    EXPECT_EQ(byte.AsString(), "200");
    EXPECT_EQ(flag.AsString(), "-1");
    flag.SetBoolean(false);
    EXPECT_EQ(flag.AsString(), "0");
    EXPECT_EQ(real.AsString(), "2.5");
    EXPECT_EQ(number.AsInteger(), -42);
    EXPECT_EQ(byte.AsInteger(), 0);
    EXPECT_EQ(real.AsInteger(), 0);
}

TEST(TJwValueList, StreamEncodingByType) {
    TJwValueList list;
    list.Add("t", TJwValueType::Text).SetText("ab");
    list.Add("i", TJwValueType::Integer).SetInteger(-2);
    list.Add("b", TJwValueType::Byte).SetInteger(255);
    list.Add("f", TJwValueType::Boolean).SetBoolean(true);
    list.Add("d", TJwValueType::Float).SetFloat(1.0);
    TMemoryStream stream;
    list.SaveToStream(stream);
    EXPECT_EQ(stream.Bytes(),
              Bytes({2, 0, 'a', 'b', 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));

    // Loading overwrites in place; a Boolean byte other than 1 reads as false.
    std::vector<std::uint8_t> bytes = stream.Bytes();
    bytes[9] = 2;
    TMemoryStream in(bytes);
    TJwValueList shape;
    shape.Assign(list);
    shape.LoadFromStream(in);
    EXPECT_EQ(shape.Find("t")->AsString(), "ab");
    EXPECT_EQ(shape.Find("b")->AsString(), "255");
    EXPECT_EQ(shape.Find("f")->AsString(), "0");
    TMemoryStream cut(std::span(bytes.data(), bytes.size() - 1));
    EXPECT_THROW(shape.LoadFromStream(cut), EReadError);
}

TEST(THighscore, TemplateKeysInFileOrderAndTheEntryEncoding) {
    THighscore table;
    table.AddEntry("J\xF6rg", 3725, 30, 18, 12, false, "j@x.de", "deutschland");
    TMemoryStream stream;
    table.SaveToStream(stream);
    std::vector<std::uint8_t> expected = Bytes(
        {1, 0, 4, 0, 'J', 0xF6, 'r', 'g', 30, 0, 0, 0, 18, 0, 0, 0, 12, 0, 0, 0, 0, 0x8D, 0x0E, 0, 0, 11, 0});
    for (char c : std::string("deutschland")) expected.push_back(static_cast<std::uint8_t>(c));
    for (int b : std::initializer_list<int>{6, 0, 'j', '@', 'x', '.', 'd', 'e'})
        expected.push_back(static_cast<std::uint8_t>(b));
    EXPECT_EQ(stream.Bytes(), expected);

    const TJwValueList& t = table.Template();
    std::vector<std::string> keys;
    for (int i = 0; i < t.Count(); ++i) keys.push_back(t.Items(i).Name());
    EXPECT_EQ(keys, (std::vector<std::string>{"name", "punkte", "punktegegner", "runden", "ki", "zeit",
                                              "land", "email"}));
    EXPECT_EQ(table.Capacity, 20);
    EXPECT_EQ(table.Key(), std::string("Hq5Tn0WcLr8YsBk3VmZx6"));
    EXPECT_EQ(table.GameName, "kelani");
    EXPECT_EQ(table.GameIndex, "0");
    EXPECT_EQ(table.Action, "/software/highscore.add.php4");
}

TEST(THighscore, DisplayTextsOfAnEntry) {
    THighscore table;
    table.AddEntry("Ann", 3725, 30, 18, 12, false, "", "europa");
    EXPECT_EQ(table.GetText("punkte", 0), "62.50");
    EXPECT_EQ(table.GetText("zeit", 0), "01:02:05");
    EXPECT_EQ(table.GetText("ki", 0), "0");
    EXPECT_EQ(table.GetText("punktegegner", 0), "18");
    EXPECT_EQ(table.GetText("Name", 0), "Ann");
    EXPECT_EQ(table.GetText("ZEIT", 0), "01:02:05");
    EXPECT_EQ(table.GetText("nosuchkey", 0), "");
    ASSERT_NE(table.OnFilter, nullptr);
    EXPECT_FALSE(table.OnFilter(table.Entry(0))); // no e-mail address: never sent
    table.AddEntry("Bo", 1, 1, 0, 1, false, "b@x", "europa");
    EXPECT_TRUE(table.OnFilter(table.Entry(0)));
}

TEST(THighscore, TimeAndPercentTexts) {
    EXPECT_EQ(THighscore::TimeText(0), "00:00:00");
    EXPECT_EQ(THighscore::TimeText(3725), "01:02:05");
    EXPECT_EQ(THighscore::TimeText(86399), "23:59:59");
    EXPECT_EQ(THighscore::TimeText(360000), "100:00:00");
    EXPECT_EQ(THighscore::PercentText(1, 3), "33.33");
    EXPECT_EQ(THighscore::PercentText(2, 3), "66.67");
    EXPECT_EQ(THighscore::PercentText(48, 48), "100.00");
    EXPECT_EQ(THighscore::PercentText(0, 0), "0.00");
    EXPECT_EQ(THighscore::PercentText(5, 0), "0.00");
    EXPECT_EQ(THighscore::PercentText(INT32_MAX, 1), "214748364700.00");
}

TEST(THighscore, PercentTextUsesTheLocalesDecimalSeparator) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale installed";
    const std::string text = THighscore::PercentText(1, 3);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "33,33");
}

TEST(THighscore, RanksByShareOfStonesThenByShorterTime) {
    THighscore table;
    EXPECT_EQ(AddPlayer(table, "half", 24, 24, 100), 0);
    EXPECT_EQ(AddPlayer(table, "most", 40, 8, 900), 0);
    EXPECT_EQ(AddPlayer(table, "least", 1, 47, 1), 2);
    // Same share as "half" with other raw counts: the shorter time ranks first.
    EXPECT_EQ(AddPlayer(table, "halfFast", 18, 18, 50), 1);
    EXPECT_EQ(AddPlayer(table, "halfSlow", 30, 30, 200), 3);
    // Nobody owned a stone: points 0.00, ranked by time among the other zeros.
    EXPECT_EQ(AddPlayer(table, "zeroSlow", 0, 0, 80), 5);
    EXPECT_EQ(AddPlayer(table, "zeroFast", 0, 0, 20), 5);
    EXPECT_EQ(table.GetText("punkte", 5), "0.00");
    EXPECT_EQ(Names(table), (std::vector<std::string>{"most", "halfFast", "half", "halfSlow", "least",
                                                      "zeroFast", "zeroSlow"}));
    // A full tie goes behind the entries it ties with.
    EXPECT_EQ(AddPlayer(table, "halfAgain", 24, 24, 100), 3);
}

TEST(THighscore, TwentyPlacesAndMinusOneForAnEntryThatDropsOut) {
    THighscore table;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(AddPlayer(table, "p" + std::to_string(i), 40 - i, 8 + i, 10), i);
    EXPECT_EQ(table.Count(), 20);
    EXPECT_EQ(AddPlayer(table, "last", 1, 47, 10), -1);
    EXPECT_EQ(table.Count(), 20);
    EXPECT_EQ(table.GetText("name", 19), "p19");
    EXPECT_EQ(AddPlayer(table, "best", 48, 0, 10), 0);
    EXPECT_EQ(table.Count(), 20);
    EXPECT_EQ(table.GetText("name", 19), "p18");
    table.Delete(0);
    EXPECT_EQ(table.Count(), 19);
    EXPECT_EQ(table.GetText("name", 0), "p0");
}

TEST(THighscore, LoadingMoreThanTwentyKeepsTheBestTwentySorted) {
    THighscore big;
    big.Capacity = 30;
    for (int i = 0; i < 25; ++i) AddPlayer(big, "p" + std::to_string(i), i, 25 - i, 10); // worst first
    TMemoryStream stream;
    big.SaveToStream(stream);
    ASSERT_EQ(stream.Bytes()[0], 25);
    stream.SetPosition(0);
    THighscore table;
    AddPlayer(table, "gone", 1, 1, 1);
    table.LoadFromStream(stream);
    ASSERT_EQ(table.Count(), 20);
    EXPECT_EQ(table.GetText("name", 0), "p24");
    EXPECT_EQ(table.GetText("name", 19), "p5");
}

TEST(THighscore, FileRoundTripAndAMissingFile) {
    ScratchFolder dir("hs-file");
    const std::string name = THighscore::FileName(dir.Path().string(), 5);
    EXPECT_EQ(std::filesystem::path(name).filename(), "hs5.dat");
    THighscore table;
    AddPlayer(table, "kept", 30, 18, 60);
    table.LoadFromFile(name); // missing: the table stays as it is
    EXPECT_EQ(table.Count(), 1);
    AddPlayer(table, "J\xF6rg", 40, 8, 3725);
    table.SaveToFile(name);

    const std::vector<std::uint8_t> bytes = ReadBytes(name);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0x26); // the container image from its first byte: no marker before it
    EXPECT_EQ(bytes[1], 0x2A);

    THighscore loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(Names(loaded), (std::vector<std::string>{"J\xF6rg", "kept"}));
    EXPECT_EQ(loaded.GetText("zeit", 0), "01:02:05");
    EXPECT_EQ(loaded.GetText("email", 1), "kept@x");
}

TEST(THighscore, DamagedFilesRaiseTheDesignedErrorAndKeepTheTable) {
    ScratchFolder dir("hs-damaged");
    const std::string name = dir.File("hs4.dat");
    THighscore table;
    for (int i = 0; i < 5; ++i) AddPlayer(table, "p" + std::to_string(i), 40 - i, 8 + i, 10);
    table.SaveToFile(name);
    const std::vector<std::uint8_t> good = ReadBytes(name);

    std::vector<std::uint8_t> flipped = good;
    flipped[4] ^= 0x55; // inside the first cipher block: the signature fails
    WriteBytes(name, flipped);
    THighscore probe;
    AddPlayer(probe, "mine", 1, 1, 1);
    EXPECT_THROW(probe.LoadFromFile(name), ECorruptFile);
    EXPECT_EQ(Names(probe), std::vector<std::string>{"mine"});

    // A cut file either raises an error and keeps the table, or (when only cipher padding was
    // lost) still yields the whole table.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        WriteBytes(name, std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(cut)));
        THighscore cutProbe;
        AddPlayer(cutProbe, "mine", 1, 1, 1);
        try {
            cutProbe.LoadFromFile(name);
            EXPECT_EQ(Names(cutProbe), Names(table)) << cut;
        } catch (const ECorruptFile&) {
            EXPECT_EQ(Names(cutProbe), std::vector<std::string>{"mine"}) << cut;
        } catch (const EStreamError&) {
            EXPECT_EQ(Names(cutProbe), std::vector<std::string>{"mine"}) << cut;
        }
    }
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<std::uint8_t> bytes = good;
        bytes[at] ^= 0xA5;
        WriteBytes(name, bytes);
        try {
            probe.LoadFromFile(name);
            EXPECT_LE(probe.Count(), 20);
        } catch (const ECorruptFile&) {
        } catch (const EStreamError&) {
        }
    }
}

TEST(THighscore, FailedSaveLeavesTheOldFileIntact) {
    ScratchFolder dir("hs-failsave");
    const std::string name = dir.File("hs6.dat");
    THighscore table;
    AddPlayer(table, "old", 30, 18, 60);
    table.SaveToFile(name);
    const std::vector<std::uint8_t> before = ReadBytes(name);
    table.AddEntry(std::string(70000, 'n'), 1, 48, 0, 1, false, "", "");
    EXPECT_THROW(table.SaveToFile(name), EWriteError);
    EXPECT_EQ(ReadBytes(name), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1); // no temp file left
}
