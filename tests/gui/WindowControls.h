#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>
#include <memory>

namespace orvane::test {

// A window's control, found by its object name: the windows keep their controls private, and
// tests reach them only so. A name the window lacks ends the test run.
template <class Widget>
Widget* Child(const QObject& window, const char* name) {
    auto* found = window.findChild<Widget*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("%s has no control %s", window.metaObject()->className(), name);
    }
    return found;
}

template <class Widget>
Widget* Child(const QObject* window, const char* name) {
    return Child<Widget>(*window, name);
}

template <class Widget, class Window>
Widget* Child(const std::unique_ptr<Window>& window, const char* name) {
    return Child<Widget>(*window, name);
}

}  // namespace orvane::test
