#include "components/MultiLanguage.h"

#include "components/uTextConversion.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaProperty>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWidget>
#include <array>

namespace kelani {
namespace {

// Script texts are Windows-1252 and break lines with CR LF; Qt widgets break them with LF.
QString ToQt(const std::string& text) {
    return FromCp1252(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QStringList ScriptLinesOf(const QString& text) {
    return text.split(QLatin1Char('\n'));
}

bool ToInt(const QString& value, int& result) {
    return ScriptValueToInt(ToCp1252(value), result);
}

// A colour as the toolkit stores it: 0x00BBGGRR, or a system colour with the top byte 0xFF.
bool ToColor(const QString& value, QColor& color) {
    int v = 0;
    if (!ToInt(value, v)) return false;
    const auto bits = static_cast<uint32_t>(v);
    if ((bits >> 24) == 0xFF) {
        static const std::array<QPalette::ColorRole, 25> kRoles = {QPalette::Button,
                                                                   QPalette::Window,
                                                                   QPalette::Highlight,
                                                                   QPalette::Window,
                                                                   QPalette::Window,
                                                                   QPalette::Base,
                                                                   QPalette::Shadow,
                                                                   QPalette::WindowText,
                                                                   QPalette::Text,
                                                                   QPalette::HighlightedText,
                                                                   QPalette::Window,
                                                                   QPalette::Window,
                                                                   QPalette::Dark,
                                                                   QPalette::Highlight,
                                                                   QPalette::HighlightedText,
                                                                   QPalette::Button,
                                                                   QPalette::Mid,
                                                                   QPalette::PlaceholderText,
                                                                   QPalette::ButtonText,
                                                                   QPalette::WindowText,
                                                                   QPalette::Light,
                                                                   QPalette::Shadow,
                                                                   QPalette::Midlight,
                                                                   QPalette::ToolTipText,
                                                                   QPalette::ToolTipBase};
        const uint32_t index = bits & 0xFFFFFF;
        if (index >= kRoles.size()) return false;
        color = QPalette().color(kRoles[index]);
        return true;
    }
    if (bits > 0xFFFFFF) return false; // "none" and "default" leave the colour alone
    color = QColor(bits & 0xFF, (bits >> 8) & 0xFF, (bits >> 16) & 0xFF);
    return true;
}

bool ToCursorShape(const QString& value, Qt::CursorShape& shape) {
    int v = 0;
    if (!ToInt(value, v) || v > 0 || v < -22) return false;
    static const std::array<Qt::CursorShape, 23> kShapes = {
        Qt::ArrowCursor,     Qt::BlankCursor,        Qt::ArrowCursor,     Qt::CrossCursor,
        Qt::IBeamCursor,     Qt::SizeAllCursor,      Qt::SizeBDiagCursor, Qt::SizeVerCursor,
        Qt::SizeFDiagCursor, Qt::SizeHorCursor,      Qt::UpArrowCursor,   Qt::WaitCursor,
        Qt::DragMoveCursor,  Qt::ForbiddenCursor,    Qt::SplitHCursor,    Qt::SplitVCursor,
        Qt::DragCopyCursor,  Qt::WaitCursor,         Qt::ForbiddenCursor, Qt::BusyCursor,
        Qt::WhatsThisCursor, Qt::PointingHandCursor, Qt::SizeAllCursor};
    shape = kShapes[static_cast<size_t>(-v)];
    return true;
}

bool SetTitleOf(QObject* object, const QString& value) {
    if (auto* menu = qobject_cast<QMenu*>(object))
        menu->setTitle(value);
    else if (auto* box = qobject_cast<QGroupBox*>(object))
        box->setTitle(value);
    else
        return false;
    return true;
}

bool SetTextOf(QObject* object, const QString& value) {
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        edit->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(object))
        label->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(value);
    else if (auto* action = qobject_cast<QAction*>(object))
        action->setText(value);
    else
        return false;
    return true;
}

bool SetWindowTitleOf(QObject* object, const QString& value) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->isWindow()) return false;
    widget->setWindowTitle(value);
    return true;
}

int MetaPropertyIndex(const QObject* object, const QString& name) {
    const QMetaObject* meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i)
        if (QString::fromLatin1(meta->property(i).name()).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

// Our own components that publish a "caption" property (the splash screen) keep it.
bool SetCaption(QObject* object, const QString& value) {
    if (MetaPropertyIndex(object, QStringLiteral("caption")) >= 0) return false;
    return SetTitleOf(object, value) || SetTextOf(object, value) || SetWindowTitleOf(object, value);
}

bool SetTitle(QObject* object, const QString& value) {
    return SetTitleOf(object, value) || SetWindowTitleOf(object, value);
}

bool SetHint(QObject* object, const QString& value) {
    if (auto* action = qobject_cast<QAction*>(object))
        action->setToolTip(value);
    else if (auto* widget = qobject_cast<QWidget*>(object))
        widget->setToolTip(value);
    else
        return false;
    return true;
}

// A group box without an "items" property stands for a radio group: one radio button per line.
void SetRadioItems(QGroupBox* box, const QStringList& items) {
    auto buttons = box->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (!box->layout() && buttons.size() < items.size()) new QVBoxLayout(box);
    for (qsizetype i = buttons.size(); i < items.size(); ++i) {
        auto* button = new QRadioButton(box);
        box->layout()->addWidget(button);
        buttons.append(button);
    }
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        buttons[i]->setVisible(i < items.size());
        if (i < items.size()) buttons[i]->setText(items[i]);
    }
}

bool SetItems(QObject* object, const QString& value) {
    const QStringList items = ScriptLinesOf(value);
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        const int index = combo->currentIndex(); // the choice survives a change of language
        combo->clear();
        combo->addItems(items);
        combo->setCurrentIndex(std::min(index, static_cast<int>(items.size()) - 1));
    } else if (const int index = MetaPropertyIndex(object, QStringLiteral("items")); index >= 0) {
        return object->metaObject()->property(index).write(object, items);
    } else if (auto* box = qobject_cast<QGroupBox*>(object)) {
        SetRadioItems(box, items);
    } else {
        return false;
    }
    return true;
}

