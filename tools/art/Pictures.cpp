#include "tools/art/Pictures.h"

#include "tools/art/ArtKit.h"
#include "tools/art/Board.h"
#include "tools/art/BoardGeometry.h"
#include "tools/art/Compose.h"
#include "tools/art/Icons.h"
#include "tools/art/Matches.h"
#include "tools/art/Stones.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <stdexcept>

namespace kelani::art {

namespace {

constexpr int kHeader = 64;

QImage Transparent(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// A round wooden bowl with a few stones: the game's emblem, at any size.
QImage PaintEmblem(int size) {
    const int big = std::max(size, 128);
    QImage img = Transparent(big, big);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF disc(big * 0.04, big * 0.06, big * 0.92, big * 0.88);
        QRadialGradient wood(disc.center() - QPointF(big * 0.15, big * 0.18), big * 0.6);
        wood.setColorAt(0, QColor(228, 168, 100));
        wood.setColorAt(0.7, QColor(176, 112, 56));
        wood.setColorAt(1, QColor(110, 64, 30));
        p.setPen(QPen(QColor(70, 38, 16), big * 0.02));
        p.setBrush(wood);
        p.drawEllipse(disc);
        const QRectF bowl = disc.adjusted(big * 0.13, big * 0.13, -big * 0.13, -big * 0.13);
        QRadialGradient hollow(bowl.center() + QPointF(big * 0.06, big * 0.08), bowl.width() * 0.62);
        hollow.setColorAt(0, QColor(150, 96, 50));
        hollow.setColorAt(0.75, QColor(104, 62, 30));
        hollow.setColorAt(1, QColor(60, 32, 14));
        p.setPen(QPen(QColor(250, 214, 160, 160), big * 0.015));
        p.setBrush(hollow);
        p.drawEllipse(bowl);
    }
    const double s = big / 128.0;
    std::vector<TStone> stones{MakeStone({big * 0.4, big * 0.42}, 17 * s, 5),
                               MakeStone({big * 0.62, big * 0.45}, 17 * s, 2),
                               MakeStone({big * 0.5, big * 0.62}, 18 * s, 4)};
    QPainter(&img).drawImage(0, 0, PaintStones(stones, big, big));
    return size == big ? img : img.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// Header pictures are painted at four times their size and scaled down for soft edges.
template <class Paint> QImage Header(Paint paint) {
    QImage big = Transparent(kHeader * 4, kHeader * 4);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(4, 4);
        paint(p);
    }
    return Downsample(big, 4);
}

void DrawMiniBoard(QPainter& p, const QRectF& r) {
    QLinearGradient wood(r.topLeft(), r.bottomLeft());
    wood.setColorAt(0, QColor(226, 166, 98));
    wood.setColorAt(1, QColor(158, 98, 48));
    p.setPen(QPen(QColor(90, 50, 22), 1));
    p.setBrush(wood);
    p.drawRoundedRect(r, 4, 4);
    const double w = r.width() / 8;
    for (int c = 1; c <= 6; ++c)
        for (int row = 0; row < 2; ++row) {
            const QPointF centre(r.left() + w * (c + 0.5), r.top() + r.height() * (row ? 0.72 : 0.3));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(100, 58, 26));
            p.drawEllipse(centre, w * 0.38, r.height() * 0.16);
        }
    for (int c : {0, 7}) {
        p.setBrush(QColor(100, 58, 26));
        p.drawEllipse(QPointF(r.left() + w * (c + 0.5), r.center().y()), w * 0.36, r.height() * 0.36);
    }
}

void DrawPebble(QPainter& p, QPointF c, double r, const QColor& colour) {
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.4), r * 1.3);
    g.setColorAt(0, colour.lighter(170));
    g.setColorAt(0.5, colour);
    g.setColorAt(1, colour.darker(220));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r, r * 0.8);
}

