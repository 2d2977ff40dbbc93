#pragma once
// TSmallGrid: a light grid control that stores no cells. Its owner answers, through events, every
// cell's text, alignment and background and every column width and row height; the grid can draw
// itself at any integer scale onto any painter, which is how the highscore table is printed.
// A screen reader reads it as a list of rows, each row's cells joined into its name.
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

class QPainter;

namespace kelani {

class TAccessibleParts;

// 0 left/top, 1 right/bottom, 2 centre.
enum TGridAlignment { gaLeftTop = 0, gaRightBottom = 1, gaCentre = 2 };

// A block of cells; Right and Bottom are exclusive. All -1 selects nothing.
struct TGridSelection {
    int Left = -1, Top = -1, Right = -1, Bottom = -1;
};

class TSmallGrid : public QWidget {
    Q_OBJECT
public:
    explicit TSmallGrid(QWidget* parent = nullptr);

    // Setting any of these resizes the control at once to its total size plus one pixel and tells
    // the screen reader, as CellsChanged does.
    int RowCount() const { return rowCount_; }
    void SetRowCount(int rows);
    void SetColCount(int cols);

    int GridLineHori = 1; // width of the horizontal lines; 0 draws none
    int GridLineVert = 1;
    // Row 0 holds the column heads: a screen reader hears each cell below it with its head.
    bool HeadRow = false;

    std::function<void(const TSmallGrid&, int col, int row, QString& cell)> OnGetCellStr;
    std::function<void(const TSmallGrid&, int col, int row, TGridAlignment& hAlign, TGridAlignment& vAlign)>
        OnGetCellAlignment;
    std::function<void(const TSmallGrid&, int col, int& width)> OnGetColWidth;
    std::function<void(const TSmallGrid&, int row, int& height)> OnGetRowHeight;
    std::function<void(const TSmallGrid&, int col, int row, QColor& color)> OnGetCellColorBG;
    std::function<void(const TSmallGrid&, int col, int row)> OnCellClick;

    // Selects every column of row r (none for -1) and repaints.
    void SelectRow(int row);
    bool IsSelected(int col, int row) const;

    // The owner's cells have changed: repaints them and has a screen reader read them anew.
    void CellsChanged();
    QString CellText(int col, int row) const;
    // The row as a screen reader reads it: its cells joined, with their heads below a head row.
    QString RowText(int row) const;
    QRect RowRect(int row) const;

    int ColWidth(int col) const;
    int RowHeight(int row) const;
    int TotalWidth() const;
    int TotalHeight() const;

    // Draws the whole grid with its top-left corner at `origin`; every width, height, padding and
    // line width is multiplied by `scale`. Starts from the painter's current brush colour.
    void PaintTo(QPainter& painter, QPoint origin, int scale) const;

    // Resizes the control to the grid's size plus one pixel.
    void UpdateSize();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int CellAt(int position, int count, int (TSmallGrid::*extent)(int) const) const;
    int rowCount_ = 5;
    int colCount_ = 4;
    // Cells whose owner answers no width or height.
    static constexpr int kDefaultRowHeight = 18;
    static constexpr int kDefaultColWidth = 64;
    static constexpr int kCellPaddingHori = 3;
    static constexpr int kCellPaddingVert = 0;
    TGridSelection selection_;
    TAccessibleParts* access_;
};

} // namespace kelani
