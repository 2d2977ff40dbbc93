#pragma once
// A label and a hint window that render a small HTML subset: bold and italic text, line breaks and
// pictures from an image list, referenced as <IMG src="idx:N">. The pit hint of the board uses it
// to show a stone picture next to the bold stone count.
#include <QImage>
#include <QList>
#include <QWidget>

class QTextDocument;

namespace kelani {

// Renders its HTML text with Qt's rich-text engine; "idx:N" image sources resolve to the N-th
// picture of the image list, an unknown index shows nothing.
class THtmlLabel : public QWidget {
    Q_OBJECT
public:
    explicit THtmlLabel(QWidget* parent = nullptr);
    ~THtmlLabel() override;

    void SetHtml(const QString& html);
    QString Html() const { return html_; }
    void SetImages(const QList<QImage>& images);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    static constexpr int kPadding = 4;

private:
    void Rebuild();

    QString html_;
    QList<QImage> images_;
    QTextDocument* document_;
};

// The hint window: a small rounded tool-tip window, font "Tahoma" 8 pt, that shows an HTML text
// beside the pointer and hides itself when asked or when the pointer leaves its owner.
class THtmlHintWindow : public THtmlLabel {
    Q_OBJECT
public:
    explicit THtmlHintWindow(QWidget* parent = nullptr);

    // Shows the text with its top-left corner just below and right of the global point.
    void ShowHint(const QPoint& globalPos, const QString& html);
    void HideHint();

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kelani