void DrawMatchIcon(QPainter& p, QPointF foot, double angle, double length) {
    p.save();
    p.translate(foot);
    p.rotate(angle);
    QLinearGradient wood(0, -2, 0, 2);
    wood.setColorAt(0, QColor(250, 226, 170));
    wood.setColorAt(1, QColor(176, 132, 72));
    p.setPen(QPen(QColor(120, 84, 40), 0.5));
    p.setBrush(wood);
    p.drawRect(QRectF(0, -2, length, 4));
    DrawPebble(p, QPointF(length + 2, 0), 4.5, QColor(190, 30, 22));
    p.restore();
}

QImage NewGameHeader() {
    return Header([](QPainter& p) {
        DrawMiniBoard(p, QRectF(3, 20, 58, 30));
        DrawPebble(p, QPointF(18, 29), 3, QColor(86, 100, 118));
        DrawPebble(p, QPointF(33, 29), 3, QColor(188, 132, 58));
        DrawPebble(p, QPointF(40, 41), 3, QColor(150, 62, 44));
        DrawSparkle(p, QPointF(52, 12), 9, QColor(240, 190, 50));
        DrawSparkle(p, QPointF(41, 8), 4, QColor(250, 210, 90));
    });
}

QImage LotHeader() {
    return Header([](QPainter& p) {
        DrawMatchIcon(p, QPointF(12, 56), -62, 44);
        DrawMatchIcon(p, QPointF(30, 58), -88, 24);
    });
}

QImage HighscoreHeader() {
    return Header([](QPainter& p) {
        QPainterPath cup;
        cup.moveTo(14, 8);
        cup.lineTo(50, 8);
        cup.cubicTo(50, 30, 42, 38, 32, 40);
        cup.cubicTo(22, 38, 14, 30, 14, 8);
        cup.closeSubpath();
        const QLinearGradient gold = GoldGradient(QPointF(14, 0), QPointF(50, 0));
        p.setPen(QPen(QColor(110, 70, 10), 1.2));
        p.setBrush(gold);
        p.drawPath(cup);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(gold, 3.5));
        p.drawArc(QRectF(5, 11, 14, 16), 90 * 16, 180 * 16);
        p.drawArc(QRectF(45, 11, 14, 16), -90 * 16, 180 * 16);
        p.setPen(QPen(QColor(110, 70, 10), 1.2));
        p.setBrush(gold);
        p.drawRect(QRectF(29, 40, 6, 8));
        p.drawRoundedRect(QRectF(18, 48, 28, 8), 2, 2);
        DrawPebble(p, QPointF(32, 22), 7, QColor(86, 100, 118));
        DrawSparkle(p, QPointF(49, 44), 6, QColor(255, 246, 200));
    });
}

QImage HistoryHeader() {
    return Header([](QPainter& p) {
        for (int i = 2; i >= 0; --i) {
            const QRectF sheet(8 + i * 4, 6 + i * 5, 40, 46);
            p.setPen(QPen(QColor(150, 130, 100), 1));
            p.setBrush(QColor(248 - 10 * i, 242 - 10 * i, 226 - 10 * i));
            p.drawRoundedRect(sheet, 2, 2);
        }
        DrawMiniBoard(p, QRectF(12, 20, 34, 16));
        p.setPen(QPen(QColor(51, 204, 51), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(24.6, 24.8), 3.2, 3.2);
        p.setPen(QPen(QColor(120, 100, 80), 1.2));
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(18, 42 + 4 * i), QPointF(44 - 6 * i, 42 + 4 * i));
        DrawClockIcon(p, QRectF(38, 36, 22, 22), QColor(60, 40, 24));
    });
}

QImage LanguageHeader() {
    return Header([](QPainter& p) {
        QRadialGradient sea(QPointF(22, 22), 34);
        sea.setColorAt(0, QColor(140, 200, 240));
        sea.setColorAt(1, QColor(30, 90, 160));
        p.setPen(QPen(QColor(20, 60, 110), 1.2));
        p.setBrush(sea);
        p.drawEllipse(QPointF(28, 30), 24, 24);
        p.setPen(QPen(QColor(230, 240, 255, 150), 0.8));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(28, 30), 10, 24);
        p.drawLine(QPointF(4, 30), QPointF(52, 30));
        p.drawLine(QPointF(8, 18), QPointF(48, 18));
        p.drawLine(QPointF(8, 42), QPointF(48, 42));
        QPainterPath bubble;
        bubble.addRoundedRect(QRectF(34, 4, 28, 20), 6, 6);
        bubble.moveTo(40, 23);
        bubble.lineTo(38, 31);
        bubble.lineTo(47, 23);
        p.setPen(QPen(QColor(90, 70, 40), 1));
        p.setBrush(QColor(255, 250, 235));
        p.drawPath(bubble.simplified());
        QFont f(QStringLiteral("DejaVu Sans"), 1);
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(60, 40, 20));
        p.drawText(QRectF(34, 4, 28, 20), Qt::AlignCenter, QStringLiteral("Aä"));
    });
}

