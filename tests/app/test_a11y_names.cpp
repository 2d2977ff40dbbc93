// What a screen reader finds in every window the game opens: a name for the window, for each
// control the keys can reach and for each picture that tells something, in German and in English.
#include "app/lngDialogs.h"
#include "app/ufAnalyse.h"
#include "app/ufHighscore.h"
#include "app/ufHistory.h"
#include "app/ufLanguage.h"
#include "app/ufNewGame.h"
#include "app/ufOnline.h"
#include "app/ufPositionEditor.h"
#include "app/ufSpielfeld.h"
#include "app/ufStreichholz.h"
#include "components/MultiLanguage.h"
#include "components/uAboutBox.h"
#include "components/uFileDialog.h"
#include "game/uTFeld.h"
#include "records/uGameReview.h"
#include "records/uTHistory.h"
#include "tests/app/GuiTestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <map>

using namespace kelani;
using namespace kelani::testing;

namespace {

// Pictures that only adorn, beside a text that says the same: the picture of a dialog's white
// header (and the language dialog's flags there) and the about box's game icon.
bool Decorative(const QWidget& picture) {
    return picture.parentWidget()->objectName() == QLatin1String("pTop") ||
           picture.objectName() == QLatin1String("iIcon");
}

// The name a screen reader gives the widget, without accelerator marks. On Linux Qt names a combo
// box by its current item and passes its label (its buddy) on as a relation, which is what Orca
// reads: a combo box is named by that label alone. A field in a group box without a name of its
// own is named after the group, which tells nothing of the field: that counts as no name.
QString SpokenName(QWidget& widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&widget);
    QString name = face->text(QAccessible::Name);
    if (qobject_cast<QComboBox*>(&widget)) {
        name.clear();
        for (const auto& [label, relation] : face->relations(QAccessible::Label))
            if (name.isEmpty() && !qobject_cast<QGroupBox*>(label->object()))
                name = label->text(QAccessible::Name);
    }
    const auto* group = qobject_cast<QGroupBox*>(widget.parentWidget());
    if (group && !qobject_cast<QAbstractButton*>(&widget) && name == group->title()) return {};
    return name.remove(QLatin1Char('&')).trimmed();
}

// "class objectName" of every unnamed control of `window` the keys reach, of every unnamed picture
// that tells something, and of the window itself if it has no name. Parts that Qt folds into their
// parent for a screen reader (the edit of a spin box) are the parent's to name.
std::string Unnamed(QWidget& window) {
    QStringList unnamed;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets) {
        if (widget != &window && !widget->isVisibleTo(&window)) continue;
        const auto* label = qobject_cast<QLabel*>(widget);
        const bool picture = label && !label->pixmap().isNull() && !Decorative(*label);
        if (widget != &window && !picture && widget->focusPolicy() == Qt::NoFocus) continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        if (face->parent() && face->parent()->indexOfChild(face) < 0) continue;
        if (SpokenName(*widget).isEmpty())
            unnamed << QStringLiteral("%1 %2").arg(widget->metaObject()->className(), widget->objectName());
    }
    return unnamed.join(QStringLiteral(", ")).toStdString();
}

template <class TWindow> std::unique_ptr<QWidget> Shown(std::unique_ptr<TWindow> window) {
    window->show();
    return window;
}

// Every window of the game in `language`, filled as far as it needs to show all its parts.
std::vector<std::unique_ptr<QWidget>> AllWindows(const QString& language, const QString& folder) {
    std::vector<std::unique_ptr<QWidget>> windows;
    auto main = std::make_unique<TfSpielfeld>();
    main->lng->SetLanguage(language);
    main->Analyse->show();
    windows.push_back(Shown(std::move(main)));
    const auto scripted = [&](std::unique_ptr<QDialog> dialog) {
        dialog->findChild<TMultiLanguage*>(QStringLiteral("lng"))->SetLanguage(language);
        windows.push_back(Shown(std::move(dialog)));
    };
    scripted(std::make_unique<TfNewGame>());
    scripted(std::make_unique<TfStreichholz>());
    auto online = std::make_unique<TfOnline>();
    online->lng->SetLanguage(language);
    online->ShowInvite(QStringLiteral("7KQ2M-XW4HT")); // shows the game's link and its button
    windows.push_back(Shown(std::move(online)));
    auto highscore = std::make_unique<TfHighscore>(nullptr, language);
    highscore->ShowGame(0, -1);
    windows.push_back(Shown(std::move(highscore)));
    auto history = std::make_unique<TfHistory>(nullptr, language);
    QImage sketches(438, 62, QImage::Format_RGB32);
    sketches.fill(Qt::white);
    history->ShowHistory(THistory(), sketches);
    history->ShowReview({});
    windows.push_back(Shown(std::move(history)));
    windows.push_back(Shown(std::make_unique<TfLanguage>(folder.toStdString())));
    TFeld start;
    start.Reset();
    windows.push_back(Shown(std::make_unique<TfPositionEditor>(nullptr, language, start)));
    auto about = std::make_unique<TInfoDialogTarvik>();
    about->SetLanguage(language);
    windows.push_back(Shown(std::move(about)));
    SetDialogLanguage(language);
    windows.push_back(
        Shown(CreateMessageDialog(QStringLiteral("?"), mtWarning, mbYesNo | mbCancel | mbHelp)));
    return windows;
}

class AccessibleNames : public GuiTest {};

} // namespace

TEST_F(AccessibleNames, EveryDialogNamesItselfItsControlsAndItsPicturesInGermanAndEnglish) {
    WriteQuietSettings();
    std::map<QString, QStringList> titles; // window -> its name in German, then in English
    for (const QString& language : {QStringLiteral("german"), QStringLiteral("english")}) {
        for (const auto& window : AllWindows(language, Folder())) {
            EXPECT_EQ(Unnamed(*window), "")
                << window->objectName().toStdString() << ", " << language.toStdString();
            titles[window->objectName()] << SpokenName(*window);
        }
        // Qt's file dialog, as the game opens it: modal, so it is read while it is shown.
        QTimer::singleShot(0, [&] {
            QDialog& files = *qobject_cast<QDialog*>(QApplication::activeModalWidget());
            EXPECT_EQ(Unnamed(files), "") << "file dialog, " << language.toStdString();
            titles[QStringLiteral("file dialog")] << SpokenName(files);
            files.reject();
        });
        TFileDialog(TFileDialog::TKind::Open).Execute(nullptr);
    }
    EXPECT_EQ(titles.size(), 11u);
    // The names follow the language; the language dialog is the one that speaks both at once.
    for (const auto& [window, names] : titles)
        EXPECT_TRUE(window == QLatin1String("TfLanguage") || names.first() != names.last())
            << window.toStdString() << ": " << names.first().toStdString();
}
