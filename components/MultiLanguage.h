#pragma once
// TMultiLanguage: the language script of one window. Setting the language applies that section's
// lines to the window's components and makes its plain keys ("msgquit", "lands") available.
//
// Applying "a.b.Prop=value": the parts before the last dot are looked up from left to right, first
// as child objects by objectName (letter case ignored, at any depth below the current object, so
// "aEMail.Caption" reaches the action aEmail), then as object-valued properties ("Font" in
// "lDesc.Font.Color"); the last part is a property of our scripts mapped to Qt:
//   Caption  window title of a window, title of a group box or menu, text of a label, button or
//            action, any "caption" property of our own components
//   Text     text of a label, edit, button or action
//   Hint     tool tip
//   Items    lines of a combo box or list, the "items" property of a radio group, or the radio
//            buttons of a plain group box (made or hidden to match the number of lines)
//   Title    title of a group box or menu, window title of a dialog
//   Font.Color / Font.Name / Font.Size / Font.Style, Color, Cursor, Left/Top/Width/Height
//   anything else: a Qt property of that name (letter case ignored), converted from the text.
// Integer values may be numbers, toolkit names ("crHandPoint", "clWhite") or "#" hex. Unknown
// names and values that do not convert are ignored silently, as are lines without "=".
#include "settings/uLngScript.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace kelani {

class TMultiLanguage : public QObject {
    Q_OBJECT
public:
    // `owner` is the window the script is applied to; the component is its child.
    explicit TMultiLanguage(QObject* owner);

    // The whole script, all sections. Assigning it translates.
    void SetScript(const QStringList& script);
    // The script of a window of the game by its form name ("TfNewGame"); translates.
    void LoadScript(const QString& formName);
    QStringList Script() const;

    // Current language, e.g. "german"; setting it translates.
    QString Language() const { return language_; }
    void SetLanguage(const QString& language);

    // Extracts the current language's section into Lines, applies every entry to the owner in
    // order, then calls OnTranslate.
    void Translate();

    // The value of the first entry of Lines whose key equals `key` exactly; "" if none.
    // Line breaks are returned as "\n".
    QString GetString(const QString& key) const;

    // The current section's entry lines (Windows-1252 bytes, as in the script).
    const TStrings& Lines() const { return lines_; }

    // Fired after each translation with this component as the sender.
    std::function<void(TMultiLanguage* sender)> OnTranslate;

private:
    TStrings script_;
    TStrings lines_;
    QString language_;
};

// The language script of one of the game's windows by its form name, letter case ignored
// ("TfSpielfeld", "TfNewGame", "TfStreichholz", "TfHighscore", "TfHistory", "TfLanguage",
// "MESSAGE_LNG"); an empty list when there is none. The scripts are kept as UTF-8 resources
// ":/lng/<name in lower case>.lng" and returned as Unicode text.
QStringList LanguageScript(const QString& formName);

// Applies one script line ("lDesc.Caption='Text'") to `owner` as Translate does.
void ApplyScriptLine(QObject* owner, const std::string& line);

// The child object of `parent` (at any depth) whose objectName equals `name` without regard to
// letter case; nullptr if none.
QObject* FindComponent(QObject* parent, const QString& name);

} // namespace kelani