// The board as it looks in a game: stones in every pit, a few already stored.
QImage BoardInPlay(QImage board) {
    TStoneArt art;
    for (int n = 1; n <= 9; ++n) art.piles[n] = PaintPile(n);
    for (int place = 1; place <= 13; ++place)
        if (!IsHeadPit(place)) art.rims[place] = CutRim(board, place);
    DrawPosition(board, art, {0, 4, 5, 1, 4, 6, 3, 5, 4, 0, 5, 6, 2, 4, 3});
    return board;
}

// The splash: a golden title over the board in play; the bottom stays dark for the caption the
// splash screen writes there.
QImage Splash(const QImage& board) {
    constexpr int w = 480, h = 300;
    QImage out(w, h, QImage::Format_RGB32);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    // The board picture's band from above the board to below its front face, on the table
    // continued with the same grain all around (every pixel is painted).
    const QRectF source(0, 84, 720, 300);
    const double scale = w / source.width();
    const int top = 92;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.setPixel(x, y, TableColour(x / scale, source.top() + (y - top) / scale));
    p.drawImage(QRectF(0, top, w, source.height() * scale), BoardInPlay(board), source);
    QLinearGradient fade(0, 0, 0, h);
    fade.setColorAt(0, QColor(16, 8, 3, 150));
    fade.setColorAt(0.28, QColor(16, 8, 3, 0));
    fade.setColorAt(0.86, QColor(16, 8, 3, 60));
    fade.setColorAt(1, QColor(16, 8, 3, 220));
    p.fillRect(out.rect(), fade);
    QFont title(QStringLiteral("DejaVu Serif"), 1);
    title.setPixelSize(54);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 8);
    QPainterPath text;
    text.addText(0, 0, title, QStringLiteral("KELANI"));
    text.translate(w / 2.0 - text.boundingRect().center().x(), 46 - text.boundingRect().center().y());
    p.fillPath(text.translated(3, 4), QColor(0, 0, 0, 170));
    p.setPen(QPen(QColor(90, 50, 10), 1.5));
    p.setBrush(GoldGradient(QPointF(0, 22), QPointF(0, 72)));
    p.drawPath(text);
    DrawSparkle(p, QPointF(text.boundingRect().right() - 4, text.boundingRect().top() + 4), 10,
                QColor(255, 250, 220));
    return out;
}

} // namespace

std::vector<std::pair<QString, QImage>> CompiledPictures(const QImage& board) {
    std::vector<std::pair<QString, QImage>> pictures{{"splash", Splash(board)}};
    for (int size : {16, 32, 48, 64, 128, 256})
        pictures.emplace_back(QString("icon_%1").arg(size), PaintEmblem(size));
    pictures.emplace_back("header_newgame", NewGameHeader());
    pictures.emplace_back("header_lot", LotHeader());
    pictures.emplace_back("header_highscore", HighscoreHeader());
    pictures.emplace_back("header_history", HistoryHeader());
    pictures.emplace_back("header_language", LanguageHeader());
    pictures.emplace_back("lot_hidden", PaintHiddenMatches(board));
    pictures.emplace_back("hint_stone", PaintHintStone(16));
    return pictures;
}

void WriteCompiledPictures(const std::filesystem::path& folder, const QImage& board) {
    for (const auto& [name, img] : CompiledPictures(board)) {
        const QString file = QString::fromStdString((folder / (name.toStdString() + ".png")).string());
        if (!img.save(file, "PNG")) throw std::runtime_error("cannot write " + file.toStdString());
    }
}

} // namespace kelani::art
