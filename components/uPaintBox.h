#pragma once
// A fixed-size drawing surface like the board's paint box: the owner paints it, receives pointer
// movement and clicks in its coordinates, and gives it an HTML hint that the hint window shows
// when the pointer rests on it. Its tag remembers which hint is set.
#include <QWidget>
#include <functional>

namespace kelani {

class THtmlHintWindow;

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    TPaintBox(const QString& name, THtmlHintWindow& hintWindow, QWidget* parent = nullptr);

    int Tag = -1;
    // The hint's HTML text; shown only while hints are switched on.
    void SetHint(const QString& html);
    QString Hint() const { return hint_; }
    void SetShowHint(bool show);
    bool ShowHint() const { return showHint_; }
    // Hides a visible hint; it shows again when the pointer rests once more.
    void CancelHint();

    std::function<void(QPainter& painter)> OnPaint;
    std::function<void(int x, int y)> OnMouseMove;
    std::function<void(int x, int y)> OnMouseDown;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    THtmlHintWindow& hintWindow_;
    QString hint_;
    bool showHint_ = false;
};

} // namespace kelani
