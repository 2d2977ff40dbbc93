#pragma once
// The reader of the graphics containers: a stream container whose entries each hold one complete
// picture file, a Windows bitmap (".bmp") or a JPEG. The containers lie in the program folder.
//
// Usage at every call site: open the container, load the pictures needed, drop the reader at
// once; no container stays open:
//     TGFXFile gfx = OpenGfxFile("hands.gfx");
//     gfx.LoadBitmap("tpl-hand0003.bmp", picture);
#include "streams/JwStream.h"

#include <QImage>
#include <QString>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace kelani {

// An entry's picture could not be decoded (damaged bitmap or JPEG data).
class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TGFXFile {
public:
    // An empty container with the defaults (compressed, plain, no key). No key is ever set, so an
    // enciphered container fails to load as corrupt.
    TGFXFile() = default;

    // Reads the container: EFOpenError when the file cannot be opened, ECorruptFile "File is
    // corrupt." when it fails the container's checks.
    void LoadFromFile(const std::filesystem::path& FileName);

    // Entry Name (compared without letter case) decoded by Qt's BMP reader. An entry the
    // container does not hold gives an empty stream and so an empty (null) picture, as a bitmap
    // loaded from an empty stream is empty; data that is not a valid bitmap raises
    // EInvalidGraphic.
    void LoadBitmap(const std::string& Name, QImage& Bitmap) const;

    // Entry Name decoded by libjpeg into a 32-bit RGB picture. Any fault, including a missing
    // entry (an empty stream is no JPEG), a cut-off or damaged file and a picture of more than
    // 4096 x 4096 pixels, raises EInvalidGraphic with libjpeg's reason; Image is left unchanged.
    void LoadJPEG(const std::string& Name, QImage& Image) const;

private:
    TMemoryStream Entry(const std::string& name) const;

    TJwStreams streams_;
};

// The container's path: the program folder (never the current directory) plus the file name.
std::filesystem::path GfxFilePath(const QString& containerName);

// A reader holding the container of that name from the program folder.
TGFXFile OpenGfxFile(const QString& containerName);

// Open, load one entry, close: for call sites that need a single picture.
QImage LoadGfxBitmap(const QString& containerName, const std::string& entryName);
QImage LoadGfxJPEG(const QString& containerName, const std::string& entryName);

} // namespace kelani
