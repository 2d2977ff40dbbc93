#include "view/uTSpielfeldLayers.h"

#include "game/uTFeld.h"
#include "view/uTFeldSketch.h"
#include "view/uTGFXFile.h"

#include <QRegularExpression>
#include <algorithm>

namespace kelani {
namespace {

const QColor kSteinKey(255, 0, 0);
const QColor kMuldenKey(255, 255, 255);

struct TPitGeometry {
    QRect Rect;    // the layer and the hit test
    QPoint Steine; // top-left of the pile before its offset
    QPoint Mulde;  // top-left of the pit's front rim
};

// Indexed by place; head pits carry no stone or rim origin (they spread their piles instead).
const std::array<TPitGeometry, 15> kPits = {{
    {},
    {RectLTRB(512, 160, 578, 211), {507, 160}, {506, 185}},
    {RectLTRB(438, 160, 505, 211), {434, 161}, {433, 187}},
    {RectLTRB(366, 160, 432, 211), {361, 161}, {359, 187}},
    {RectLTRB(292, 160, 359, 211), {288, 161}, {286, 187}},
    {RectLTRB(219, 160, 286, 211), {214, 161}, {214, 187}},
    {RectLTRB(146, 160, 213, 211), {141, 161}, {140, 187}},
    {RectLTRB(58, 182, 126, 280), {}, {}},
    {RectLTRB(132, 237, 203, 294), {129, 243}, {123, 267}},
    {RectLTRB(210, 237, 281, 294), {207, 242}, {202, 266}},
    {RectLTRB(289, 237, 359, 294), {285, 242}, {281, 266}},
    {RectLTRB(367, 237, 436, 294), {363, 242}, {360, 266}},
    {RectLTRB(445, 237, 515, 294), {442, 241}, {438, 266}},
    {RectLTRB(522, 237, 592, 294), {520, 241}, {516, 266}},
    {RectLTRB(594, 176, 659, 276), {}, {}},
}};

// A head pit shows at most fifteen stones, spread over five piles at fixed anchors.
constexpr int kHeadPitMax = 15;
const std::array<QPoint, 5> kAnchors7 = {{{75, 185}, {100, 229}, {66, 213}, {61, 219}, {73, 255}}};
const std::array<QPoint, 5> kAnchors14 = {{{596, 178}, {601, 214}, {608, 216}, {599, 232}, {622, 252}}};

// Stones per anchor for c = 1..15 stones; every row sums to c.
using TSpread = std::array<std::array<int, 5>, kHeadPitMax + 1>;
const TSpread kSpread7 = {{{},
                           {0, 0, 0, 1, 0},
                           {1, 0, 0, 1, 0},
                           {1, 1, 0, 1, 0},
                           {1, 1, 1, 1, 0},
                           {2, 1, 1, 1, 0},
                           {2, 1, 1, 1, 1},
                           {3, 1, 1, 1, 1},
                           {3, 1, 1, 2, 1},
                           {3, 1, 1, 3, 1},
                           {3, 1, 1, 4, 1},
                           {3, 1, 1, 5, 1},
                           {4, 1, 1, 5, 1},
                           {4, 1, 1, 6, 1},
                           {5, 1, 1, 6, 1},
                           {6, 1, 1, 6, 1}}};
const TSpread kSpread14 = {{{},
                            {0, 0, 1, 0, 0},
                            {1, 0, 1, 0, 0},
                            {1, 1, 1, 0, 0},
                            {2, 1, 1, 0, 0},
                            {2, 1, 2, 0, 0},
                            {2, 1, 2, 1, 0},
                            {3, 1, 2, 1, 0},
                            {3, 1, 2, 1, 1},
                            {3, 1, 3, 1, 1},
                            {3, 1, 4, 1, 1},
                            {3, 1, 5, 1, 1},
                            {4, 1, 5, 1, 1},
                            {4, 1, 6, 1, 1},
                            {5, 1, 6, 1, 1},
                            {6, 1, 6, 1, 1}}};

QString TwoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// Splits at CR LF, CR or LF; a final line break ends the last line and opens no new one.
QStringList SplitLines(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace

QPoint PileOffset(int n) {
    static const std::array<QPoint, 9> offsets = {
        {{0, 0}, {23, 19}, {23, 10}, {23, 7}, {9, 6}, {9, 5}, {9, 0}, {10, 0}, {7, 0}}};
    return n >= 1 && n <= 8 ? offsets[n] : QPoint(0, 0);
}

QRect PitRect(int place) {
    return place >= 1 && place <= 14 ? kPits[place].Rect : QRect();
}

void DrawFocusRing(QImage& board, int place) {
    if (!IsPlayingPit(place)) return;
    TCanvas canvas(board);
    canvas.Brush.Style = TBrushStyle::Clear;
    // Light on the dark wood, a dark seam inside it so it also shows over light stones; the pits
    // lie seven points apart, so the ring stays clear of the neighbours.
    canvas.Pen = {3, QColor(255, 230, 90)};
    canvas.Ellipse(PitRect(place).adjusted(-3, -3, 3, 3));
    canvas.Pen = {1, QColor(60, 30, 0)};
    canvas.Ellipse(PitRect(place));
}

// ---- pictures ----

TGFXSteine::TGFXSteine(int scale) {
    const TGFXFile gfx = OpenGfxFile(QStringLiteral("steine.gfx"), scale);
    for (int n = 1; n <= 9; ++n) {
        QImage picture;
        gfx.LoadBitmap("st" + std::to_string(n) + ".bmp", picture);
        // The key goes first, so a 1x picture enlarged for 2x fades out at its edges, not to red.
        Bilder[n] = FitScale(MakeTransparent(picture, kSteinKey), scale);
    }
}

TGFXSteine::TGFXSteine(const std::array<QImage, 9>& pictures) {
    for (int n = 1; n <= 9; ++n) Bilder[n] = MakeTransparent(pictures[n - 1], kSteinKey);
}

const QImage& TGFXSteine::Bild(int n) const {
    return Bilder[std::clamp(n, 1, 9)];
}

TGFXMulden::TGFXMulden(int scale) {
    const TGFXFile gfx = OpenGfxFile(QStringLiteral("mulden.gfx"), scale);
    for (int place = 1; place <= 13; ++place) {
        if (IsStirnmulde(place)) continue;
        QImage picture;
        gfx.LoadBitmap("mst" + std::to_string(place) + ".bmp", picture);
        Bilder[place] = FitScale(MakeTransparent(picture, kMuldenKey), scale);
    }
}

TGFXMulden::TGFXMulden(const std::array<QImage, 15>& pictures) {
    for (int place = 1; place <= 13; ++place)
        if (!IsStirnmulde(place)) Bilder[place] = MakeTransparent(pictures[place], kMuldenKey);
}

// ---- text layers ----

void TZeitLayer::Draw(TCanvas& canvas) {
    const int s = Value();
    if (s < 0) return;
    const QString text = QStringLiteral("%1) %2:%3:%4")
                             .arg(Spieler)
                             .arg(TwoDigits(s / 3600), TwoDigits(s / 60 % 60), TwoDigits(s % 60));
    canvas.TextRect(DestRect, DestRect.left(), DestRect.top(), text);
}

void TAktSpielerLayer::Draw(TCanvas& canvas) {
    const int v = Value();
    if (v < 1 || v > 2) return;
    const QString& name = Names[v];
    while (canvas.TextWidth(name) > DestRect.width() && canvas.Font.Size > 4) --canvas.Font.Size;
    canvas.TextRect(DestRect, DestRect.left(), DestRect.top(), name);
}

TCaptionLayer::TCaptionLayer(TCanvas& source, TCanvas& dest, const QRect& rect, TCanDrawEvent onCanDraw,
                             const TTranslate& language)
    : TBitmapLayerInteger(source, dest, rect, rect, std::move(onCanDraw)), Language(language) {}

QString TCaptionLayer::Caption(const QString& key, const QString& german) const {
    return Language ? Language(key) : german;
}

void TVarianteLayer::Draw(TCanvas& canvas) {
    if (Value() <= 0) return;
    const QString text = Caption(QStringLiteral("c_variant"), QStringLiteral("Variante"));
    canvas.TextRect(DestRect, DestRect.left(), DestRect.top(), text + QStringLiteral(" %1").arg(Value()));
}

void TSteineHandLayer::Draw(TCanvas& canvas) {
    if (Value() <= 0) return;
    const QString caption = Caption(QStringLiteral("captioninhand"), QStringLiteral("In der Hand"));
    canvas.TextRect(DestRect, DestRect.left(), DestRect.top(), caption);
    const QString number = QString::number(Value());
    const int x = DestRect.left() + (DestRect.width() - canvas.TextWidth(number)) / 2;
    canvas.TextRect(DestRect, x, DestRect.top() + canvas.TextHeight(QStringLiteral("gH")), number);
}

void TRundeLayer::Draw(TCanvas& canvas) {
    if (Value() <= 0) return;
    const QString prefix = Spieler <= 0 ? QStringLiteral(">") : QStringLiteral("%1) ").arg(Spieler);
    canvas.TextRect(DestRect, DestRect.left(), DestRect.top(), prefix + QString::number(Value()));
}

void TStringLayer::Draw(TCanvas& canvas) {
    const QStringList lines = SplitLines(Text());
    const int canvasSize = canvas.Font.Size;
    if (FontSize > 0) canvas.Font.Size = FontSize;
    const int lineHeight = canvas.TextHeight(QStringLiteral("gH"));
    int shown = std::max(MaxLines, 0);
    if (FontSize > canvasSize) shown = std::min(shown, std::max(DestRect.height() / lineHeight, 1));
    const int count = std::min<qsizetype>(shown, lines.size());
    for (int k = 0; k < count; ++k) {
        const QString& line = TopDown ? lines[k] : lines[lines.size() - 1 - k];
        canvas.TextRect(DestRect, DestRect.left(), DestRect.top() + k * lineHeight, line);
    }
    canvas.Font.Size = canvasSize;
}

// ---- overview ----

void TOverviewLayer::Draw(TCanvas& canvas) {
    if (!Feld || Value() == 0) return;
    // The sketch sets its own font, brush and pen; the board canvas keeps its own for the others.
    const TCanvasFont font = canvas.Font;
    const TCanvasBrush brush = canvas.Brush;
    const TCanvasPen pen = canvas.Pen;
    const int x = DestRect.left() + 3;
    const int y = DestRect.top() + 4;
    DrawFeldSketch(canvas, *Feld, x, y, Value());
    if (Feld->IsLegalMove(Value())) {
        TFeld after(*Feld);
        after.DoMove(Value());
        DrawFeldSketch(canvas, after, x + PreviewOffset, y, 0);
    }
    canvas.Font = font;
    canvas.Brush = brush;
    canvas.Pen = pen;
}

// ---- places ----

TMulde::TMulde(TCanvas& source, TCanvas& dest, const QRect& rect, TCanDrawEvent onCanDraw, int muldeIndex,
               const TGFXSteine& steine, const TGFXMulden& mulden)
    : TBitmapLayerInteger(source, dest, rect, rect, std::move(onCanDraw)), MuldeIndex(muldeIndex),
      SteinBilder(steine), MuldenBilder(mulden) {}

void TMulde::Draw(TCanvas& canvas) {
    const int n = Value();
    if (n < 1 || n > 99) return;
    if (IsStirnmulde(MuldeIndex)) {
        DrawHeadPit(canvas, n);
    } else {
        DrawPit(canvas, n);
    }
}

// The pile first, then the pit's front rim over it, so the stones lie inside the pit.
void TMulde::DrawPit(TCanvas& canvas, int n) const {
    const TPitGeometry& pit = kPits[MuldeIndex];
    const QPoint at = pit.Steine + PileOffset(n);
    canvas.Draw(at.x(), at.y(), SteinBilder.Bild(n));
    canvas.Draw(pit.Mulde.x(), pit.Mulde.y(), MuldenBilder.Bild(MuldeIndex));
}

void TMulde::DrawHeadPit(TCanvas& canvas, int n) const {
    const bool left = MuldeIndex == kStirnmulde1;
    const auto& anchors = left ? kAnchors7 : kAnchors14;
    const auto& spread = (left ? kSpread7 : kSpread14)[std::min(n, kHeadPitMax)];
    int rest = n;
    for (int k = 0; k < 5 && rest > 0; ++k) {
        const int m = std::min(rest, spread[k]);
        if (m <= 0) continue;
        canvas.Draw(anchors[k].x(), anchors[k].y(), SteinBilder.Bild(m));
        rest -= m;
    }
}

// ---- the board view ----

TSpielfeldLayers::TSpielfeldLayers(TCanvas& source, TCanvas& dest, TCanDrawEvent onCanDraw)
    : TSpielfeldLayers(source, dest, std::move(onCanDraw), std::make_unique<TGFXSteine>(),
                       std::make_unique<TGFXMulden>()) {}

TSpielfeldLayers::TSpielfeldLayers(TCanvas& source, TCanvas& dest, TCanDrawEvent onCanDraw,
                                   std::unique_ptr<TGFXSteine> steine, std::unique_ptr<TGFXMulden> mulden)
    : GFXSteine(std::move(steine)), GFXMulden(std::move(mulden)) {
    Build(source, dest, onCanDraw);
}

TSpielfeldLayers::~TSpielfeldLayers() {
    for (TBitmapLayer* layer : Items) delete layer;
}

template <class TLayer, class... TArgs> TLayer* TSpielfeldLayers::AddLayer(TArgs&&... args) {
    auto* layer = new TLayer(std::forward<TArgs>(args)...);
    Add(layer);
    return layer;
}

template <class TLayer>
TLayer* TSpielfeldLayers::AddPlain(TCanvas& source, TCanvas& dest, const QRect& rect,
                                   const TCanDrawEvent& canDraw) {
    return AddLayer<TLayer>(source, dest, rect, rect, canDraw);
}

// The order of the list is the order of a full repaint; clock 2 overlaps clock 1 and wins.
void TSpielfeldLayers::Build(TCanvas& source, TCanvas& dest, const TCanDrawEvent& running) {
    for (int spieler = 1; spieler <= 2; ++spieler) {
        ZeitLayers[spieler] = AddPlain<TZeitLayer>(
            source, dest, spieler == 1 ? RectLTRB(75, 27, 143, 46) : RectLTRB(75, 43, 143, 62), running);
        ZeitLayers[spieler]->Spieler = spieler;
    }
    AktSpielerLayer = AddPlain<TAktSpielerLayer>(source, dest, RectLTRB(220, 27, 285, 46), running);
    VarianteLayer = AddLayer<TVarianteLayer>(source, dest, RectLTRB(353, 27, 416, 46), running, Language);
    SteineHandLayer = AddLayer<TSteineHandLayer>(source, dest, RectLTRB(475, 27, 545, 62), running, Language);
    const std::array<QRect, 3> rundeRects = {RectLTRB(663, 32, 685, 51), RectLTRB(635, 20, 670, 39),
                                             RectLTRB(635, 45, 670, 64)};
    for (int spieler = 0; spieler <= 2; ++spieler) {
        RundeLayers[spieler] = AddPlain<TRundeLayer>(source, dest, rundeRects[spieler], nullptr);
        RundeLayers[spieler]->Spieler = spieler;
    }
    NotesLayer = AddPlain<TStringLayer>(source, dest, RectLTRB(448, 422, 683, 485), nullptr);
    OverviewLayer = AddPlain<TOverviewLayer>(source, dest, RectLTRB(15, 454, 413, 509), running);
    FeldLayers[0] = OverviewLayer;
    for (int place = 1; place <= 14; ++place)
        FeldLayers[place] =
            AddLayer<TMulde>(source, dest, PitRect(place), running, place, *GFXSteine, *GFXMulden);
}

} // namespace kelani
