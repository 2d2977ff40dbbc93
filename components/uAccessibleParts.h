#pragma once
// TAccessibleParts: a widget that paints its contents as one picture (a grid's rows, a row of
// board sketches) shows a screen reader only its own name. Given this component, it publishes
// the parts of its picture as accessible children of their own, each named, placed and selected
// as its owner answers. The component is made with the widget, before anything reads it.
#include <QAccessible>
#include <QObject>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace kelani {

class TAccessibleParts : public QObject {
    Q_OBJECT
public:
    // `role`: what the widget is to the screen reader (a table, a list), `partRole`: each part.
    TAccessibleParts(QWidget* widget, QAccessible::Role role, QAccessible::Role partRole);
    ~TAccessibleParts() override;

    std::function<int()> Count;
    std::function<QString(int part)> Name;
    // In the widget's coordinates.
    std::function<QRect(int part)> Rect;
    // Left unset, no part can be selected.
    std::function<bool(int part)> Selected;

    QWidget& Widget() const { return widget_; }
    QAccessible::Role Role() const { return role_; }
    QAccessible::Role PartRole() const { return partRole_; }
    int PartCount() const { return Count ? Count() : 0; }
    // The accessible child for `part`, made when first asked for; nullptr outside the count.
    QAccessibleInterface* Part(int part) const;
    int IndexOf(const QAccessibleInterface* part) const;

    // Other names or another count: the screen reader reads the parts anew.
    void Changed();
    // `part` was selected or unselected.
    void SelectionChanged(int part);

private:
    QWidget& widget_;
    const QAccessible::Role role_, partRole_;
    // Made on demand and kept while the widget lives; those beyond the count are invalid.
    mutable std::vector<QAccessibleInterface*> parts_;
};

} // namespace kelani
