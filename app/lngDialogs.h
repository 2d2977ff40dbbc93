#pragma once
// Translated message boxes. Captions and button texts come from the "MESSAGE_LNG" script in the
// dialog language, which the main window keeps equal to its own. Without a dialog language, or
// for a language the script has no texts for, the toolkit's standard box is shown instead.
#include <QString>
#include <QStringList>
#include <exception>
#include <memory>
#include <vector>

class QDialog;
class QUrl;

namespace kelani {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons, in the fixed order they appear in; combine with |.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;

// Results of the buttons (Help has none: it stays open).
enum TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// The application's title, the caption of plain message boxes; the application's display name
// until set. Qt's display name is not used for it because X11 window titles would carry it as a
// suffix.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

// The language of the message boxes ("german", "english", or "" for the standard box).
void SetDialogLanguage(const QString& language);
// A message every window shares ("MESSAGE_LNG"), in the dialog language; English without one.
QString LngMessageText(const char* key);

// Shows a modal box and returns the result of the button pressed; the window's close button and
// Esc give the result of the cancel button (Cancel, else No, else OK; mrCancel when none).
int LngMessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);
// The error box for a caught exception. A file that could not be saved (settings.ini, a saved
// game, a highscore table) is named with the reason in the dialog language ("filereadonly",
// "filefolderrefuses", "fileisfolder", "filewritefailed", "filenotsaved").
void LngErrorDlg(const std::exception& error);
// The error box for a file that could not be read or written: a damaged, cut-off or unopenable
// file, or a picture in it that cannot be decoded, is named in the dialog language
// ("filecorrupt", "filenotopened"), and so is one that could not be saved; other errors, and any
// error without a file name, as LngErrorDlg shows them.
void LngFileErrorDlg(const std::exception& error, const QString& fileName);

// Opens a file or address in the user's own program (ShellOpen); when none could, a translated
// warning names it. False when it was not opened.
bool LngShellOpen(const QUrl& url);

// The translated box, laid out and not shown (nullptr when the dialog language has no texts):
// icon per type, text word-wrapped to at most half the screen width, buttons in the fixed order
// with default (OK, Yes, Retry) and cancel button (Cancel, No, OK), sized from the message font's
// average character width and height. Its buttons carry the objectNames "mbYes", "mbNo", ...
std::unique_ptr<QDialog> CreateMessageDialog(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);

// What a box showed or would have shown.
struct TShownMessage {
    QString Caption;
    QString Text;
    QStringList Buttons;   // button texts in the order shown
    QString DefaultButton; // text of the default button
    TMsgDlgType Type = mtCustom;
    bool Standard = false; // the toolkit's standard box was used
};

// Test seam. Once it is enabled (or an answer is queued), boxes are no longer shown: each box takes
// the next queued answer (or, when none is left, the result of its default button, else mrCancel)
// and is recorded.
void EnableMessageSeam();
void QueueMessageAnswer(int result);
// Every box seen since the last reset, oldest first.
const std::vector<TShownMessage>& ShownMessages();
// Clears the queue and the record and shows real boxes again.
void ResetMessageSeam();

} // namespace kelani
