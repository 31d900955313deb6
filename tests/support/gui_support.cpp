#include "tests/support/gui_support.h"

#include <QElapsedTimer>
#include <QTimer>

namespace testing_support {

void onNextModal(std::function<void(QWidget *)> action, int timeoutMs)
{
    auto *timer = new QTimer;
    auto *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action, timeoutMs] {
        QWidget *w = QApplication::activeModalWidget();
        if (w || clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            if (w)
                action(w);
        }
    });
    timer->start(10);
}

void pump(int ms)
{
    QElapsedTimer t;
    t.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (t.elapsed() < ms);
}

}  // namespace testing_support
