#include "view/uContrast.h"

#include <algorithm>

namespace kelani {
namespace {

// The distance from the middle grey grows by 8/5: the cream panels become white, their dark
// texts black, the wood darker and the stones lighter.
constexpr int kStretchTimes = 8;
constexpr int kStretchPer = 5;
constexpr int kMiddle = 128;

// Written as arithmetic rather than a table so that the compiler handles many bytes at a time.
constexpr uchar Stretch(uchar tone) {
    return static_cast<uchar>(
        std::clamp(kMiddle + (int(tone) - kMiddle) * kStretchTimes / kStretchPer, 0, 255));
}
static_assert(Stretch(255) == 255, "an opaque alpha byte stays opaque");

} // namespace

void RaiseContrast(QImage& picture) {
    // Opaque pixels only: white stays white, so the alpha byte of an opaque picture may be
    // stretched with the colours, and the whole picture is one run of bytes.
    if (picture.format() != QImage::Format_RGB32) picture = picture.convertToFormat(QImage::Format_RGB32);
    uchar* const bytes = picture.bits();
    const qsizetype count = picture.sizeInBytes();
    for (qsizetype i = 0; i < count; ++i) bytes[i] = Stretch(bytes[i]);
}

} // namespace kelani
