#pragma once
// The dialog that starts a game against a friend online: either it creates one (rule set, stones,
// head pits, thinking time) and shows the invite code and link until the friend has joined, or it
// joins the friend's game by its code or link. It knows no network: the caller hears the choice
// through OnCreate / OnJoin and answers with ShowInvite, ShowFailure or by closing it.
#include <QDialog>
#include <QJsonObject>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kelani {

class TMultiLanguage;

class TfOnline : public QDialog {
    Q_OBJECT
public:
    explicit TfOnline(QWidget* parent = nullptr);

    TMultiLanguage* lng;
    QComboBox* cbVariant;
    QSpinBox* seStones;
    QCheckBox* cbHead;
    QComboBox* cbClock;
    QSpinBox* seSeconds;
    QPushButton* bCreate;
    QLineEdit* eCode;
    QPushButton* bJoin;
    QLabel* lInvite;
    QLineEdit* eLink;
    QPushButton* bCopy;
    QLabel* lStatus;
    QPushButton* bCancel;

    // The game's settings as the create message carries them: variant, stones, head, clock,
    // seconds.
    std::function<void(const QJsonObject& game)> OnCreate;
    // The code of the game to join, as InviteCode gives it.
    std::function<void(const QString& code)> OnJoin;

    // The game is made: its code and link show until the friend comes.
    void ShowInvite(const QString& code);
    // The try failed (the reason is shown in a box by the caller): the choices are free again.
    void ShowFailure();
    // Opens in the join part with this code filled in.
    void SetCode(const QString& code);

private:
    void bCreateClick();
    void bJoinClick();
    void SetWaiting(const char* key);
    void FollowClock();
};

} // namespace kelani
