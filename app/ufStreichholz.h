#pragma once
// The lot drawing before a game with a human player: the second player picks the left or the
// right matchstick; if he drew the longer one he starts. The outcome is a fair coin toss from the
// shared generator, whichever button is pressed. The dialog cannot be closed before the draw.
#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

namespace kelani {

class TMultiLanguage;

class TfStreichholz : public QDialog {
    Q_OBJECT
public:
    explicit TfStreichholz(QWidget* parent = nullptr);

    TMultiLanguage* lng;
    QLabel* lDesc;
    QLabel* iStreichholz;
    QPushButton* bLeft;
    QPushButton* bRight;

    QString PlayerOneName;
    QString PlayerTwoName;
    // True when the drawn matchstick is the longer one: player 2 starts.
    bool GuessedRight = false;
    // The player who begins as the play server drew it for an online game, 0 to draw here. The
    // drawn matchstick then shows by itself after a moment, or at once on a button.
    int Drawn = 0;
    // False until the draw has been shown.
    bool DrawDone = false;

    // The shown result stays this long before the dialog closes itself.
    static constexpr int kResultPause = 5000;

    // Either button: draws, shows the picture with the winner's message, pauses, closes.
    void bRightClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QImage LoadCovered() const;
    QImage LoadMatchstick(bool longOne);
    void DrawMessage(QImage& picture, const QString& winner);

    QImage covered_;
};

// Shows the lot between these players in `language` and returns the player who begins (1 or 2):
// drawn here, or `drawn` as the play server drew it.
int DrawFirstPlayer(QWidget* parent, const QString& language, const QString& name1, const QString& name2,
                    int drawn = 0);

} // namespace kelani
