#include "settings/uIniFile.h"

#include "tests/support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace kelani;

namespace {

void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(TryStrToInt, DecimalAndBothHexadecimalForms) {
    int v = 0;
    EXPECT_TRUE(TryStrToInt("42", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(TryStrToInt(" -17 ", v));
    EXPECT_EQ(v, -17);
    EXPECT_TRUE(TryStrToInt("$1F", v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(TryStrToInt("0x1f", v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v)); // 32 bits wrap into the sign
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(TryStrToInt("2147483647", v));
    EXPECT_EQ(v, 2147483647);
}

TEST(TryStrToInt, RejectsEverythingElse) {
    int v = 7;
    for (const char* bad :
         {"", " ", "abc", "12abc", "1 2", "$", "0x", "$123456789", "2147483648", "-", "1.5"})
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
    EXPECT_EQ(v, 7);
}

TEST(IniFile, MissingFileSectionOrKeyYieldsDefaults) {
    test::TempFolder folder;
    const TIniFile ini(folder.File("settings.ini"));
    EXPECT_EQ(ini.ReadString("settings", "language", ""), "");
    EXPECT_EQ(ini.ReadInteger("newgame", "variant", 3), 3);
    EXPECT_TRUE(ini.ReadBool("settings", "sound", true));
    EXPECT_FALSE(ini.SectionExists("settings"));
}

TEST(IniFile, SectionsAndKeysIgnoreLetterCaseAndValuesAreTrimmed) {
    test::TempFolder folder;
    WriteFile(folder.File("a.ini"),
              "[Settings]\r\n Language = english \r\nSOUND=0\r\n[newgame]\nstones=$6\n");
    const TIniFile ini(folder.File("a.ini"));
    EXPECT_EQ(ini.ReadString("settings", "language", ""), "english");
    EXPECT_FALSE(ini.ReadBool("SETTINGS", "sound", true));
    EXPECT_EQ(ini.ReadInteger("NewGame", "Stones", 4), 6);
    EXPECT_EQ(ini.ReadString("newgame", "language", "none"), "none"); // keys belong to their section
}

TEST(IniFile, IntegersAndBooleansFallBackOnBadText) {
    test::TempFolder folder;
    WriteFile(folder.File("a.ini"), "[s]\nnum=zwei\nhex=0x10\nflag=5\noff=0\nempty=\n");
    const TIniFile ini(folder.File("a.ini"));
    EXPECT_EQ(ini.ReadInteger("s", "num", 9), 9);
    EXPECT_EQ(ini.ReadInteger("s", "hex", 9), 16);
    EXPECT_EQ(ini.ReadInteger("s", "empty", 9), 9);
    EXPECT_TRUE(ini.ReadBool("s", "flag", false)); // any value but 0 is true
    EXPECT_FALSE(ini.ReadBool("s", "off", true));
    EXPECT_TRUE(ini.ReadBool("s", "num", true)); // unreadable: the default
}

TEST(IniFile, FirstWriteCreatesFileAndSection) {
    test::TempFolder folder;
    TIniFile ini(folder.File("settings.ini"));
    ini.WriteString("settings", "language", "german");
    ini.WriteInteger("newgame", "variant", 5);
    EXPECT_EQ(ReadFile(folder.File("settings.ini")),
              "[settings]\r\nlanguage=german\r\n[newgame]\r\nvariant=5\r\n");
    EXPECT_EQ(ini.ReadInteger("newgame", "variant", 3), 5);
}

TEST(IniFile, WriteEditsInPlaceAndKeepsEveryOtherLine) {
    test::TempFolder folder;
    WriteFile(folder.File("a.ini"),
              "; kept comment\r\n[Settings]\r\nSound=1\r\nlanguage=german\r\n\r\n[newgame]\r\nmode=2\r\n");
    TIniFile ini(folder.File("a.ini"));
    ini.WriteBool("settings", "sound", false);
    ini.WriteString("SETTINGS", "maximized", "1"); // new key: end of its section, before the blank line
    ini.WriteString("newgame", "name1", "J\xF6rg");
    EXPECT_EQ(ReadFile(folder.File("a.ini")), "; kept comment\r\n[Settings]\r\nSound=0\r\nlanguage=german\r\n"
                                              "maximized=1\r\n\r\n[newgame]\r\nmode=2\r\nname1=J\xF6rg\r\n");
}

TEST(IniFile, TwoObjectsOnOneFileAgree) {
    test::TempFolder folder;
    TIniFile writer(folder.File("a.ini"));
    const TIniFile reader(folder.File("a.ini"));
    writer.WriteString("settings", "language", "english");
    EXPECT_EQ(reader.ReadString("settings", "language", ""), "english");
}

TEST(IniFile, ValueWithLineBreaksCannotInjectKeys) {
    test::TempFolder folder;
    TIniFile ini(folder.File("a.ini"));
    ini.WriteString("newgame", "mail1", "a@b.de\r\n[settings]\r\nlanguage=evil");
    EXPECT_FALSE(ini.SectionExists("settings"));
    EXPECT_EQ(ini.ReadString("newgame", "mail1", ""), "a@b.de  [settings]  language=evil");
    EXPECT_THROW(ini.WriteString("newgame", "a=b", "1"), std::invalid_argument);
}

TEST(IniFile, RefusedWriteRaisesTheDesignedMessage) {
    test::TempFolder folder;
    const std::string name = folder.File("missing-folder/settings.ini");
    TIniFile ini(name);
    try {
        ini.WriteString("settings", "language", "german");
        FAIL() << "write into a missing folder succeeded";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), "nach " + name + " kann nicht geschrieben werden");
        EXPECT_EQ(e.FileName(), name);
        EXPECT_EQ(e.Failure(), TSaveFailure::FolderRefuses);
    }
    EXPECT_EQ(ini.ReadString("settings", "language", "none"), "none"); // reads still never fail
}

// settings.ini is written as saved games are.
TEST(IniFile, AReadOnlyFileIsNotReplacedEvenForRoot) {
    namespace fs = std::filesystem;
    test::TempFolder folder;
    const std::string name = folder.File("settings.ini");
    WriteFile(name, "[settings]\r\nsound=1\r\n");
    fs::permissions(name, fs::perms(0444));
    TIniFile ini(name);
    try {
        ini.WriteBool("settings", "sound", false);
        FAIL() << "a read-only file was replaced";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.FileName(), name);
        EXPECT_EQ(e.Failure(), TSaveFailure::ReadOnly);
    }
    EXPECT_EQ(ReadFile(name), "[settings]\r\nsound=1\r\n");
    EXPECT_EQ(fs::status(name).permissions() & fs::perms::all, fs::perms(0444));
}

TEST(IniFile, ALinkIsWrittenThroughTheModeKeptAndNoPlantedLinkFollowed) {
    namespace fs = std::filesystem;
    test::TempFolder folder;
    fs::create_directory(folder.File("real"));
    const std::string real = folder.File("real/settings.ini");
    WriteFile(real, "[settings]\r\nsound=1\r\n");
    fs::permissions(real, fs::perms(0600));
    const std::string link = folder.File("settings.ini");
    fs::create_symlink(real, link);
    // A link planted where a temporary file of a fixed name would go must not be written through.
    const std::string victim = folder.File("victim");
    WriteFile(victim, "untouched");
    fs::create_symlink(victim, link + ".new");
    fs::create_symlink(victim, real + ".new");

    TIniFile(link).WriteBool("settings", "sound", false);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "[settings]\r\nsound=0\r\n");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms(0600));
    EXPECT_EQ(ReadFile(victim), "untouched");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.File("real")), {}), 2) << "no temporary file left";
}
