#pragma once
// A titled group of radio buttons built from a list of item texts, with one selected index, like
// the radio groups of the game's dialogs. The item list is a property ("items"), so a language
// script can replace all texts at once; the selection is kept across a change of texts.
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace kelani {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ Items WRITE SetItems)
    Q_PROPERTY(int itemIndex READ ItemIndex WRITE SetItemIndex)
public:
    explicit TRadioGroup(const QString& name, QWidget* parent = nullptr);

    QStringList Items() const { return items_; }
    void SetItems(const QStringList& items);

    int ItemIndex() const { return index_; }
    // Kept within the items: an index past the end selects the last item, a negative one the first
    // (an empty group selects nothing).
    void SetItemIndex(int index);

    // Clicks the item as a user would: selects it and emits Click.
    void ClickItem(int index);

signals:
    // A user picked an item (also when it was already selected).
    void Click();

private:
    void Select(int index);
    void Pick(int id);

    QStringList items_;
    int index_ = -1;
    bool pressed_ = false; // between a button's press and its release
    QButtonGroup* buttons_;
};

} // namespace kelani
