#include "view/uTHands.h"

#include "components/uWait.h"
#include "game/uTFeld.h"
#include "view/uTCanvas.h"
#include "view/uTGFXFile.h"
#include "view/uTSpielfeldLayers.h"

#include <algorithm>
#include <cmath>

namespace kelani {
namespace {

constexpr int kMoveStepMs = 100;
constexpr int kFrameStepMs = 50;
// Hands above or below the board (their home points) are not drawn.
constexpr int kVisibleTop = 0;
constexpr int kVisibleBottom = 640;

// Per player (index 1, 2): the point of each picture that is placed on the hand's position.
const std::array<QPoint, 3> kPickHotSpot = {{{}, {213, 340}, {427, 140}}};
const std::array<QPoint, 3> kSowHotSpot = {{{}, {460, 383}, {180, 97}}};
// Where the held pile sits relative to the picking hand's position.
const std::array<QPoint, 3> kHeldStonesOffset = {{{}, {-20, -10}, {-58, -46}}};
// Where the sowing hand stands to take the stones over, relative to the pit point.
const std::array<QPoint, 3> kHandOverOffset = {{{}, {60, 60}, {-60, -60}}};

bool Visible(QPoint pos) {
    return pos.y() >= kVisibleTop && pos.y() <= kVisibleBottom;
}

std::string EntryName(int h, const char* kind, int n) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%s-hand%4.4d.bmp", h == 1 ? "t" : "", kind, n);
    return name;
}

// The bitwise blits work on 32-bit pictures; converting once spares it in every frame.
QImage LoadBlitPicture(const TGFXFile& gfx, const std::string& name, int scale) {
    QImage picture;
    gfx.LoadBitmap(name, picture);
    return FitScale(picture, scale, Qt::FastTransformation).convertToFormat(QImage::Format_RGB32);
}

void LoadHand(const TGFXFile& gfx, TKelaniHand& hand, int h, const char* picture, const char* mask, int n,
              int scale) {
    hand.Picture = LoadBlitPicture(gfx, EntryName(h, picture, n), scale);
    hand.Mask = LoadBlitPicture(gfx, EntryName(h, mask, n), scale);
}

} // namespace

void TKelaniHands::LoadPictures(int scale) {
    const TGFXFile gfx = OpenGfxFile(QStringLiteral("hands.gfx"), scale);
    for (int h = 1; h <= 2; ++h) {
        for (int n = 0; n <= kLastPickFrame; ++n)
            if (PickFrameExists(n)) LoadHand(gfx, PickFrames[h][n], h, "pl", "ml", n, scale);
        for (int n = 0; n <= kLastSowFrame; ++n)
            if (SowFrameExists(n)) LoadHand(gfx, SowFrames[h][n], h, "pr", "mr", n, scale);
    }
}

void TKelaniHands::DrawHand(const TKelaniHand& hand, QPoint pos, QPoint hotSpot) {
    if (hand.Picture.isNull() || hand.Mask.isNull()) return;
    TCanvas canvas(*FrameImage);
    const QPoint corner = pos - hotSpot;
    canvas.AndBlit(corner.x(), corner.y(), hand.Mask);
    canvas.XorBlit(corner.x(), corner.y(), hand.Picture);
}

// The pile shows from frame 9 on, when the hand has closed on the stones.
void TKelaniHands::DrawHeldStones(int h) {
    const int n = PickStones[h];
    if (!SteinBilder || n < 1 || n > 99 || PickFrame[h] < 9) return;
    const QPoint at = PickPos[h] + PileOffset(n) + kHeldStonesOffset[h];
    TCanvas(*FrameImage).Draw(at.x(), at.y(), SteinBilder->Bild(n));
}

void TKelaniHands::Render() {
    const QRect board(QPoint(), BoardImage->size() / PictureScale(*BoardImage));
    TCanvas(*FrameImage).CopyRect(board, *BoardImage, board);
    for (int h = 1; h <= 2; ++h) {
        if (PickFrame[h] >= 0 && PickFrame[h] <= kLastPickFrame && Visible(PickPos[h])) {
            DrawHand(PickFrames[h][PickFrame[h]], PickPos[h], kPickHotSpot[h]);
            DrawHeldStones(h);
        }
        if (SowFrame[h] >= 0 && SowFrame[h] <= kLastSowFrame && Visible(SowPos[h]))
            DrawHand(SowFrames[h][SowFrame[h]], SowPos[h], kSowHotSpot[h]);
    }
}

void TKelaniHands::ShowFrame() {
    Render();
    if (OnFrame) OnFrame(*this);
}

int64_t TKelaniHands::Now() const {
    return Tick ? Tick() : TickCount();
}

void TKelaniHands::WaitFrom(int64_t start, int ms) {
    if (WaitUntilTick) {
        WaitUntilTick(start + ms);
    } else {
        WaitUntil(start + ms);
    }
}

int TKelaniHands::StepLength(double distance) {
    if (distance > 300) return 57;
    if (distance > 200) return 47;
    if (distance > 80) return 34;
    return 26;
}

QPoint TKelaniHands::StepToward(QPoint from, QPoint to) {
    const QPoint diff = to - from;
    const double d = std::sqrt(double(diff.x()) * diff.x() + double(diff.y()) * diff.y());
    const int s = StepLength(d);
    if (d <= s) return to;
    // nearbyint rounds to nearest with ties to the even integer (the default rounding mode).
    return from + QPoint(int(std::nearbyint(diff.x() * s / d)), int(std::nearbyint(diff.y() * s / d)));
}

void TKelaniHands::MoveHands(QPoint pickTarget, QPoint sowTarget, int h) {
    if (!IsPlayer(h)) return;
    do {
        const int64_t start = Now();
        PickPos[h] = StepToward(PickPos[h], pickTarget);
        SowPos[h] = StepToward(SowPos[h], sowTarget);
        ShowFrame();
        WaitFrom(start, kMoveStepMs);
    } while (PickPos[h] != pickTarget || SowPos[h] != sowTarget);
}

// Step numbers from `first` to `last` (either direction), 50 ms each; a number without a
// picture only waits, so the previous picture stays 50 ms longer.
void TKelaniHands::PlayFrames(int& shown, int first, int last, bool (*exists)(int)) {
    const int direction = last >= first ? 1 : -1;
    for (int k = first;; k += direction) {
        const int64_t start = Now();
        if (exists(k)) {
            shown = k;
            ShowFrame();
        }
        WaitFrom(start, kFrameStepMs);
        if (k == last) break;
    }
}

void TKelaniHands::Pick(QPoint point, int count, int h) {
    if (!IsPlayer(h)) return;
    PickPos[h] = point;
    PickFrame[h] = 0;
    PickStones[h] += count;
    PlayFrames(PickFrame[h], 0, kLastPickFrame, PickFrameExists);
}

void TKelaniHands::HandOver(QPoint point, int count, int h) {
    if (!IsPlayer(h)) return;
    MoveHands(PickPos[h], point + kHandOverOffset[h], h);
    PlayFrames(SowFrame[h], 0, kLastSowFrame, SowFrameExists);
    PickStones[h] = std::max(0, PickStones[h] - count);
}

void TKelaniHands::Drop(QPoint point, int, int h) {
    if (!IsPlayer(h)) return;
    MoveHands(PickPos[h], point, h);
    PlayFrames(SowFrame[h], kLastSowFrame, 0, SowFrameExists);
    PlayFrames(SowFrame[h], 0, kLastSowFrame, SowFrameExists);
}

} // namespace kelani
