// The graphics-container reader: pictures come out of stored and compressed containers alike,
// damaged data is an error (never the end of the process), and the containers are found in the
// program folder whatever the current directory.
#include "components/uFolders.h"
#include "view/uTGFXFile.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kelani {
namespace {

struct Entry {
    std::string name;
    QByteArray bytes;
};

// Four coloured quadrants: a picture whose pixels and orientation can both be checked.
QImage Quadrants(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    const int w = width / 2, h = height / 2;
    picture.fill(Qt::white);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y,
                             x < w ? (y < h ? 0xFFCC2020 : 0xFF20CC20) : (y < h ? 0xFF2020CC : 0xFFE0E040));
    return picture;
}

QByteArray Encode(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format, 95);
    return bytes;
}

void WriteContainer(const std::filesystem::path& path, const std::vector<Entry>& entries, bool compressed,
                    const std::string& key = {}) {
    TJwStreams streams;
    for (const Entry& e : entries) {
        TMemoryStream data(std::string_view(e.bytes.constData(), static_cast<size_t>(e.bytes.size())));
        streams.AddStream(e.name, data);
    }
    streams.SetCompressed(compressed);
    streams.SetEncrypted(!key.empty());
    streams.SetKey(key);
    TFileStream file(path, TFileMode::fmCreate);
    streams.SaveToStream(file);
}

// Colour distance small enough for a JPEG at quality 95 on flat areas.
bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 12 && std::abs(qGreen(a) - qGreen(b)) <= 12 &&
           std::abs(qBlue(a) - qBlue(b)) <= 12;
}

class GfxFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        SetProgramFolderForTests(folder_.path());
    }
    void TearDown() override { SetProgramFolderForTests({}); }

    std::filesystem::path Path(const char* name) const { return GfxFilePath(QString::fromLatin1(name)); }

    QTemporaryDir folder_;
    const QImage picture_ = Quadrants(40, 30);
};

TEST_F(GfxFile, BitmapAndJpegEntriesLoadWithTheirSizeAndPixels) {
    WriteContainer(Path("game.gfx"),
                   {{"bg.jpg", Encode(picture_, "JPG")}, {"golden.bmp", Encode(picture_, "BMP")}}, true);
    TGFXFile gfx = OpenGfxFile("game.gfx");

    QImage bitmap;
    gfx.LoadBitmap("golden.bmp", bitmap);
    EXPECT_EQ(bitmap.convertToFormat(QImage::Format_RGB32), picture_);

    QImage jpeg;
    gfx.LoadJPEG("bg.jpg", jpeg);
    ASSERT_EQ(jpeg.size(), picture_.size());
    EXPECT_EQ(jpeg.format(), QImage::Format_RGB32);
    for (QPoint probe : {QPoint(5, 5), QPoint(35, 5), QPoint(5, 25), QPoint(35, 25)})
        EXPECT_TRUE(Near(jpeg.pixel(probe), picture_.pixel(probe)))
            << probe.x() << "," << probe.y() << " " << std::hex << jpeg.pixel(probe);
}

TEST_F(GfxFile, EntryNamesAreComparedWithoutLetterCase) {
    WriteContainer(Path("steine.gfx"), {{"st1.bmp", Encode(picture_, "BMP")}}, true);
    EXPECT_EQ(LoadGfxBitmap("steine.gfx", "ST1.Bmp").size(), picture_.size());
}

TEST_F(GfxFile, StoredAndCompressedContainersGiveTheSamePictures) {
    const std::vector<Entry> entries{{"holzl", Encode(picture_, "JPG")},
                                     {"mst1.bmp", Encode(picture_, "BMP")}};
    WriteContainer(Path("stored.gfx"), entries, false);
    WriteContainer(Path("packed.gfx"), entries, true);
    ASSERT_NE(std::filesystem::file_size(Path("stored.gfx")), std::filesystem::file_size(Path("packed.gfx")));
    EXPECT_EQ(LoadGfxBitmap("stored.gfx", "mst1.bmp"), LoadGfxBitmap("packed.gfx", "mst1.bmp"));
    EXPECT_EQ(LoadGfxJPEG("stored.gfx", "holzl"), LoadGfxJPEG("packed.gfx", "holzl"));
}

TEST_F(GfxFile, AnEncipheredContainerIsCorruptSinceNoKeyIsSet) {
    WriteContainer(Path("holz.gfx"), {{"holzl", Encode(picture_, "JPG")}}, true, "secret");
    try {
        OpenGfxFile("holz.gfx");
        FAIL() << "an enciphered container loaded";
    } catch (const ECorruptFile& e) {
        EXPECT_STREQ(e.what(), "File is corrupt.");
    }
}

