// Helpers for tests that drive real widgets.
#pragma once

#include <QApplication>
#include <QString>
#include <QWidget>
#include <functional>

namespace testing_support {

// Runs `action` on the next modal dialog that opens (polling the event loop), e.g. to fill a
// form that its caller shows with exec(). Returns at once; the action runs later.
void onNextModal(std::function<void(QWidget *)> action, int timeoutMs = 5000);

// Processes events for a while.
void pump(int ms = 0);

// The first child of `w` of type T whose objectName, text or accessible name is `name`.
template <typename T>
T *find(QWidget *w, const QString &name)
{
    for (T *c : w->findChildren<T *>()) {
        if (c->objectName() == name)
            return c;
        QVariant text = c->property("text");
        if (text.isValid() && text.toString().remove('&') == QString(name).remove('&'))
            return c;
    }
    return nullptr;
}

}  // namespace testing_support
