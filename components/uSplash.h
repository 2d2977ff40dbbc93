#pragma once
// The splash screen shown at start-up while the start tune plays: a frameless picture with the
// program's caption that closes itself after four one-second ticks.
#include <QDialog>
#include <QImage>

namespace kelani {

class TSplashScreen : public QDialog {
    Q_OBJECT
    Q_PROPERTY(QString caption READ Caption WRITE SetCaption)
public:
    explicit TSplashScreen(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    // Shows the splash modally until its ticks have run out (the platform's wait speed-up
    // shortens the ticks for tests), then releases the picture.
    void Execute();

    static constexpr int kTicks = 4;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString caption_;
    QImage picture_;
};

} // namespace kelani
