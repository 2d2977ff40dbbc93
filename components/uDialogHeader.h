#pragma once
// The white header of the game's dialogs: a bold heading, a word-wrapped description and a
// 64 x 64 picture on the right.
#include <QString>

class QLabel;
class QWidget;

namespace kelani {

// Gives a freshly made widget its component name and returns it.
template <class T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

struct TDialogHeader {
    QWidget* Panel;  // "pTop"
    QLabel* Heading; // "lDescHead"
    QLabel* Text;    // "lDesc"
    QLabel* Picture; // "iTop"
};

// `picture` is a resource path; a missing picture leaves its place empty.
TDialogHeader MakeDialogHeader(QWidget* parent, const QString& picture, const QString& heading);

// Description texts break their lines for a narrower font than ours. A break inside a sentence
// (the next line goes on in lower case) becomes a space, so the word-wrapped label lays the
// sentence out itself; breaks before a new sentence stay.
QString JoinBrokenSentences(QString text);

} // namespace kelani
