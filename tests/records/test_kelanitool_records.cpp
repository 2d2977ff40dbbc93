// kelanitool's "kel" and "hs" commands, run as the built program.
#include "tests/records/RecordsTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

using kelani::test::ScratchFolder;
using kelani::test::WriteBytes;

namespace {

struct ToolRun {
    int code = -1;
    std::string out;
};

ToolRun Tool(const std::string& arguments) {
    ToolRun run;
    const std::string command = std::string(KELANITOOL) + " " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) run.out.append(buf, n);
    const int status = ::pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

TEST(KelanitoolKel, MakeThenDump) {
    ScratchFolder dir("tool-kel");
    const std::string file = dir.File("three.kel");
    const ToolRun made =
        Tool("kel make '" + file +
             "' --variant 5 --stones 4 --head 1 --first 1 --mode 1 --level 2 --name1 'J\xC3\xB6rg' "
             "--email1 j@x.de --time 3 3 8 4");
    ASSERT_EQ(made.code, 0) << made.out;
    EXPECT_NE(made.out.find("\"records\":3"), std::string::npos) << made.out;

    const ToolRun dump = Tool("kel dump '" + file + "'");
    ASSERT_EQ(dump.code, 0);
    for (const char* part :
         {"\"variante\":5", "\"schwierigkeit\":2", "\"startspieler\":1", "\"stirnmulde\":true",
          "\"steine\":4", "\"modus\":1", "\"name1\":\"J\xC3\xB6rg\"", "\"name2\":\"Spieler 2\"",
          "\"email1\":\"j@x.de\"", "\"land1\":\"europa\"", "\"movecount\":3", "\"playertime\":[",
          "{\"spieler\":1,\"zeit\":3,\"mulde\":3}", "\"valid\":true"})
        EXPECT_NE(dump.out.find(part), std::string::npos) << part << "\n" << dump.out;
}

TEST(KelanitoolKel, RefusesIllegalMovesAndFilesThatAreNoSavedGame) {
    ScratchFolder dir("tool-kel-bad");
    const std::string file = dir.File("bad.kel");
    const ToolRun illegal = Tool("kel make '" + file + "' --variant 4 --stones 4 --head 0 --first 1 2 2");
    EXPECT_EQ(illegal.code, 3);
    EXPECT_NE(illegal.out.find("{\"error\":\"illegal\",\"move\":2,\"index\":1}"), std::string::npos)
        << illegal.out;
    EXPECT_FALSE(std::filesystem::exists(file));

    EXPECT_EQ(Tool("kel make '" + file + "' --variant 9 --stones 4 --head 0 --first 1").code, 2);
    EXPECT_EQ(Tool("kel make '" + file + "' --variant 4 --stones 4 --head 0 --first 1 15").code, 2);
    WriteBytes(file, {'t', 'e', 'x', 't'});
    EXPECT_EQ(Tool("kel dump '" + file + "'").code, 2);
    EXPECT_EQ(Tool("kel dump '" + dir.File("missing.kel") + "'").code, 2);
    // 7.4 million moves in 100 KB, impossible settings, a third player: refused, nothing dumped.
    for (const char* crafted : {"many-moves.kel", "stones-255.kel", "player-3.kel"}) {
        const ToolRun damaged =
            Tool(std::string("kel dump '") + KELANI_TEST_DATA + "/damaged/" + crafted + "'");
        EXPECT_EQ(damaged.code, 2) << crafted;
        EXPECT_EQ(damaged.out, "") << crafted;
    }
}

TEST(KelanitoolHs, DumpsTheGoldenTable) {
    const ToolRun dump = Tool(std::string("hs dump '") + KELANI_TEST_DATA + "/hs5.dat'");
    ASSERT_EQ(dump.code, 0);
    for (const char* part : {"\"count\":5", "{\"rank\":1,\"name\":\"Chris\",\"punkte\":40,\"punktegegner\":8",
                             "\"name\":\"J\xC3\xB6rg\"", "\"ki\":false", "\"points\":\"62.50\"",
                             "\"time\":\"01:02:05\"", "\"time\":\"100:00:00\"", "\"land\":\"schweden\""})
        EXPECT_NE(dump.out.find(part), std::string::npos) << part << "\n" << dump.out;
    EXPECT_EQ(Tool("hs dump /nonexistent/hs4.dat").code, 2);
}
