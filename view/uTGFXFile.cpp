#include "view/uTGFXFile.h"

#include "components/uFolders.h"

#include <QFile>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>

namespace kelani {
namespace {

// The game's largest picture is 720 x 520. A header asking for more than 4096 x 4096 is damage;
// refusing it keeps a few forged bytes from claiming hundreds of megabytes before the data runs out.
constexpr int64_t kMaxJpegPixels = 4096 * 4096;

// libjpeg's default error handler ends the process. Ours jumps back to the decoding step with the
// library's message; warnings about corrupt data (a cut-off file is only a warning to libjpeg)
// are treated as errors, so a damaged picture is never passed off as a good one.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void OnJpegMessage(j_common_ptr info, int level) {
    if (level < 0) OnJpegError(info); // a warning: the data is corrupt
}

// The decompressor with its error handler. The steps below set their jump point in frames that
// hold no C++ objects, so a jump skips no destructor.
struct JpegDecoder {
    jpeg_decompress_struct info;
    JpegErrors errors;

    JpegDecoder() {
        info.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = OnJpegError;
        errors.manager.emit_message = OnJpegMessage;
        errors.message[0] = '\0';
        jpeg_create_decompress(&info);
    }
    ~JpegDecoder() { jpeg_destroy_decompress(&info); }
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;
};

bool StartJpeg(JpegDecoder& decoder, const unsigned char* data, unsigned long size) {
    if (setjmp(decoder.errors.jump)) return false;
    jpeg_mem_src(&decoder.info, data, size);
    jpeg_read_header(&decoder.info, TRUE);
    decoder.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&decoder.info);
    return true;
}

bool ReadJpegRows(JpegDecoder& decoder, unsigned char* pixels, int64_t bytesPerLine) {
    if (setjmp(decoder.errors.jump)) return false;
    while (decoder.info.output_scanline < decoder.info.output_height) {
        JSAMPROW row = pixels + decoder.info.output_scanline * bytesPerLine;
        jpeg_read_scanlines(&decoder.info, &row, 1);
    }
    jpeg_finish_decompress(&decoder.info);
    return true;
}

[[noreturn]] void InvalidJpeg(const std::string& name, const std::string& reason) {
    throw EInvalidGraphic("JPEG image \"" + name + "\" is not valid: " + reason);
}

QImage DecodeJpeg(const std::string& name, const TMemoryStream& data) {
    JpegDecoder decoder;
    if (!StartJpeg(decoder, data.Span().data(), static_cast<unsigned long>(data.Span().size())))
        InvalidJpeg(name, decoder.errors.message);
    const int64_t width = decoder.info.output_width;
    const int64_t height = decoder.info.output_height;
    if (width * height > kMaxJpegPixels) InvalidJpeg(name, "the picture is too large");
    QImage rgb(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB888);
    if (rgb.isNull()) InvalidJpeg(name, "out of memory");
    if (!ReadJpegRows(decoder, rgb.bits(), rgb.bytesPerLine())) InvalidJpeg(name, decoder.errors.message);
    return rgb.convertToFormat(QImage::Format_RGB32);
}

// The error as it was raised, now also naming the container.
template <class E> class ENamedGfx : public E, public EGfxFile {
public:
    ENamedGfx(const E& error, const QString& fileName) : E(error), EGfxFile(fileName) {}
};

// Runs `read`; a reading or decoding error comes out naming `fileName`.
template <class Read> auto Naming(const QString& fileName, Read&& read) {
    try {
        return read();
    } catch (const EGfxFile&) {
        throw;
    } catch (const EFOpenError& error) {
        throw ENamedGfx<EFOpenError>(error, fileName);
    } catch (const EReadError& error) {
        throw ENamedGfx<EReadError>(error, fileName);
    } catch (const EStreamError& error) {
        throw ENamedGfx<EStreamError>(error, fileName);
    } catch (const ECorruptFile& error) {
        throw ENamedGfx<ECorruptFile>(error, fileName);
    } catch (const EInvalidGraphic& error) {
        throw ENamedGfx<EInvalidGraphic>(error, fileName);
    }
}

} // namespace

QString GfxErrorFile(const std::exception& error) {
    const auto* named = dynamic_cast<const EGfxFile*>(&error);
    return named ? named->FileName : QString();
}

void TGFXFile::LoadFromFile(const std::filesystem::path& FileName) {
    fileName_ = QFile::decodeName(QByteArray::fromStdString(FileName.string()));
    Naming(fileName_, [&] { streams_.LoadFromFile(FileName); });
}

TMemoryStream TGFXFile::Entry(const std::string& name) const {
    TMemoryStream data;
    streams_.GetStream(name, data);
    return data;
}

void TGFXFile::LoadBitmap(const std::string& Name, QImage& Bitmap) const {
    Naming(fileName_, [&] {
        const TMemoryStream data = Entry(Name);
        if (data.Span().empty()) {
            Bitmap = QImage();
            return;
        }
        QImage picture;
        const auto* bytes = data.Span().data();
        if (!picture.loadFromData(bytes, static_cast<int>(data.Span().size()), "BMP"))
            throw EInvalidGraphic("Bitmap image \"" + Name + "\" is not valid");
        picture.setDevicePixelRatio(Scale);
        Bitmap = picture;
    });
}

void TGFXFile::LoadJPEG(const std::string& Name, QImage& Image) const {
    Image = Naming(fileName_, [&] { return DecodeJpeg(Name, Entry(Name)); });
    Image.setDevicePixelRatio(Scale);
}

std::filesystem::path GfxFilePath(const QString& containerName) {
    return std::filesystem::path(QFile::encodeName(ProgramFolder()).toStdString()) /
           QFile::encodeName(containerName).toStdString();
}

QString ScaledGfxName(const QString& containerName, int scale) {
    if (scale <= 1) return containerName;
    const qsizetype dot = containerName.lastIndexOf(QLatin1Char('.'));
    const QString suffix = QStringLiteral("@%1x").arg(scale);
    return dot < 0 ? containerName + suffix : QString(containerName).insert(dot, suffix);
}

int SharpScale(qreal pixelsPerPoint) {
    return pixelsPerPoint >= 1.5 ? 2 : 1;
}

TGFXFile OpenGfxFile(const QString& containerName, int scale) {
    TGFXFile gfx;
    const std::filesystem::path scaled = GfxFilePath(ScaledGfxName(containerName, scale));
    if (scale > 1 && std::filesystem::exists(scaled)) {
        gfx.LoadFromFile(scaled);
        gfx.Scale = scale;
    } else {
        gfx.LoadFromFile(GfxFilePath(containerName));
    }
    return gfx;
}

QImage FitScale(const QImage& picture, int scale, Qt::TransformationMode mode) {
    const int has = std::max(1, int(picture.devicePixelRatio() + 0.5));
    if (picture.isNull() || has == scale) return picture;
    QImage fitted = picture.scaled(picture.size() * scale / has, Qt::IgnoreAspectRatio, mode);
    fitted.setDevicePixelRatio(scale);
    return fitted;
}

QImage LoadGfxBitmap(const QString& containerName, const std::string& entryName, int scale) {
    QImage picture;
    OpenGfxFile(containerName, scale).LoadBitmap(entryName, picture);
    return FitScale(picture, scale);
}

QImage LoadGfxJPEG(const QString& containerName, const std::string& entryName, int scale) {
    QImage picture;
    OpenGfxFile(containerName, scale).LoadJPEG(entryName, picture);
    return FitScale(picture, scale);
}

} // namespace kelani
