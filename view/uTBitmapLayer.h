#pragma once
// Drawing layers: small rectangles of the board picture that repaint themselves when the value
// they show changes. A layer first restores its rectangle from the clean background, then draws
// its content on top and tells the window that the picture changed; the rest of the board is
// never touched, so a clock tick costs one small copy and one small text.
#include "view/uTCanvas.h"

#include <QRect>
#include <QString>
#include <functional>
#include <vector>

namespace kelani {

class TBitmapLayer;
class TBitmapLayers;

// Asked before drawing; false leaves only the restored background (no game running).
using TCanDrawEvent = std::function<bool()>;
// Called after every completed paint; `sender` is the layer, or null when the whole list reports.
using TPaintedEvent = std::function<void(TBitmapLayer* sender)>;

class TBitmapLayer {
public:
    TBitmapLayer(TCanvas& sourceCanvas, TCanvas& destCanvas, const QRect& sourceRect, const QRect& destRect,
                 TCanDrawEvent onCanDraw);
    virtual ~TBitmapLayer() = default;
    TBitmapLayer(const TBitmapLayer&) = delete;
    TBitmapLayer& operator=(const TBitmapLayer&) = delete;

    TCanvas& DestCanvas;   // the scene, painted on when Paint gets no canvas
    const QRect DestRect;  // the layer's area on the target
    TCanvas& SourceCanvas; // the clean background
    const QRect SourceRect;
    TCanDrawEvent OnCanDraw;
    int FontSize = 8;        // set on the target before Draw
    bool Transparent = true; // text without a background box
    TBitmapLayers* Owner = nullptr;
    TPaintedEvent OnPainted;

    // Restores the rectangle on `canvas` (the scene when null) and, when allowed, draws the content
    // and reports the paint. Where other layers of the same list overlap the rectangle, their
    // content is drawn again in list order, so the restore does not erase it.
    void Paint(TCanvas* canvas = nullptr);
    // Draws the content over what is there, when allowed; false when OnCanDraw refused.
    bool DrawContent(TCanvas& target);

protected:
    // Draws the content; only the font size of the target has been set for it.
    virtual void Draw(TCanvas& canvas) = 0;

private:
    void AdjustBrush(TCanvas& target) const;
};

// A layer that shows a number. -99 lies outside every layer's range: a new layer shows background.
class TBitmapLayerInteger : public TBitmapLayer {
public:
    using TBitmapLayer::TBitmapLayer;
    int Value() const { return FValue; }
    // Repaints at once on the scene; an unchanged value costs nothing and notifies nobody.
    void SetValue(int value);

private:
    int FValue = -99;
};

// A layer that shows a text.
class TBitmapLayerString : public TBitmapLayer {
public:
    using TBitmapLayer::TBitmapLayer;
    const QString& Text() const { return FText; }
    // Repaints at once on the scene; an unchanged text (exact comparison) costs nothing.
    void SetText(const QString& text);

private:
    QString FText;
};

// The ordered list of layers; index 0 is painted first. It does not own its layers.
class TBitmapLayers {
public:
    TBitmapLayers() = default;
    virtual ~TBitmapLayers() = default;
    TBitmapLayers(const TBitmapLayers&) = delete;
    TBitmapLayers& operator=(const TBitmapLayers&) = delete;

    void Add(TBitmapLayer* layer);
    // Paints every layer in list order on `canvas`, or each on its own scene when null.
    void Paint(TCanvas* canvas = nullptr);
    // Gives `event` to every layer already in the list and keeps it as the list's own
    // notification; layers added later do not receive it.
    void SetOnPainted(TPaintedEvent event);
    // Rebuilds the parts of other layers' rectangles that `painted` just restored (see Paint).
    void RepairOverlaps(const TBitmapLayer& painted, TCanvas& target);
    // Fires the list's own notification (sender null): the scene changed as a whole.
    void NotifyPainted() const;

    int Count() const { return static_cast<int>(Items.size()); }
    TBitmapLayer* operator[](int index) const { return Items[index]; }

protected:
    std::vector<TBitmapLayer*> Items;

private:
    TPaintedEvent OnPainted;
};

} // namespace kelani
