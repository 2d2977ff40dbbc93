#include "tools/art/Containers.h"

#include "streams/JwStream.h"
#include "tools/art/Board.h"
#include "tools/art/BoardGeometry.h"
#include "tools/art/Hands.h"
#include "tools/art/Matches.h"
#include "tools/art/Stones.h"

#include <QBuffer>

#include <cstdio>
#include <stdexcept>

namespace kelani::art {

namespace {

QByteArray Encode(const QImage& img, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!img.save(&buffer, format, quality)) throw std::runtime_error(std::string("cannot encode ") + format);
    return bytes;
}

std::string Name(const char* pattern, int n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, pattern, n);
    return buf;
}

// "steine.gfx" at scale 1, "steine@2x.gfx" at 2.
std::string FileName(const char* stem, int scale) {
    return scale == 1 ? std::string(stem) + ".gfx" : Name((std::string(stem) + "@%dx.gfx").c_str(), scale);
}

// `seen` is the board as the game decodes its JPEG, so pictures cut from it blend in exactly.
TContainer GameContainer(const QByteArray& boardJpeg, const QImage& seen, int scale) {
    TContainer c{FileName("game", scale),
                 {{"bg.jpg", boardJpeg}, {"golden.bmp", BmpBytes(PaintGolden(scale))}}};
    struct TCaption {
        const char* name;
        QPoint pos;
        const char* text;
    };
    const TCaption captions[] = {{"de_overview.bmp", kOverviewCaption, "Übersicht"},
                                 {"de_preview.bmp", kPreviewCaption, "Vorschau nach dem Zug"},
                                 {"us_overview.bmp", kOverviewCaption, "Overview"},
                                 {"us_preview.bmp", kPreviewCaption, "Preview after the move"}};
    for (const TCaption& cap : captions)
        c.entries.push_back({cap.name, BmpBytes(PaintCaption(seen, cap.pos, CaptionWidth(cap.pos),
                                                             QString::fromUtf8(cap.text), scale))});
    c.entries.push_back({"smbrett", BmpBytes(PaintSmallBoard(scale))});
    return c;
}

TContainer StonesContainer(int scale) {
    TContainer c{FileName("steine", scale), {}};
    for (int n = 1; n <= 9; ++n) c.entries.push_back({Name("st%d.bmp", n), BmpBytes(PaintPile(n, scale))});
    return c;
}

TContainer RimsContainer(const QImage& seen, int scale) {
    TContainer c{FileName("mulden", scale), {}};
    for (int place = 1; place <= 13; ++place)
        if (place != 7) c.entries.push_back({Name("mst%d.bmp", place), BmpBytes(CutRim(seen, place, scale))});
    return c;
}

TContainer HandsContainer(int scale) {
    TContainer c{FileName("hands", scale), {}};
    for (const THandFrame& f : PaintAllHandFrames(scale)) {
        c.entries.push_back({f.pictureName, BmpBytes(f.picture)});
        c.entries.push_back({f.maskName, MaskBytes(f.mask)});
    }
    return c;
}

TContainer MatchesContainer(const QImage& board, int scale) {
    return {FileName("holz", scale),
            {{"holzl", JpegBytes(PaintDrawnMatch(board, false, scale))},
             {"holzw", JpegBytes(PaintDrawnMatch(board, true, scale))},
             {"holzv", JpegBytes(PaintHiddenMatches(board, scale))}}};
}

} // namespace

QByteArray BmpBytes(const QImage& img) {
    return Encode(img.convertToFormat(QImage::Format_RGB888), "BMP", -1);
}

// Masks are only black and white: one bit per pixel keeps the @2x hands within what a container
// may hold.
QByteArray MaskBytes(const QImage& mask) {
    return Encode(mask.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), "BMP", -1);
}

QByteArray JpegBytes(const QImage& img) {
    return Encode(img.convertToFormat(QImage::Format_RGB32), "JPEG", 94);
}

std::vector<TContainer> BuildContainers(const QImage& board, int scale) {
    const QByteArray boardJpeg = JpegBytes(board);
    const QImage seen = QImage::fromData(boardJpeg, "JPEG").convertToFormat(QImage::Format_RGB32);
    return {GameContainer(boardJpeg, seen, scale), StonesContainer(scale), RimsContainer(seen, scale),
            HandsContainer(scale), MatchesContainer(board, scale)};
}

void WriteContainer(const TContainer& c, const std::filesystem::path& folder) {
    TJwStreams streams;
    for (const TEntry& e : c.entries) {
        TMemoryStream data(std::string_view(e.bytes.constData(), std::size_t(e.bytes.size())));
        streams.AddStream(e.name, data);
    }
    TFileStream file(folder / c.fileName, TFileMode::fmCreate);
    streams.SaveToStream(file);
}

} // namespace kelani::art
