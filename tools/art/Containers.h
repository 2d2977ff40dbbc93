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

// Paints every picture on and around the clean board picture and returns the five containers,
// game.gfx first.
std::vector<TContainer> BuildContainers(const QImage& board);

// Writes one container, compressed and plain, into the folder.
void WriteContainer(const TContainer& c, const std::filesystem::path& folder);

} // namespace kelani::art
