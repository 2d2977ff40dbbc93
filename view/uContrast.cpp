#include "view/uContrast.h"

#include <algorithm>
#include <array>

namespace kelani {
namespace {

// The distance from the middle grey grows by 8/5: the cream panels become white, their dark
// texts black, the wood darker and the stones lighter.
constexpr int kStretchTimes = 8;
constexpr int kStretchPer = 5;
constexpr int kMiddle = 128;

std::array<uchar, 256> StretchTable() {
    std::array<uchar, 256> table{};
    for (int tone = 0; tone < 256; ++tone)
        table[tone] =
            static_cast<uchar>(std::clamp(kMiddle + (tone - kMiddle) * kStretchTimes / kStretchPer, 0, 255));
    return table;
}

} // namespace

void RaiseContrast(QImage& picture) {
    static const std::array<uchar, 256> table = StretchTable();
    if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32)
        picture = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(table[qRed(p)], table[qGreen(p)], table[qBlue(p)], qAlpha(p));
        }
    }
}

} // namespace kelani
