#include "components/uRadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kelani {

TRadioGroup::TRadioGroup(const QString& name, QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)) {
    setObjectName(name);
    new QVBoxLayout(this);
    connect(buttons_, &QButtonGroup::idClicked, this, [this](int id) { Pick(id); });
    // A screen reader's toggle action checks a button without a click: that is a pick too. A click
    // toggles between press and release and is picked once, by its click; Select checks the
    // button of the index it has already taken.
    connect(buttons_, &QButtonGroup::idPressed, this, [this] { pressed_ = true; });
    connect(buttons_, &QButtonGroup::idReleased, this, [this] { pressed_ = false; });
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !pressed_ && id != index_) Pick(id);
    });
}

void TRadioGroup::Pick(int id) {
    index_ = id;
    emit Click();
}

void TRadioGroup::SetItems(const QStringList& items) {
    items_ = items;
    // Buttons that stay are only recaptioned: a new button would move to the end of the dialog's
    // tab order, so a translated dialog would reach its groups last.
    for (qsizetype i = buttons_->buttons().size(); i > items.size(); --i) {
        QAbstractButton* button = buttons_->button(int(i - 1));
        buttons_->removeButton(button);
        delete button;
    }
    for (int i = 0; i < items.size(); ++i) {
        if (QAbstractButton* button = buttons_->button(i)) {
            button->setText(items[i]);
            continue;
        }
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(objectName() + QString::number(i));
        buttons_->addButton(button, i);
        layout()->addWidget(button);
    }
    Select(index_);
}

void TRadioGroup::SetItemIndex(int index) {
    if (items_.isEmpty()) return;
    Select(std::clamp(index, 0, static_cast<int>(items_.size()) - 1));
}

void TRadioGroup::Select(int index) {
    index_ = index < items_.size() ? index : -1;
    if (QAbstractButton* button = buttons_->button(index_)) button->setChecked(true);
}

void TRadioGroup::ClickItem(int index) {
    if (QAbstractButton* button = buttons_->button(index)) button->click();
}

} // namespace kelani
