#pragma once
// The reader of the graphics containers: a stream container whose entries each hold one complete
// picture file, a Windows bitmap (".bmp") or a JPEG. The containers lie in the program folder.
//
// Usage at every call site: open the container, load the pictures needed, drop the reader at
// once; no container stays open:
//     TGFXFile gfx = OpenGfxFile("hands.gfx");
//     gfx.LoadBitmap("tpl-hand0003.bmp", picture);
//
// Beside every container may lie its @2x sibling ("hands@2x.gfx") with the same entries painted
// at twice the size, for boards shown at two pixels per point. A theme without them still works:
// its pictures are enlarged when loaded (FitScale).
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

// Every error a container's reader raises also carries the container's path, keeping its own type
// (EFOpenError, EReadError, ECorruptFile, EInvalidGraphic), so the player is told which file failed.
class EGfxFile {
public:
    explicit EGfxFile(QString fileName) : FileName(std::move(fileName)) {}
    virtual ~EGfxFile() = default;
    QString FileName;
};

// The container an error came from ("" when it is no container's error).
QString GfxErrorFile(const std::exception& error);

class TGFXFile {
public:
    // An empty container with the defaults (compressed, plain, no key). No key is ever set, so an
    // enciphered container fails to load as corrupt.
    TGFXFile() = default;

    // Reads the container: EFOpenError when the file cannot be opened, ECorruptFile "File is
    // corrupt." when it fails the container's checks. This and every later load names the file.
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

    // Pixels per point of this container's pictures (2 for an @2x container); every picture
    // loaded carries it as its device pixel ratio.
    int Scale = 1;

private:
    TMemoryStream Entry(const std::string& name) const;

    TJwStreams streams_;
    QString fileName_;
};

// The container's path: the program folder (never the current directory) plus the file name.
std::filesystem::path GfxFilePath(const QString& containerName);

// The name of the container with the pictures for `scale` pixels per point: "game@2x.gfx" for
// "game.gfx" at 2, the name itself at 1.
QString ScaledGfxName(const QString& containerName, int scale);

// The scale of the pictures for a picture shown at `pixelsPerPoint` device pixels per point: 2
// (the @2x pictures) from 1.5 on, where 1x pictures would look blurred, else 1.
int SharpScale(qreal pixelsPerPoint);

// A reader holding the container of that name from the program folder; at scale 2 its @2x
// sibling when that exists, else the plain container (check the reader's Scale).
TGFXFile OpenGfxFile(const QString& containerName, int scale = 1);

// `picture` at `scale` pixels per point: unchanged when it has that scale already, else enlarged
// by `mode` (smooth for photographs and alpha pictures; fast, pixel for pixel, for masks whose
// black and white must stay exact).
QImage FitScale(const QImage& picture, int scale, Qt::TransformationMode mode = Qt::SmoothTransformation);

// Open, load one entry, close: for call sites that need a single picture (at `scale`, enlarged
// smoothly when there is no @2x container).
QImage LoadGfxBitmap(const QString& containerName, const std::string& entryName, int scale = 1);
QImage LoadGfxJPEG(const QString& containerName, const std::string& entryName, int scale = 1);

} // namespace kelani
