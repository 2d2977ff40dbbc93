#include "app/uReview.h"

#include "app/ufHistory.h"
#include "control/uTReview.h"
#include "control/uTSpielfeld.h"

#include <QEventLoop>
#include <QPainter>
#include <QPainterPath>
#include <QProgressDialog>
#include <algorithm>

namespace kelani {

namespace {

constexpr int kGraphHeight = 80;
constexpr int kSketchRowHeight = 62;

} // namespace

QString ReviewMarkText(TReviewMark mark) {
    switch (mark) {
    case TReviewMark::Inaccuracy:
        return QStringLiteral("?!");
    case TReviewMark::Mistake:
        return QStringLiteral("?");
    case TReviewMark::Blunder:
        return QStringLiteral("??");
    case TReviewMark::None:
        break;
    }
    return {};
}

void DrawReviewMarks(QImage& picture, const std::vector<TReviewMove>& review) {
    if (picture.isNull()) return;
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::red);
    // Cells as BuildHistoryPicture lays them out: two a row, the number margin on each one's left.
    const int cellWidth = static_cast<int>(picture.deviceIndependentSize().width()) / 2;
    for (size_t k = 0; k < review.size(); ++k) {
        const QString mark = ReviewMarkText(review[k].Mark);
        if (mark.isEmpty()) continue;
        const int x = cellWidth * static_cast<int>(k % 2);
        const int y = kSketchRowHeight * static_cast<int>(k / 2);
        painter.drawText(QRect(x, y + 16, kHistoryNumberMargin, 16), Qt::AlignCenter, mark);
    }
}

QImage BuildReviewGraph(const std::vector<TReviewMove>& review, int width, int scale) {
    QImage graph(QSize(width, kGraphHeight) * scale, QImage::Format_RGB32);
    graph.setDevicePixelRatio(scale);
    graph.fill(Qt::white);
    QPainter painter(&graph);
    painter.setRenderHint(QPainter::Antialiasing);
    const int middle = kGraphHeight / 2;
    painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    painter.drawLine(0, middle, width, middle);
    if (review.empty()) return graph;
    int most = 4;
    for (const TReviewMove& move : review) most = std::max(most, std::abs(move.Value1));
    const double dx = static_cast<double>(width - 8) / std::max<size_t>(review.size(), 2);
    const auto at = [&](size_t k) {
        return QPointF(4 + dx * static_cast<double>(k + 1),
                       middle - static_cast<double>(review[k].Value1) * (middle - 4) / most);
    };
    QPainterPath line(QPointF(4, middle));
    for (size_t k = 0; k < review.size(); ++k) line.lineTo(at(k));
    painter.setPen(QPen(QColor(0, 110, 0), 2));
    painter.drawPath(line);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::red);
    for (size_t k = 0; k < review.size(); ++k)
        if (review[k].Mark != TReviewMark::None) painter.drawEllipse(at(k), 3.5, 3.5);
    return graph;
}

std::vector<TReviewMove> RunReview(QWidget* parent, TSpielfeld& game, const QString& title,
                                   const QString& text, const QString& cancel, bool& completed) {
    QProgressDialog box(text, cancel, 0, game.History().Count(), parent);
    box.setObjectName(QStringLiteral("pdReview"));
    box.setWindowTitle(title);
    box.setWindowModality(Qt::WindowModal);
    box.setMinimumDuration(0);
    TReview review;
    std::vector<TReviewMove> result;
    QEventLoop loop;
    completed = false;
    review.Start(
        game.History(), game.Endgame(), kReviewMsPerMove, [&](int done, int) { box.setValue(done); },
        [&](const std::vector<TReviewMove>& moves) {
            result = moves;
            completed = true;
            loop.quit();
        });
    QObject::connect(&box, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
    loop.exec();
    review.Stop();
    return result;
}

} // namespace kelani
