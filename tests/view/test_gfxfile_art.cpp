// The game's own five containers, as the build paints them into the program folder: every entry
// the game asks for is there and decodes.
#include "components/uFolders.h"
#include "view/uTGFXFile.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelani {
namespace {

struct Wanted {
    const char* container;
    std::vector<std::string> bitmaps;
    std::vector<std::string> jpegs;
};

std::vector<std::string> Numbered(const char* pattern, std::initializer_list<int> numbers) {
    std::vector<std::string> names;
    for (int n : numbers) names.push_back(QString::asprintf(pattern, n).toStdString());
    return names;
}

std::vector<std::string> HandEntries() {
    std::vector<std::string> names;
    for (const char* player : {"t", ""}) {
        for (const char* kind : {"pl", "ml"})
            for (const std::string& n : Numbered("-hand%4.4d.bmp", {0, 1, 3, 5, 7, 9, 11}))
                names.push_back(player + std::string(kind) + n);
        for (const char* kind : {"pr", "mr"})
            for (const std::string& n : Numbered("-hand%4.4d.bmp", {0, 2, 4}))
                names.push_back(player + std::string(kind) + n);
    }
    return names;
}

std::vector<Wanted> GameContainers() {
    return {
        {"steine.gfx", Numbered("st%d.bmp", {1, 2, 3, 4, 5, 6, 7, 8, 9}), {}},
        {"mulden.gfx", Numbered("mst%d.bmp", {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13}), {}},
        {"hands.gfx", HandEntries(), {}},
        {"game.gfx",
         {"golden.bmp", "us_overview.bmp", "us_preview.bmp", "de_overview.bmp", "de_preview.bmp", "smbrett"},
         {"bg.jpg"}},
        {"holz.gfx", {}, {"holzl", "holzw", "holzv"}}};
}

class ArtContainers : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderForTests(QStringLiteral(KELANI_PROGRAM_DIR));
        for (const Wanted& w : GameContainers())
            ASSERT_TRUE(QFileInfo::exists(QStringLiteral(KELANI_PROGRAM_DIR "/") + w.container))
                << w.container << " has not been painted in this build";
    }
    void TearDown() override { SetProgramFolderForTests({}); }
};

TEST_F(ArtContainers, EveryEntryTheGameAsksForLoads) {
    EXPECT_EQ(HandEntries().size(), 40u);
    for (const Wanted& w : GameContainers()) {
        TGFXFile gfx = OpenGfxFile(w.container);
        QImage picture;
        for (const std::string& name : w.bitmaps) {
            EXPECT_NO_THROW(gfx.LoadBitmap(name, picture)) << w.container << " " << name;
            EXPECT_FALSE(picture.isNull()) << w.container << " " << name;
        }
        for (const std::string& name : w.jpegs) {
            EXPECT_NO_THROW(gfx.LoadJPEG(name, picture)) << w.container << " " << name;
            EXPECT_FALSE(picture.isNull()) << w.container << " " << name;
        }
    }
}

TEST_F(ArtContainers, TheBackgroundIsTheBoardsFullSize) {
    EXPECT_EQ(LoadGfxJPEG("game.gfx", "bg.jpg").size(), QSize(720, 520));
}

} // namespace
} // namespace kelani
