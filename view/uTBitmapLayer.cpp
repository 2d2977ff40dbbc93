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
    AdjustBrush(target);
    target.CopyRect(DestRect, SourceCanvas, SourceRect);
    if (OnCanDraw && !OnCanDraw()) return;
    target.Font.Size = FontSize;
    Draw(target);
    if (OnPainted) OnPainted(this);
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

void TBitmapLayers::SetOnPainted(TPaintedEvent event) {
    for (TBitmapLayer* layer : Items) layer->OnPainted = event;
    OnPainted = std::move(event);
}

void TBitmapLayers::NotifyPainted() const {
    if (OnPainted) OnPainted(nullptr);
}

} // namespace kelani
