#pragma once
// The hand animation: per player a picking hand that lifts the stones out of a pit and a sowing
// hand that drops them place by place. TKelaniHands keeps where all four hands stand and which
// frame each shows, composes animation frames off screen (board picture, then each hand drawn
// with its mask by AND and its picture by XOR) and runs the timed movements and frame sequences.
//
// Every timed step notes the tick count when it begins and waits until its length has passed from
// there, pumping window messages meanwhile, so slow drawing shortens the pause instead of
// slowing the animation. Hand index h is the player, 1 or 2.
#include <QImage>
#include <QPoint>
#include <array>
#include <cstdint>
#include <functional>

namespace kelani {

class TGFXSteine;

// One frame of one hand.
struct TKelaniHand {
    QImage Picture; // the hand; black wherever the board shows through
    QImage Mask;    // black on the hand, white where the board shows through; same size
};

class TKelaniHands {
public:
    // Frame numbers that have pictures: picking 0, 1, 3, 5, 7, 9, 11; sowing 0, 2, 4.
    static constexpr int kLastPickFrame = 11;
    static constexpr int kLastSowFrame = 4;
    static bool PickFrameExists(int n) { return n == 0 || (n % 2 == 1 && n <= kLastPickFrame); }
    static bool SowFrameExists(int n) { return n >= 0 && n <= kLastSowFrame && n % 2 == 0; }

    TKelaniHands() = default;
    TKelaniHands(const TKelaniHands&) = delete;
    TKelaniHands& operator=(const TKelaniHands&) = delete;

    QImage* FrameImage = nullptr;            // every frame is composed into this picture
    const QImage* BoardImage = nullptr;      // copied first into every frame
    const TGFXSteine* SteinBilder = nullptr; // the piles the picking hand carries
    std::array<std::array<TKelaniHand, kLastPickFrame + 1>, 3> PickFrames; // [h][n]
    std::array<std::array<TKelaniHand, kLastSowFrame + 1>, 3> SowFrames;   // [h][n]
    std::array<QPoint, 3> PickPos{}, SowPos{};
    std::array<int, 3> PickFrame{}, SowFrame{}, PickStones{};
    // Called after every composed frame (the controller brings the frame to the screen).
    std::function<void(TKelaniHands& sender)> OnFrame;

    // The clock and the wait of every timed step; tests may put a simulated clock here.
    std::function<int64_t()> Tick;
    std::function<void(int64_t tick)> WaitUntilTick;

    // Loads the 40 pictures and masks from hands.gfx in the program folder, for frames at `scale`
    // pixels per point (a plain container's pictures are enlarged pixel for pixel, so the masks
    // stay exact).
    void LoadPictures(int scale = 1);

    // Composes one frame into FrameImage (at the scale of the board picture); hands whose y lies
    // outside 0..640 are not drawn.
    void Render();
    // The timed operations ignore a player index other than 1 or 2.
    // Moves player h's picking and sowing hands toward their targets, one 100 ms step per frame,
    // until both stand on them (at least one frame, even when they are there already).
    void MoveHands(QPoint pickTarget, QPoint sowTarget, int h);
    // The picking hand closes on `count` more stones at `point` (frames 0..11, 600 ms).
    void Pick(QPoint point, int count, int h);
    // The sowing hand comes to the picking hand and takes `count` stones over.
    void HandOver(QPoint point, int count, int h);
    // The sowing hand goes to `point` and lets a stone fall.
    void Drop(QPoint point, int count, int h);

    // How far a hand moves in one step when `distance` away from its target.
    static int StepLength(double distance);
    // One movement step from `from` toward `to`.
    static QPoint StepToward(QPoint from, QPoint to);

private:
    void PlayFrames(int& shown, int first, int last, bool (*exists)(int));
    int64_t Now() const;
    void ShowFrame();
    void WaitFrom(int64_t start, int ms);
    void DrawHand(const TKelaniHand& hand, QPoint pos, QPoint hotSpot);
    void DrawHeldStones(int h);
};

} // namespace kelani
