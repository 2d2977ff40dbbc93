// kelani-screens: composes review pictures of the painted artwork the way the game shows it.
//   kelani-screens <program folder> <pictures folder> <output folder>
// Reads the five graphics containers from the program folder, draws stones with their pile
// offsets and pit rims, lights pits up, lays every hand frame over the board (mask by AND, then
// picture by XOR), writes the numeric sketches onto the small boards, and saves PNG files.
#include "game/uTFeld.h"
#include "streams/JwStream.h"
#include "tools/art/BoardGeometry.h"
#include "tools/art/Compose.h"
#include "view/uTCanvas.h"
#include "view/uTFeldSketch.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <exception>
#include <map>

using namespace kelani;
using namespace kelani::art;

namespace {

class TGfx {
public:
    TGfx(const QString& folder, const char* file) {
        streams_.LoadFromFile((folder + "/" + file).toStdString());
    }
    QImage Image(const std::string& name) const {
        TMemoryStream s;
        streams_.GetStream(name, s);
        const auto& b = s.Bytes();
        QImage img = QImage::fromData(b.data(), int(b.size()));
        if (img.isNull()) throw std::runtime_error("missing or undecodable entry " + name);
        return img.convertToFormat(QImage::Format_RGB32);
    }

private:
    TJwStreams streams_;
};

struct TArt {
    QImage board;
    TStoneArt stones;
    QImage golden, smbrett;
    std::map<std::string, QImage> game, hands;
};

// The start of a game of variant 4 with four stones a pit, player 1 to move.
TFeld StartPosition() {
    TFeld feld;
    feld.SetVariante(4);
    feld.SetSteineProMulde(4);
    feld.Reset();
    feld.SetAktSpieler(1);
    return feld;
}

QImage WithStones(const TArt& art, const std::array<int, 15>& counts) {
    QImage img = art.board;
    DrawPosition(img, art.stones, counts);
    return img;
}

// Every review picture's name starts with "art_", so the folder can be shared with other reviews.
void Save(const QImage& img, const QString& out, const char* name) {
    if (!img.save(out + "/art_" + name)) throw std::runtime_error(std::string("cannot write ") + name);
}

std::string HandName(int player, bool pick, bool mask, int frame) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%s%c-hand%4.4d.bmp", player == 1 ? "t" : "", mask ? "m" : "p",
                  pick ? 'l' : 'r', frame);
    return buf;
}

QImage HandScene(const TArt& art, int player, bool pick, int frame, QPoint pos, int held) {
    QImage img = art.board;
    const QPoint hot = pick ? kPickHotSpot[player] : kSowHotSpot[player];
    DrawAndXor(img, pos - hot, art.hands.at(HandName(player, pick, false, frame)),
               art.hands.at(HandName(player, pick, true, frame)));
    if (pick && held > 0 && frame >= 9)
        DrawKeyed(img, pos + PileOffset(held) + kHeldStonesOffset[player],
                  art.stones.piles.at(std::min(held, 9)), qRgb(255, 0, 0));
    return img;
}

// One strip per hand: every frame over the same pit, cropped around the pit.
QImage HandStrip(const TArt& art, int player, bool pick) {
    const std::vector<int> frames = pick ? std::vector<int>{0, 1, 3, 5, 7, 9, 11} : std::vector<int>{0, 2, 4};
    const int place = player == 1 ? 3 : 10;
    const QPoint pos = kPitRects[place].Rect().center();
    const QRect crop(pos - QPoint(110, player == 1 ? 200 : 60), QSize(220, 260));
    QImage strip(crop.width() * int(frames.size()), crop.height(), QImage::Format_RGB32);
    QPainter p(&strip);
    for (std::size_t i = 0; i < frames.size(); ++i)
        p.drawImage(int(i) * crop.width(), 0, HandScene(art, player, pick, frames[i], pos, 4).copy(crop));
    return strip;
}

TArt Load(const QString& dir) {
    TArt art;
    TGfx game(dir, "game.gfx"), steine(dir, "steine.gfx"), mulden(dir, "mulden.gfx"), hands(dir, "hands.gfx");
    art.board = game.Image("bg.jpg");
    art.golden = game.Image("golden.bmp");
    art.smbrett = game.Image("smbrett");
    for (const char* n : {"de_overview.bmp", "de_preview.bmp", "us_overview.bmp", "us_preview.bmp"})
        art.game[n] = game.Image(n);
    for (int n = 1; n <= 9; ++n) art.stones.piles[n] = steine.Image("st" + std::to_string(n) + ".bmp");
    for (int n = 1; n <= 13; ++n)
        if (n != 7) art.stones.rims[n] = mulden.Image("mst" + std::to_string(n) + ".bmp");
    for (int player : {1, 2})
        for (bool pick : {true, false})
            for (int f : pick ? std::vector<int>{0, 1, 3, 5, 7, 9, 11} : std::vector<int>{0, 2, 4})
                for (bool mask : {false, true})
                    art.hands[HandName(player, pick, mask, f)] = hands.Image(HandName(player, pick, mask, f));
    return art;
}

