#pragma once
// The five graphics containers: every entry by its name, as the file bytes the game reads.
#include <QByteArray>
#include <QImage>
#include <QString>

#include <filesystem>
#include <string>
#include <vector>

namespace kelani::art {

struct TEntry {
    std::string name;
    QByteArray bytes;
};

struct TContainer {
    std::string fileName;
    std::vector<TEntry> entries;
};

// Payload encoders: a Windows BMP file (24 bits per pixel) and a high-quality JPEG file.
QByteArray BmpBytes(const QImage& img);
QByteArray JpegBytes(const QImage& img);
// A black and white mask as a one-bit Windows BMP file.
QByteArray MaskBytes(const QImage& mask);

// Paints every picture on and around the clean board picture (PaintBoard(scale)) and returns the
// five containers, game.gfx first. At scale 2 they are the containers for high-density screens,
// named with "@2x" ("game@2x.gfx"), the same entries painted at twice the size.
std::vector<TContainer> BuildContainers(const QImage& board, int scale = 1);

// Writes one container, compressed and plain, into the folder.
void WriteContainer(const TContainer& c, const std::filesystem::path& folder);

} // namespace kelani::art
