#pragma once
// The pictures compiled into the program (Qt resources ":/pictures/<name>.png").
#include <QImage>
#include <QString>

#include <filesystem>
#include <utility>
#include <vector>

namespace kelani::art {

// Name (without ".png") and picture of every compiled-in picture.
std::vector<std::pair<QString, QImage>> CompiledPictures(const QImage& board);
void WriteCompiledPictures(const std::filesystem::path& folder, const QImage& board);

} // namespace kelani::art
