#pragma once
// The board view: every layer of the board picture that changes during a game (clocks, player to
// move, variant, stones in hand, move counters, notes, the numeric overview with the move
// preview, and the fourteen places with their stones), with the fixed pixel geometry of the
// 720 x 520 board picture. The controller sets the values; each layer repaints only itself.
#include "view/uTBitmapLayer.h"

#include <QImage>
#include <QPoint>
#include <array>
#include <functional>
#include <memory>

namespace kelani {

class TFeld;

// Looks up a caption of the window's language script by key ("c_variant", "captioninhand").
using TTranslate = std::function<QString(const QString& key)>;

// Where the pile picture of n stones (1..8) sits relative to a pit's stone origin; piles of nine
// or more need no offset. Shared with the hands, which carry piles too.
QPoint PileOffset(int n);

// The nine stone-pile pictures; picture n shows n stones. Held ready for drawing: the red key
// colour of the container's pictures is already transparent.
class TGFXSteine {
public:
    // Loads "st1.bmp".."st9.bmp" from steine.gfx in the program folder, for drawing at `scale`
    // pixels per point.
    explicit TGFXSteine(int scale = 1);
    // Takes pictures painted elsewhere at any scale (index 0 is picture 1), pure red (255, 0, 0)
    // transparent.
    explicit TGFXSteine(const std::array<QImage, 9>& pictures);
    // Pile picture of min(n, 9) stones; n must be at least 1.
    const QImage& Bild(int n) const;

private:
    std::array<QImage, 10> Bilder; // 1..9
};

// The front rims of the twelve playing pits, drawn over the stones; none for the head pits.
class TGFXMulden {
public:
    // Loads "mst1.bmp".."mst6.bmp", "mst8.bmp".."mst13.bmp" from mulden.gfx in the program folder,
    // for drawing at `scale` pixels per point.
    explicit TGFXMulden(int scale = 1);
    // Takes pictures painted elsewhere, indexed by place (1..6, 8..13 used), white transparent.
    explicit TGFXMulden(const std::array<QImage, 15>& pictures);
    const QImage& Bild(int place) const { return Bilder[place]; }

private:
    std::array<QImage, 15> Bilder;
};

// Seconds used by one player: "1) 01:02:05".
class TZeitLayer : public TBitmapLayerInteger {
public:
    using TBitmapLayerInteger::TBitmapLayerInteger;
    int Spieler = 1;

protected:
    void Draw(TCanvas& canvas) override;
};

// Name of the player to move (value 1 or 2), shrunk to fit its rectangle.
class TAktSpielerLayer : public TBitmapLayerInteger {
public:
    using TBitmapLayerInteger::TBitmapLayerInteger;
    std::array<QString, 3> Names; // 1..2; assigned without a repaint

protected:
    void Draw(TCanvas& canvas) override;
};

// A number layer with a caption from the window's language.
class TCaptionLayer : public TBitmapLayerInteger {
public:
    TCaptionLayer(TCanvas& source, TCanvas& dest, const QRect& rect, TCanDrawEvent onCanDraw,
                  const TTranslate& language);

protected:
    // The caption of `key`, or `german` while no language is set.
    QString Caption(const QString& key, const QString& german) const;

private:
    const TTranslate& Language;
};

// "Variante 5".
class TVarianteLayer : public TCaptionLayer {
public:
    using TCaptionLayer::TCaptionLayer;

protected:
    void Draw(TCanvas& canvas) override;
};

// "In der Hand" and below it the number of stones, centred.
class TSteineHandLayer : public TCaptionLayer {
public:
    using TCaptionLayer::TCaptionLayer;

protected:
    void Draw(TCanvas& canvas) override;
};

// Moves played: ">12" in total (Spieler 0), "1) 12" for a player.
class TRundeLayer : public TBitmapLayerInteger {
public:
    using TBitmapLayerInteger::TBitmapLayerInteger;
    int Spieler = 0;

protected:
    void Draw(TCanvas& canvas) override;
};

// Lines of text: the first MaxLines in order (TopDown), or the last MaxLines newest first.
class TStringLayer : public TBitmapLayerString {
public:
    using TBitmapLayerString::TBitmapLayerString;
    int MaxLines = 5;
    bool TopDown = false;
    // Points of the text, 0 for the canvas's own; a larger font shows only the lines that fit.
    int FontSize = 0;

protected:
    void Draw(TCanvas& canvas) override;
};

// The numeric sketch of the live position with the place under the pointer ringed (the value),
// and beside it the position after playing that place when it may be played.
class TOverviewLayer : public TBitmapLayerInteger {
public:
    using TBitmapLayerInteger::TBitmapLayerInteger;
    const TFeld* Feld = nullptr; // the live board, not owned
    int PreviewOffset = 210;

protected:
    void Draw(TCanvas& canvas) override;
};

// One board place with its stones: a pile and the pit's front rim, or for a head pit up to
// fifteen stones spread over five piles.
class TMulde : public TBitmapLayerInteger {
public:
    TMulde(TCanvas& source, TCanvas& dest, const QRect& rect, TCanDrawEvent onCanDraw, int muldeIndex,
           const TGFXSteine& steine, const TGFXMulden& mulden);
    const int MuldeIndex;
    const TGFXSteine& SteinBilder;
    const TGFXMulden& MuldenBilder;

protected:
    void Draw(TCanvas& canvas) override;

private:
    void DrawPit(TCanvas& canvas, int n) const;
    void DrawHeadPit(TCanvas& canvas, int n) const;
};

// The rectangle of a board place 1..14 on the board picture (also the controller's hit test).
QRect PitRect(int place);
// Rings a playing pit on the board picture: the pit chosen by keyboard, so the player sees his
// choice where he looks. Drawn at the picture's scale.
void DrawFocusRing(QImage& board, int place);

class TSpielfeldLayers : public TBitmapLayers {
public:
    // `source` is the clean background, `dest` the board picture; `onCanDraw` tells whether a
    // game runs. Loads the stone and pit pictures from their containers in the program folder.
    TSpielfeldLayers(TCanvas& source, TCanvas& dest, TCanDrawEvent onCanDraw);
    // The same with pictures the caller already holds.
    TSpielfeldLayers(TCanvas& source, TCanvas& dest, TCanDrawEvent onCanDraw,
                     std::unique_ptr<TGFXSteine> steine, std::unique_ptr<TGFXMulden> mulden);
    ~TSpielfeldLayers() override;