// Runs `change` on a widget; false for objects that are not widgets. A value `change` cannot use
// still counts as handled: it is ignored.
template <class TChange> bool OnWidget(QObject* object, TChange change) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget) change(*widget);
    return widget != nullptr;
}

template <class TChange> bool ChangeFont(QObject* object, TChange change) {
    return OnWidget(object, [&](QWidget& widget) {
        QFont font = widget.font();
        change(font);
        widget.setFont(font);
    });
}

bool SetPaletteColor(QObject* object, const QString& value,
                     std::initializer_list<QPalette::ColorRole> roles) {
    return OnWidget(object, [&](QWidget& widget) {
        QColor color;
        if (!ToColor(value, color)) return;
        QPalette palette = widget.palette();
        for (auto role : roles) palette.setColor(role, color);
        widget.setPalette(palette);
    });
}

bool SetFontColor(QObject* object, const QString& value) {
    return SetPaletteColor(object, value, {QPalette::WindowText, QPalette::ButtonText, QPalette::Text});
}

bool SetColor(QObject* object, const QString& value) {
    if (auto* widget = qobject_cast<QWidget*>(object)) widget->setAutoFillBackground(true);
    return SetPaletteColor(object, value, {QPalette::Window, QPalette::Base});
}

bool SetFontName(QObject* object, const QString& value) {
    return ChangeFont(object, [&](QFont& font) { font.setFamily(value); });
}

bool SetFontSize(QObject* object, const QString& value) {
    return ChangeFont(object, [&](QFont& font) {
        int size = 0;
        if (ToInt(value, size) && size > 0) font.setPointSize(size);
    });
}

// A set of font styles as the toolkit writes it: "[fsBold,fsItalic]".
bool SetFontStyle(QObject* object, const QString& value) {
    const QString styles = value.toLower();
    return ChangeFont(object, [&](QFont& font) {
        font.setBold(styles.contains(QStringLiteral("fsbold")));
        font.setItalic(styles.contains(QStringLiteral("fsitalic")));
        font.setUnderline(styles.contains(QStringLiteral("fsunderline")));
        font.setStrikeOut(styles.contains(QStringLiteral("fsstrikeout")));
    });
}

// Qt chooses the character set itself; the value only has to name a widget's font.
bool SetFontCharset(QObject* object, const QString&) {
    return OnWidget(object, [](QWidget&) {});
}

bool SetCursorShape(QObject* object, const QString& value) {
    return OnWidget(object, [&](QWidget& widget) {
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (ToCursorShape(value, shape)) widget.setCursor(shape);
    });
}

enum TEdge { eLeft, eTop, eWidth, eHeight };

template <TEdge Edge> bool SetGeometryPart(QObject* object, const QString& value) {
    return OnWidget(object, [&](QWidget& widget) {
        int v = 0;
        if (!ToInt(value, v)) return;
        QRect rect = widget.geometry();
        if (Edge == eLeft) rect.moveLeft(v);
        if (Edge == eTop) rect.moveTop(v);
        if (Edge == eWidth) rect.setWidth(std::max(v, 0));
        if (Edge == eHeight) rect.setHeight(std::max(v, 0));
        widget.setGeometry(rect);
    });
}

struct TPropertyMapping {
    const char* Path; // our scripts' property, lower case
    bool (*Set)(QObject* object, const QString& value);
};

