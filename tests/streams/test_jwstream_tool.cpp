// kelanitool container, run as the real program: pack, list, extract, and the refusals.
#include "streams/JwStream.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelani;
namespace fs = std::filesystem;

namespace {

struct Result {
    int code;
    std::string out;
};

Result Tool(const std::string& arguments) {
    const std::string command =
        std::string(KELANI_PROGRAM_DIR) + "/kelanitool container " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    Result r{-1, ""};
    std::array<char, 4096> buf;
    for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), pipe)) > 0;) r.out.append(buf.data(), n);
    const int status = pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class ContainerTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kelani-container-tool-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "in");
        Write(dir_ / "in" / "st1.bmp", "BM stone picture");
        Write(dir_ / "in" / "bg.jpg", std::string(5000, 'j'));
    }
    void TearDown() override { fs::remove_all(dir_); }

    static void Write(const fs::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string Path(const std::string& name) const { return "'" + (dir_ / name).string() + "'"; }

    fs::path dir_;
};

} // namespace

TEST_F(ContainerTool, PackListExtractRoundTrip) {
    Result packed = Tool("pack " + Path("game.gfx") + " " + Path("in/st1.bmp") + " " + Path("in/bg.jpg"));
    ASSERT_EQ(packed.code, 0);
    EXPECT_NE(packed.out.find("\"entries\":2,\"compressed\":true,\"encrypted\":false"), std::string::npos);

    TJwStreams c; // the library reads what the tool wrote
    c.LoadFromFile(dir_ / "game.gfx");
    ASSERT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Names(0), "bg.jpg");

    const Result list = Tool("list " + Path("game.gfx"));
    EXPECT_EQ(list.out, "{\"file\":\"" + (dir_ / "game.gfx").string() +
                            "\",\"compressed\":true,\"encrypted\":false,\"entries\":2}\n"
                            "{\"name\":\"bg.jpg\",\"size\":5000}\n{\"name\":\"st1.bmp\",\"size\":16}\n");

    ASSERT_EQ(Tool("extract " + Path("game.gfx") + " ST1.BMP " + Path("one.bmp")).code, 0);
    EXPECT_EQ(Read(dir_ / "one.bmp"), "BM stone picture");
    ASSERT_EQ(Tool("extract " + Path("game.gfx") + " '*' " + Path("all")).code, 0);
    EXPECT_EQ(Read(dir_ / "all" / "bg.jpg"), std::string(5000, 'j'));
    EXPECT_EQ(Tool("extract " + Path("game.gfx") + " missing.bmp " + Path("x")).code, 2);
}

TEST_F(ContainerTool, StoredEncipheredAndWrongKey) {
    ASSERT_EQ(Tool("pack " + Path("hs4.dat") + " " + Path("in/st1.bmp") + " --stored --key geheim").code, 0);
    const std::string image = Read(dir_ / "hs4.dat");
    EXPECT_EQ(image.substr(0, 2), " *");
    EXPECT_EQ(Tool("list " + Path("hs4.dat") + " --key geheim").code, 0);
    EXPECT_EQ(Tool("list " + Path("hs4.dat") + " --key falsch").code, 2);
    EXPECT_EQ(Tool("list " + Path("hs4.dat")).code, 2);
}

TEST_F(ContainerTool, RefusesUnsafeEntryNamesAndDuplicateFiles) {
    TJwStreams evil;
    TMemoryStream data(std::string_view("x"));
    evil.AddStream("../escape.txt", data);
    TMemoryStream image;
    evil.SaveToStream(image);
    SaveFileAtomically(dir_ / "evil.gfx", image);
    EXPECT_EQ(Tool("extract " + Path("evil.gfx") + " '*' " + Path("out")).code, 2);
    EXPECT_FALSE(fs::exists(dir_ / "escape.txt"));

    fs::create_directories(dir_ / "other");
    Write(dir_ / "other" / "ST1.bmp", "second");
    EXPECT_EQ(Tool("pack " + Path("dup.gfx") + " " + Path("in/st1.bmp") + " " + Path("other/ST1.bmp")).code,
              2);
    EXPECT_FALSE(fs::exists(dir_ / "dup.gfx"));
}
