#pragma once
// The pictures compiled into the program (Qt resources ":/pictures/<name>.png").
#include <QImage>
#include <QString>

#include <filesystem>
#include <utility>
#include <vector>

namespace kelani::art {

// Name (without ".png") and picture of every compiled-in picture.
std::vector<std::pair<QString, QImage>> CompiledPictures();
void WriteCompiledPictures(const std::filesystem::path& folder);

} // namespace kelani::art