// The scripts' property names and their Qt counterparts. A setter that returns false leaves the
// line to the generic Qt property of that name.
constexpr std::array kMappings = {
    TPropertyMapping{"caption", SetCaption},
    TPropertyMapping{"text", SetTextOf},
    TPropertyMapping{"hint", SetHint},
    TPropertyMapping{"items", SetItems},
    TPropertyMapping{"title", SetTitle},
    TPropertyMapping{"font.color", SetFontColor},
    TPropertyMapping{"font.name", SetFontName},
    TPropertyMapping{"font.size", SetFontSize},
    TPropertyMapping{"font.style", SetFontStyle},
    TPropertyMapping{"font.charset", SetFontCharset},
    TPropertyMapping{"color", SetColor},
    TPropertyMapping{"cursor", SetCursorShape},
    TPropertyMapping{"left", SetGeometryPart<eLeft>},
    TPropertyMapping{"top", SetGeometryPart<eTop>},
    TPropertyMapping{"width", SetGeometryPart<eWidth>},
    TPropertyMapping{"height", SetGeometryPart<eHeight>},
};

// The text converted to the property's type, or an invalid variant.
QVariant ConvertForProperty(const QMetaProperty& property, const QString& value) {
    if (property.isEnumType()) {
        bool ok = false;
        const int v = property.enumerator().keysToValue(value.toLatin1().constData(), &ok);
        return ok ? QVariant(v) : QVariant();
    }
    int number = 0;
    QColor color;
    switch (property.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return ToInt(value, number) ? QVariant(number) : QVariant();
    case QMetaType::Bool:
        if (value.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0) return true;
        if (value.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0) return false;
        return {};
    case QMetaType::QString:
        return value;
    case QMetaType::QStringList:
        return ScriptLinesOf(value);
    case QMetaType::QColor:
        return ToColor(value, color) ? QVariant(color) : QVariant();
    default:
        break;
    }
    QVariant variant(value);
    return variant.convert(property.metaType()) ? variant : QVariant();
}

// The generic path: object-valued Qt properties up to the last dot, then the named Qt property.
void SetMetaProperty(QObject* object, const QStringList& path, const QString& value) {
    for (qsizetype i = 0; i + 1 < path.size(); ++i) {
        const int index = MetaPropertyIndex(object, path[i]);
        if (index < 0) return;
        const QVariant inner = object->metaObject()->property(index).read(object);
        object = inner.value<QObject*>();
        if (!object) return;
    }
    const int index = MetaPropertyIndex(object, path.last());
    if (index < 0) return;
    const QMetaProperty property = object->metaObject()->property(index);
    if (!property.isWritable() || property.metaType().flags().testFlag(QMetaType::PointerToQObject)) return;
    const QVariant converted = ConvertForProperty(property, value);
    if (converted.isValid()) property.write(object, converted);
}

void SetScriptProperty(QObject* object, const QStringList& path, const QString& value) {
    const QByteArray name = path.join(QLatin1Char('.')).toLower().toLatin1();
    for (const auto& mapping : kMappings)
        if (name == mapping.Path && mapping.Set(object, value)) return;
    SetMetaProperty(object, path, value);
}

} // namespace

TMultiLanguage::TMultiLanguage(QObject* owner) : QObject(owner) {}

void TMultiLanguage::SetScript(const QStringList& script) {
    script_.clear();
    for (const auto& line : script) script_.push_back(ToCp1252(line));
    Translate();
}

void TMultiLanguage::LoadScript(const QString& formName) {
    SetScript(LanguageScript(formName));
}

QStringList TMultiLanguage::Script() const {
    QStringList script;
    for (const auto& line : script_) script.append(FromCp1252(line));
    return script;
}

void TMultiLanguage::SetLanguage(const QString& language) {
    language_ = language;
    Translate();
}

void TMultiLanguage::Translate() {
    lines_ = ExtractScriptSection(script_, ToCp1252(language_));
    if (parent())
        for (const auto& line : lines_) ApplyScriptLine(parent(), line);
    if (OnTranslate) OnTranslate(this);
}

QString TMultiLanguage::GetString(const QString& key) const {
    return ToQt(ScriptString(lines_, ToCp1252(key)));
}

QStringList LanguageScript(const QString& formName) {
    QFile file(QStringLiteral(":/lng/%1.lng").arg(formName.toLower()));
    if (formName.isEmpty() || !file.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    for (const auto& line : SplitScriptLines(file.readAll().toStdString()))
        lines.append(QString::fromStdString(line));
    return lines;
}

QObject* FindComponent(QObject* parent, const QString& name) {
    if (name.isEmpty()) return nullptr;
    const auto children = parent->findChildren<QObject*>();
    for (QObject* child : children)
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
    return nullptr;
}

void ApplyScriptLine(QObject* owner, const std::string& line) {
    TScriptEntry entry;
    if (!ParseScriptEntry(line, entry)) return;
    QStringList path = FromCp1252(entry.Key).split(QLatin1Char('.'));
    QObject* current = owner;
    while (path.size() > 1) {
        QObject* component = FindComponent(current, path.first());
        if (!component) break;
        current = component;
        path.removeFirst();
    }
    SetScriptProperty(current, path, ToQt(entry.Value));
}

} // namespace kelani
