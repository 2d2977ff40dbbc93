// libFuzzer target: any bytes stored as a container entry and read as a bitmap or a JPEG either
// give a picture or raise EInvalidGraphic; libjpeg's error path must never end the process.
#include "components/uFolders.h"
#include "view/uTGFXFile.h"

#include <QDir>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

// A stored, plain container holding the input under both entry names.
void WriteContainer(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    kelani::TJwStreams container;
    container.SetCompressed(false);
    kelani::TMemoryStream entry(std::span<const std::uint8_t>(data, size));
    container.AddStream("e.bmp", entry);
    container.AddStream("e.jpg", entry);
    kelani::TFileStream file(path, kelani::TFileMode::fmCreate);
    container.SaveToStream(file);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString folder = [] {
        const QString path = QDir::temp().filePath(QStringLiteral("fuzz_gfxfile-%1").arg(getpid()));
        QDir().mkpath(path);
        kelani::SetProgramFolderForTests(path);
        return path;
    }();
    WriteContainer(kelani::GfxFilePath(QStringLiteral("fuzz.gfx")), data, size);
    const kelani::TGFXFile gfx = kelani::OpenGfxFile(QStringLiteral("fuzz.gfx"));
    QImage picture;
    try {
        gfx.LoadBitmap("e.bmp", picture);
    } catch (const kelani::EInvalidGraphic&) {
    }
    try {
        gfx.LoadJPEG("e.jpg", picture);
    } catch (const kelani::EInvalidGraphic&) {
    }
    return 0;
}
