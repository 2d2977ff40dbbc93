#include "settings/uTSettings.h"

#include "settings/uIniFile.h"

#include "tests/support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace kelani;

namespace {

TKelaniSettings Loaded(const test::TempFolder& folder, const std::string& text) {
    std::ofstream(folder.File("settings.ini"), std::ios::binary) << text;
    TKelaniSettings settings(folder.Path());
    settings.Load();
    return settings;
}

} // namespace

TEST(KelaniSettings, FreshInstallationMeansSoundAndHandAnimation) {
    test::TempFolder folder;
    TKelaniSettings settings(folder.Path());
    settings.Load();
    EXPECT_TRUE(settings.Sound);
    EXPECT_EQ(settings.Animation, kHandAnimation);
    EXPECT_FALSE(settings.Maximized);
    EXPECT_FALSE(settings.HighContrast);
    EXPECT_FALSE(settings.LargeNotes);
}

TEST(KelaniSettings, LaterAnimationKeyWins) {
    test::TempFolder folder;
    EXPECT_EQ(Loaded(folder, "[settings]\nhandani=1\nnoani=1\n").Animation, kNoAnimation);
    EXPECT_EQ(Loaded(folder, "[settings]\nhandani=1\nstoneani=1\n").Animation, kStoneAnimation);
    EXPECT_EQ(Loaded(folder, "[settings]\nhandani=0\nstoneani=0\nnoani=0\n").Animation, kNoAnimation);
    EXPECT_EQ(Loaded(folder, "[settings]\nstoneani=1\n").Animation, kStoneAnimation); // handani defaults on
}

TEST(KelaniSettings, ReadsSoundAndWindowState) {
    test::TempFolder folder;
    const auto settings = Loaded(folder, "[Settings]\nsound=0\nmaximized=$1\n");
    EXPECT_FALSE(settings.Sound);
    EXPECT_TRUE(settings.Maximized);
}

TEST(KelaniSettings, MasterTimeOutsideItsRangeFallsBackToOneSecond) {
    test::TempFolder folder;
    EXPECT_EQ(Loaded(folder, "[settings]\n").MasterTime, 1000);
    EXPECT_EQ(Loaded(folder, "[settings]\nmastertime=50\n").MasterTime, 50);
    EXPECT_EQ(Loaded(folder, "[settings]\nmastertime=10000\n").MasterTime, 10000);
    EXPECT_EQ(Loaded(folder, "[settings]\nmastertime=49\n").MasterTime, 1000);
    EXPECT_EQ(Loaded(folder, "[settings]\nmastertime=10001\n").MasterTime, 1000);
    EXPECT_EQ(Loaded(folder, "[settings]\nmastertime=fast\n").MasterTime, 1000);
}

TEST(KelaniSettings, SaveWritesExactlyOneAnimationKeyAndKeepsTheRest) {
    test::TempFolder folder;
    { std::ofstream(folder.File("settings.ini"), std::ios::binary) << "[settings]\r\nlanguage=english\r\n"; }
    TKelaniSettings settings(folder.Path());
    settings.Sound = false;
    settings.Animation = kStoneAnimation;
    settings.Maximized = true;
    settings.LargeNotes = true;
    settings.Save();
    const TIniFile ini(folder.File("settings.ini"));
    EXPECT_EQ(ini.ReadString("settings", "language", ""), "english");
    EXPECT_EQ(ini.ReadString("settings", "sound", ""), "0");
    EXPECT_EQ(ini.ReadString("settings", "handani", ""), "0");
    EXPECT_EQ(ini.ReadString("settings", "stoneani", ""), "1");
    EXPECT_EQ(ini.ReadString("settings", "noani", ""), "0");
    EXPECT_EQ(ini.ReadString("settings", "maximized", ""), "1");
    EXPECT_EQ(ini.ReadString("settings", "highcontrast", ""), "0");
    EXPECT_EQ(ini.ReadString("settings", "largenotes", ""), "1");

    TKelaniSettings again(folder.Path());
    again.Load();
    EXPECT_FALSE(again.Sound);
    EXPECT_EQ(again.Animation, kStoneAnimation);
    EXPECT_TRUE(again.Maximized);
    EXPECT_FALSE(again.HighContrast);
    EXPECT_TRUE(again.LargeNotes);
}

TEST(KelaniSettings, SaveIntoMissingFolderThrows) {
    test::TempFolder folder;
    TKelaniSettings settings(folder.File("gone"));
    EXPECT_THROW(settings.Save(), EIniFileException);
}

TEST(KelaniSettings, LanguageIsEmptyUntilChosenAndKeepsTheOtherKeys) {
    test::TempFolder folder;
    TKelaniSettings settings(folder.Path());
    EXPECT_EQ(settings.Language(), "");
    settings.Sound = true;
    settings.Save();
    settings.SaveLanguage("english");
    EXPECT_EQ(settings.Language(), "english");
    const TIniFile ini(folder.File("settings.ini"));
    EXPECT_EQ(ini.ReadString("settings", "language", ""), "english");
    EXPECT_EQ(ini.ReadString("settings", "sound", ""), "1");
    EXPECT_THROW(TKelaniSettings(folder.File("gone")).SaveLanguage("german"), EIniFileException);
}

TEST(KelaniSettings, NewGameChoicesFallBackKeyByKeyAndRoundTrip) {
    test::TempFolder folder;
    std::ofstream(folder.File("settings.ini"), std::ios::binary)
        << "[NewGame]\nmode=2\nname1=Anna\nusehead=0\n";
    TKelaniSettings settings(folder.Path());
    TNewGameChoices defaults;
    defaults.Name1 = "Spieler1";
    defaults.Name2 = "Spieler2";
    TNewGameChoices c = settings.NewGameChoices(defaults);
    EXPECT_EQ(c.Mode, 2);
    EXPECT_EQ(c.Name1, "Anna");
    EXPECT_FALSE(c.UseHead);
    EXPECT_EQ(c.Name2, "Spieler2");
    EXPECT_EQ(c.Variant, 3);
    EXPECT_EQ(c.Stones, 4);

    c = {1, 0, 5, 6, true, "B\xE4r", "Zoe", "b@x.de", "", 3, 7};
    settings.SaveNewGameChoices(c);
    const TNewGameChoices back = settings.NewGameChoices({});
    EXPECT_EQ(back.Difficulty, 1);
    EXPECT_EQ(back.Variant, 5);
    EXPECT_EQ(back.Stones, 6);
    EXPECT_EQ(back.Name1, "B\xE4r");
    EXPECT_EQ(back.Mail1, "b@x.de");
    EXPECT_EQ(back.Land2, 7);
    EXPECT_EQ(TIniFile(folder.File("settings.ini")).ReadString("newgame", "variant", ""), "5");
}

TEST(KelaniSettings, WorldwideKeysReplaceOnlyWhatIsStored) {
    test::TempFolder folder;
    std::ofstream(folder.File("settings.ini"), std::ios::binary) << "[Worldwide]\nServer=127.0.0.1:8080\n";
    std::string server = "default.example", viewUrl = "http://default.example/";
    TKelaniSettings(folder.Path()).ReadWorldwide(server, viewUrl);
    EXPECT_EQ(server, "127.0.0.1:8080");
    EXPECT_EQ(viewUrl, "http://default.example/");
}
