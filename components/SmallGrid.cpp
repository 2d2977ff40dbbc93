#include "components/SmallGrid.h"

#include "components/uAccessibleParts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <vector>

namespace kelani {
namespace {

Qt::Alignment QtAlignment(TGridAlignment h, TGridAlignment v) {
    const Qt::Alignment horizontal = h == gaRightBottom ? Qt::AlignRight
                                     : h == gaCentre    ? Qt::AlignHCenter
                                                        : Qt::AlignLeft;
    const Qt::Alignment vertical = v == gaRightBottom ? Qt::AlignBottom
                                   : v == gaCentre    ? Qt::AlignVCenter
                                                      : Qt::AlignTop;
    return horizontal | vertical;
}

// Running positions of the cell edges: edges[i] is where cell i begins, edges.back() the end.
std::vector<int> Edges(int start, int count, int scale, const std::function<int(int)>& extent) {
    std::vector<int> edges{start};
    for (int i = 0; i < count; ++i) edges.push_back(edges.back() + extent(i) * scale);
    return edges;
}

} // namespace

// A list of rows, each read whole: Orca reads a table's rows by their cells only, and these rows
// have none of their own.
TSmallGrid::TSmallGrid(QWidget* parent)
    : QWidget(parent), access_(new TAccessibleParts(this, QAccessible::List, QAccessible::ListItem)) {
    access_->Count = [this] { return rowCount_; };
    access_->Name = [this](int row) { return RowText(row); };
    access_->Rect = [this](int row) { return RowRect(row); };
    access_->Selected = [this](int row) { return IsSelected(0, row); };
    resize(200, 250);
    UpdateSize();
}

void TSmallGrid::SetRowCount(int rows) {
    rowCount_ = rows < 0 ? 0 : rows;
    CellsChanged();
}

void TSmallGrid::SetColCount(int cols) {
    colCount_ = cols < 0 ? 0 : cols;
    CellsChanged();
}

void TSmallGrid::SelectRow(int row) {
    const int before = selection_.Top;
    selection_ = row < 0 ? TGridSelection{} : TGridSelection{0, row, colCount_, row + 1};
    update();
    access_->SelectionChanged(before);
    access_->SelectionChanged(row);
}

void TSmallGrid::CellsChanged() {
    UpdateSize();
    update();
    access_->Changed();
}

QString TSmallGrid::CellText(int col, int row) const {
    QString text;
    if (OnGetCellStr) OnGetCellStr(*this, col, row, text);
    return text;
}

QString TSmallGrid::RowText(int row) const {
    QStringList cells;
    for (int c = 0; c < colCount_; ++c) {
        const QString text = CellText(c, row);
        if (text.isEmpty()) continue;
        const QString head = HeadRow && row > 0 ? CellText(c, 0) : QString();
        cells << (head.isEmpty() ? text : head + QStringLiteral(": ") + text);
    }
    return cells.join(QStringLiteral(", "));
}

QRect TSmallGrid::RowRect(int row) const {
    int top = 0;
    for (int r = 0; r < row; ++r) top += RowHeight(r);
    return QRect(0, top, TotalWidth(), RowHeight(row));
}

bool TSmallGrid::IsSelected(int col, int row) const {
    return col >= selection_.Left && col < selection_.Right && row >= selection_.Top &&
           row < selection_.Bottom;
}

int TSmallGrid::ColWidth(int col) const {
    int width = kDefaultColWidth;
    if (OnGetColWidth) OnGetColWidth(*this, col, width);
    return width;
}

int TSmallGrid::RowHeight(int row) const {
    int height = kDefaultRowHeight;
    if (OnGetRowHeight) OnGetRowHeight(*this, row, height);
    return height;
}

int TSmallGrid::TotalWidth() const {
    int total = 0;
    for (int c = 0; c < colCount_; ++c) total += ColWidth(c);
    return total;
}

int TSmallGrid::TotalHeight() const {
    int total = 0;
    for (int r = 0; r < rowCount_; ++r) total += RowHeight(r);
    return total;
}

void TSmallGrid::UpdateSize() {
    // The extra pixel keeps room for the closing grid line, drawn or not.
    setFixedSize(TotalWidth() + 1, TotalHeight() + 1);
}

void TSmallGrid::PaintTo(QPainter& painter, QPoint origin, int scale) const {
    const auto cols = Edges(origin.x(), colCount_, scale, [this](int c) { return ColWidth(c); });
    const auto rows = Edges(origin.y(), rowCount_, scale, [this](int r) { return RowHeight(r); });
    painter.save();
    QColor background = painter.brush().color();
    painter.setPen(painter.pen().color());
    for (int r = 0; r < rowCount_; ++r) {
        for (int c = 0; c < colCount_; ++c) {
            const QRect cell(QPoint(cols[c], rows[r]), QPoint(cols[c + 1] - 1, rows[r + 1] - 1));
            const QString text = CellText(c, r);
            TGridAlignment h = gaLeftTop, v = gaCentre;
            if (OnGetCellAlignment) OnGetCellAlignment(*this, c, r, h, v);
            if (OnGetCellColorBG) OnGetCellColorBG(*this, c, r, background);
            painter.fillRect(cell, background);
            const QRect inner = cell.adjusted(scale * kCellPaddingHori, scale * kCellPaddingVert,
                                              -scale * kCellPaddingHori, -scale * kCellPaddingVert);
            const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, inner.width());
            painter.drawText(inner, QtAlignment(h, v) | Qt::TextSingleLine, shown);
        }
    }
    if (GridLineHori > 0) {
        painter.setPen(QPen(painter.pen().color(), scale * GridLineHori, Qt::SolidLine, Qt::FlatCap));
        for (int y : rows) painter.drawLine(cols.front(), y, cols.back(), y);
    }
    if (GridLineVert > 0) {
        painter.setPen(QPen(painter.pen().color(), scale * GridLineVert, Qt::SolidLine, Qt::FlatCap));
        for (int x : cols) painter.drawLine(x, rows.front(), x, rows.back());
    }
    painter.restore();
}

void TSmallGrid::paintEvent(QPaintEvent*) {
    UpdateSize();
    QPainter painter(this);
    painter.setBrush(palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    PaintTo(painter, QPoint(0, 0), 1);
}

int TSmallGrid::CellAt(int position, int count, int (TSmallGrid::*extent)(int) const) const {
    int edge = 0;
    for (int i = 0; i < count; ++i) {
        edge += (this->*extent)(i);
        if (position < edge) return i;
    }
    return -1;
}

void TSmallGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int col = CellAt(at.x(), colCount_, &TSmallGrid::ColWidth);
    const int row = CellAt(at.y(), rowCount_, &TSmallGrid::RowHeight);
    if (OnCellClick) OnCellClick(*this, col, row);
}

} // namespace kelani
