#include "view/uTBitmapLayer.h"

namespace kelani {

TBitmapLayer::TBitmapLayer(TCanvas& sourceCanvas, TCanvas& destCanvas, const QRect& sourceRect,
                           const QRect& destRect, TCanDrawEvent onCanDraw)
    : DestCanvas(destCanvas), DestRect(destRect), SourceCanvas(sourceCanvas), SourceRect(sourceRect),
      OnCanDraw(std::move(onCanDraw)) {}

void TBitmapLayer::AdjustBrush(TCanvas& target) const {
    if (Transparent && target.Brush.Style == TBrushStyle::Solid) {
        target.Brush.Style = TBrushStyle::Clear;
    } else if (!Transparent && target.Brush.Style == TBrushStyle::Clear) {
        target.Brush.Style = TBrushStyle::Solid;
    }
}

void TBitmapLayer::Paint(TCanvas* canvas) {
    TCanvas& target = canvas ? *canvas : DestCanvas;
    target.CopyRect(DestRect, SourceCanvas, SourceRect);
    const bool drawn = DrawContent(target);
    if (Owner) Owner->RepairOverlaps(*this, target);
    if (drawn && OnPainted) OnPainted(this);
}

bool TBitmapLayer::DrawContent(TCanvas& target) {
    AdjustBrush(target);
    if (OnCanDraw && !OnCanDraw()) return false;
    target.Font.Size = FontSize;
    Draw(target);
    return true;
}

void TBitmapLayerInteger::SetValue(int value) {
    if (value == FValue) return;
    FValue = value;
    Paint();
}

void TBitmapLayerString::SetText(const QString& text) {
    if (text == FText) return;
    FText = text;
    Paint();
}

void TBitmapLayers::Add(TBitmapLayer* layer) {
    Items.push_back(layer);
    layer->Owner = this;
}

void TBitmapLayers::Paint(TCanvas* canvas) {
    for (TBitmapLayer* layer : Items) layer->Paint(canvas);
}

// A restore wipes whatever other layers drew where their rectangles overlap this one (the two
// clocks, the move counters). Each overlap is rebuilt from the background with every layer that
// covers it drawn in list order, so a repaint never eats into a neighbour and later layers still
// lie on top.
void TBitmapLayers::RepairOverlaps(const TBitmapLayer& painted, TCanvas& target) {
    const QPoint toSource = painted.SourceRect.topLeft() - painted.DestRect.topLeft();
    const QRect oldClip = target.ClipRect;
    for (TBitmapLayer* neighbour : Items) {
        const QRect overlap = neighbour->DestRect & painted.DestRect;
        if (neighbour == &painted || overlap.isEmpty()) continue;
        target.ClipRect = overlap;
        target.CopyRect(overlap, painted.SourceCanvas, overlap.translated(toSource));
        for (TBitmapLayer* layer : Items)
            if (layer->DestRect.intersects(overlap)) layer->DrawContent(target);
    }
    target.ClipRect = oldClip;
}

void TBitmapLayers::SetOnPainted(TPaintedEvent event) {
    for (TBitmapLayer* layer : Items) layer->OnPainted = event;
    OnPainted = std::move(event);
}

void TBitmapLayers::NotifyPainted() const {
    if (OnPainted) OnPainted(nullptr);
}

} // namespace kelani
