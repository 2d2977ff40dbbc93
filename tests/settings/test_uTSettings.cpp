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

TEST(KelaniSettings, SaveWritesExactlyOneAnimationKeyAndKeepsTheRest) {
    test::TempFolder folder;
    { std::ofstream(folder.File("settings.ini"), std::ios::binary) << "[settings]\r\nlanguage=english\r\n"; }
    TKelaniSettings settings(folder.Path());
    settings.Sound = false;
    settings.Animation = kStoneAnimation;
    settings.Maximized = true;
    settings.Save();
    const TIniFile ini(folder.File("settings.ini"));
    EXPECT_EQ(ini.ReadString("settings", "language", ""), "english");
    EXPECT_EQ(ini.ReadString("settings", "sound", ""), "0");
    EXPECT_EQ(ini.ReadString("settings", "handani", ""), "0");
    EXPECT_EQ(ini.ReadString("settings", "stoneani", ""), "1");
    EXPECT_EQ(ini.ReadString("settings", "noani", ""), "0");
    EXPECT_EQ(ini.ReadString("settings", "maximized", ""), "1");

    TKelaniSettings again(folder.Path());
    again.Load();
    EXPECT_FALSE(again.Sound);
    EXPECT_EQ(again.Animation, kStoneAnimation);
    EXPECT_TRUE(again.Maximized);
}

TEST(KelaniSettings, SaveIntoMissingFolderThrows) {
    test::TempFolder folder;
    TKelaniSettings settings(folder.File("gone"));
    EXPECT_THROW(settings.Save(), EIniFileException);
}