void RenderBoards(const TArt& art, const QString& out, const QString& lang) {
    QImage bare = art.board;
    QPainter(&bare).drawImage(kOverviewCaption, art.game.at((lang + "_overview.bmp").toStdString()));
    QPainter(&bare).drawImage(kPreviewCaption, art.game.at((lang + "_preview.bmp").toStdString()));
    TArt captioned = art;
    captioned.board = bare;
    const std::array<int, 15> counts{0, 1, 2, 3, 4, 5, 6, 15, 7, 8, 9, 12, 4, 4, 8};
    QImage stones = WithStones(captioned, counts);
    // The overview rings pit 3 under the pointer; the preview shows the board after sowing it.
    TFeld feld = StartPosition();
    TCanvas canvas(stones);
    DrawFeldSketch(canvas, feld, kOverviewSketch.x(), kOverviewSketch.y(), 3);
    feld.DoMove(3);
    DrawFeldSketch(canvas, feld, kPreviewSketch.x(), kPreviewSketch.y(), -1);
    Save(stones, out, lang == "de" ? "board_stones_de.png" : "board_stones_us.png");
}

void Render(const QString& dir, const QString& pictures, const QString& out) {
    const TArt art = Load(dir);
    QDir().mkpath(out);
    Save(art.board, out, "board_bare.png");
    RenderBoards(art, out, "de");
    RenderBoards(art, out, "us");
    QImage lit = WithStones(art, {0, 9, 1, 0, 2, 3, 4, 20, 5, 6, 0, 7, 8, 10, 1});
    for (int place : {2, 7, 11}) {
        const TBox& b = kPitRects[place];
        DrawKeyed(
            lit,
            QPoint(b.l + (b.Width() - art.golden.width()) / 2, b.t + (b.Height() - art.golden.height()) / 2),
            art.golden, qRgb(255, 255, 255));
    }
    Save(lit, out, "board_highlight.png");
    for (int player : {1, 2}) {
        Save(HandStrip(art, player, true), out, player == 1 ? "hands_p1_pick.png" : "hands_p2_pick.png");
        Save(HandStrip(art, player, false), out, player == 1 ? "hands_p1_sow.png" : "hands_p2_sow.png");
    }
    // A move in progress: player 1 takes from pit 3 with his sowing hand beside it, player 2's
    // sowing hand drops a stone into pit 11.
    const QPoint pit3 = kPitRects[3].Rect().center(), pit11 = kPitRects[11].Rect().center();
    QImage scene = HandScene(art, 1, true, 11, pit3, 4);
    TArt withScene = art;
    withScene.board = scene;
    scene = HandScene(withScene, 1, false, 0, pit3 + QPoint(-140, 0), 0);
    withScene.board = scene;
    scene = HandScene(withScene, 2, false, 4, pit11, 0);
    Save(scene, out, "board_hands.png");
    // The small board of the history after player 1 opened with pit 2, drawn by the game's sketch.
    QImage small = art.smbrett;
    TFeld feld = StartPosition();
    feld.DoMove(2);
    TCanvas canvas(small);
    DrawFeldSketch(canvas, feld, 8, 9, 2);
    Save(small.scaled(small.size() * 3), out, "smbrett_sketch.png");
    TGfx holz(dir, "holz.gfx");
    Save(holz.Image("holzl"), out, "holzl.png");
    Save(holz.Image("holzw"), out, "holzw.png");
    QImage sheet(900, 960, QImage::Format_RGB32);
    sheet.fill(QColor(200, 200, 200));
    QPainter p(&sheet);
    int x = 10, y = 10, rowH = 0;
    for (const QString& name : QDir(pictures).entryList({"*.png"}, QDir::Files, QDir::Name)) {
        const QImage pic(pictures + "/" + name);
        if (x + pic.width() > sheet.width()) x = 10, y += rowH + 10, rowH = 0;
        p.drawImage(x, y, pic);
        x += pic.width() + 10;
        rowH = std::max(rowH, pic.height());
    }
    Save(sheet, out, "compiled_pictures.png");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: kelani-screens <program folder> <pictures folder> <output folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    RegisterFontSubstitutes();
    try {
        Render(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
               QString::fromLocal8Bit(argv[3]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelani-screens: %s\n", e.what());
        return 1;
    }
    return 0;
}