    // Captions; until the controller sets it the German captions are shown.
    TTranslate Language;
    std::array<TZeitLayer*, 3> ZeitLayers{}; // 1..2
    TAktSpielerLayer* AktSpielerLayer = nullptr;
    TVarianteLayer* VarianteLayer = nullptr;
    TSteineHandLayer* SteineHandLayer = nullptr;
    std::array<TRundeLayer*, 3> RundeLayers{}; // 0 total, 1..2 per player
    TStringLayer* NotesLayer = nullptr;
    std::array<TBitmapLayerInteger*, 15> FeldLayers{}; // 0 overview, 1..14 places
    TOverviewLayer* OverviewLayer = nullptr;           // the same object as FeldLayers[0]
    const std::unique_ptr<TGFXSteine> GFXSteine;
    const std::unique_ptr<TGFXMulden> GFXMulden;

private:
    void Build(TCanvas& source, TCanvas& dest, const TCanDrawEvent& onCanDraw);
    template <class TLayer, class... TArgs> TLayer* AddLayer(TArgs&&... args);
    // A layer whose source and destination rectangles are the same.
    template <class TLayer>
    TLayer* AddPlain(TCanvas& source, TCanvas& dest, const QRect& rect, const TCanDrawEvent& canDraw);
};

} // namespace kelani