TEST_F(GfxFile, AMissingOrDamagedContainerFileRaisesItsError) {
    EXPECT_THROW(OpenGfxFile("hands.gfx"), EFOpenError);
    QFile damaged(QDir(folder_.path()).filePath("hands.gfx"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("  not a container at all");
    damaged.close();
    EXPECT_THROW(OpenGfxFile("hands.gfx"), ECorruptFile);
}

TEST_F(GfxFile, MissingEntriesGiveAnEmptyBitmapButNoJpeg) {
    WriteContainer(Path("game.gfx"), {{"bg.jpg", Encode(picture_, "JPG")}}, true);
    TGFXFile gfx = OpenGfxFile("game.gfx");
    QImage bitmap = picture_;
    gfx.LoadBitmap("smbrett", bitmap);
    EXPECT_TRUE(bitmap.isNull());
    QImage jpeg = picture_;
    EXPECT_THROW(gfx.LoadJPEG("holzw", jpeg), EInvalidGraphic);
    EXPECT_EQ(jpeg, picture_) << "a failed load leaves the picture as it was";
}

// Overwrites the 16-bit big-endian height and width of the first baseline frame header.
QByteArray WithFrameSize(QByteArray jpeg, int height, int width) {
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    if (sof < 0) return {};
    jpeg[sof + 5] = static_cast<char>(height >> 8);
    jpeg[sof + 6] = static_cast<char>(height);
    jpeg[sof + 7] = static_cast<char>(width >> 8);
    jpeg[sof + 8] = static_cast<char>(width);
    return jpeg;
}

TEST_F(GfxFile, DamagedPicturesRaiseAnErrorInsteadOfEndingTheProgram) {
    const QByteArray jpeg = Encode(Quadrants(64, 64), "JPG");
    QByteArray scrambled = jpeg;
    for (qsizetype i = 20; i < scrambled.size(); i += 3)
        scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5A);
    const QByteArray huge = WithFrameSize(jpeg, 60000, 60000);
    ASSERT_FALSE(huge.isEmpty());
    WriteContainer(Path("game.gfx"),
                   {{"cut.jpg", jpeg.left(jpeg.size() / 2)},
                    {"scrambled.jpg", scrambled},
                    {"text.jpg", "just some text"},
                    {"huge.jpg", huge},
                    {"cut.bmp", Encode(picture_, "BMP").left(30)},
                    {"text.bmp", "BM but not really a bitmap"}},
                   true);
    TGFXFile gfx = OpenGfxFile("game.gfx");
    QImage picture;
    for (const char* name : {"cut.jpg", "scrambled.jpg", "text.jpg", "huge.jpg"})
        EXPECT_THROW(gfx.LoadJPEG(name, picture), EInvalidGraphic) << name;
    for (const char* name : {"cut.bmp", "text.bmp"})
        EXPECT_THROW(gfx.LoadBitmap(name, picture), EInvalidGraphic) << name;
    EXPECT_TRUE(picture.isNull());
    try {
        gfx.LoadJPEG("cut.jpg", picture);
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("cut.jpg"), std::string::npos) << e.what();
    }
}

TEST_F(GfxFile, ContainersAreFoundInTheProgramFolderNotTheCurrentDirectory) {
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QImage other = Quadrants(8, 8);
    WriteContainer(Path("mulden.gfx"), {{"mst1.bmp", Encode(picture_, "BMP")}}, true);
    WriteContainer(std::filesystem::path(elsewhere.path().toStdString()) / "mulden.gfx",
                   {{"mst1.bmp", Encode(other, "BMP")}}, true);
    WriteContainer(std::filesystem::path(elsewhere.path().toStdString()) / "steine.gfx",
                   {{"st1.bmp", Encode(other, "BMP")}}, true);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    const QImage loaded = LoadGfxBitmap("mulden.gfx", "mst1.bmp");
    EXPECT_THROW(LoadGfxBitmap("steine.gfx", "st1.bmp"), EFOpenError);
    QDir::setCurrent(previous);
    EXPECT_EQ(loaded.size(), picture_.size());
    EXPECT_EQ(GfxFilePath("mulden.gfx"), std::filesystem::path(folder_.path().toStdString()) / "mulden.gfx");
}

} // namespace
} // namespace kelani

TEST(GfxScale, TheTwiceSizeContainerLiesBesideThePlainOneAndPlainPicturesAreEnlarged) {
    EXPECT_EQ(kelani::ScaledGfxName(QStringLiteral("hands.gfx"), 2), QStringLiteral("hands@2x.gfx"));
    EXPECT_EQ(kelani::ScaledGfxName(QStringLiteral("hands.gfx"), 1), QStringLiteral("hands.gfx"));
    QImage plain(3, 2, QImage::Format_RGB32);
    plain.fill(Qt::white);
    plain.setPixel(1, 0, qRgb(0, 0, 0));
    const QImage exact = kelani::FitScale(plain, 2, Qt::FastTransformation);
    EXPECT_EQ(exact.size(), QSize(6, 4));
    EXPECT_EQ(exact.devicePixelRatio(), 2);
    EXPECT_EQ(exact.pixel(2, 0), qRgb(0, 0, 0));
    EXPECT_EQ(exact.pixel(3, 1), qRgb(0, 0, 0));
    EXPECT_EQ(exact.pixel(4, 0), qRgb(255, 255, 255));
    EXPECT_EQ(kelani::FitScale(exact, 2).constBits(), exact.constBits()) << "already at scale: unchanged";
}
