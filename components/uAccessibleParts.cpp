#include "components/uAccessibleParts.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace kelani {
namespace {

// One part of the widget's picture.
class TPartInterface : public QAccessibleInterface {
public:
    TPartInterface(const TAccessibleParts& parts, int index) : parts_(parts), index_(index) {}

    bool isValid() const override { return index_ < parts_.PartCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parts_.Widget().window()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(&parts_.Widget());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && parts_.Name && isValid() ? parts_.Name(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!parts_.Rect || !isValid()) return {};
        const QRect local = parts_.Rect(index_);
        return QRect(parts_.Widget().mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return parts_.PartRole(); }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        state.invalid = !isValid();
        // A part scrolled out of sight is there but not on the screen, as a list's rows are.
        state.invisible = !parts_.Widget().isVisible();
        state.offscreen =
            parts_.Rect && isValid() && !parts_.Widget().visibleRegion().intersects(parts_.Rect(index_));
        state.selectable = bool(parts_.Selected);
        state.selected = parts_.Selected && isValid() && parts_.Selected(index_);
        return state;
    }

private:
    const TAccessibleParts& parts_;
    const int index_;
};

// The widget with the parts of its picture as children. The widget deletes its children (the
// parts among them) before Qt lets go of this interface.
class TPartsInterface : public QAccessibleWidget {
public:
    TPartsInterface(QWidget* widget, TAccessibleParts* parts)
        : QAccessibleWidget(widget, parts->Role()), parts_(parts) {}

    int childCount() const override { return parts_ ? parts_->PartCount() : 0; }
    QAccessibleInterface* child(int index) const override { return parts_ ? parts_->Part(index) : nullptr; }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return parts_ ? parts_->IndexOf(child) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (child(i)->rect().contains(x, y)) return child(i);
        return nullptr;
    }

private:
    const QPointer<TAccessibleParts> parts_;
};

QAccessibleInterface* PartsFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    auto* parts =
        widget ? widget->findChild<TAccessibleParts*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    return parts ? new TPartsInterface(widget, parts) : nullptr;
}

void Notify(QAccessibleInterface* iface, QAccessible::Event type) {
    QAccessibleEvent event(iface, type);
    QAccessible::updateAccessibility(&event);
}

} // namespace

TAccessibleParts::TAccessibleParts(QWidget* widget, QAccessible::Role role, QAccessible::Role partRole)
    : QObject(widget), widget_(*widget), role_(role), partRole_(partRole) {
    static const bool installed = [] {
        QAccessible::installFactory(PartsFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

TAccessibleParts::~TAccessibleParts() {
    for (QAccessibleInterface* part : parts_)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(part));
}

QAccessibleInterface* TAccessibleParts::Part(int part) const {
    if (part < 0 || part >= PartCount()) return nullptr;
    while (int(parts_.size()) <= part) {
        parts_.push_back(new TPartInterface(*this, int(parts_.size())));
        QAccessible::registerAccessibleInterface(parts_.back());
    }
    return parts_[part];
}

int TAccessibleParts::IndexOf(const QAccessibleInterface* part) const {
    const auto found = std::find(parts_.begin(), parts_.end(), part);
    return found == parts_.end() || !(*found)->isValid() ? -1 : int(found - parts_.begin());
}

void TAccessibleParts::Changed() {
    // Only parts a screen reader has asked for exist; the others it reads fresh when it comes to them.
    if (parts_.empty()) return;
    Notify(QAccessible::queryAccessibleInterface(&widget_), QAccessible::ObjectReorder);
    for (QAccessibleInterface* part : parts_)
        if (part->isValid()) Notify(part, QAccessible::NameChanged);
}

void TAccessibleParts::SelectionChanged(int part) {
    if (part >= 0 && part < int(parts_.size()) && parts_[part]->isValid())
        Notify(parts_[part], QAccessible::Selection);
}

} // namespace kelani
