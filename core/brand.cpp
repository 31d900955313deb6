#include "core/brand.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

int g_splashMs = 6000;

QPixmap drawLogo(int w, int h, const QString &word, const QColor &a, const QColor &b)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, w, h), h / 6.0, h / 6.0);
    // A house outline: the product keeps inventories of homes.
    p.setPen(QPen(Qt::white, h / 20.0));
    p.setBrush(Qt::NoBrush);
    qreal s = h * 0.55, x0 = h * 0.22, y0 = h * 0.25;
    QPolygonF house;
    house << QPointF(x0, y0 + s * 0.45) << QPointF(x0 + s / 2, y0) << QPointF(x0 + s, y0 + s * 0.45);
    p.drawPolyline(house);
    p.drawRect(QRectF(x0 + s * 0.12, y0 + s * 0.45, s * 0.76, s * 0.55));
    QFont f("Liberation Sans");
    f.setBold(true);
    f.setPixelSize(static_cast<int>(h * 0.34));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(h * 0.95, 0, w - h * 1.05, h), Qt::AlignVCenter | Qt::AlignLeft, word);
    return pm;
}

class SplashWindow : public QWidget {
public:
    explicit SplashWindow(QWidget *frame) : QWidget(frame, Qt::SplashScreen | Qt::FramelessWindowHint)
    {
        setObjectName("SplashWindow");
        setAttribute(Qt::WA_DeleteOnClose);
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::white);
        setPalette(pal);
        auto *v = new QVBoxLayout(this);
        v->setContentsMargins(24, 24, 24, 24);
        auto *logo = new QLabel;
        logo->setPixmap(brandLogo());
        logo->setAlignment(Qt::AlignCenter);
        v->addWidget(logo);
        auto *title = new QLabel("Vorezuroviva Vere Vivezezev");
        QFont f = title->font();
        f.setPointSize(16);
        f.setBold(true);
        title->setFont(f);
        title->setAlignment(Qt::AlignCenter);
        v->addWidget(title);
        auto *maker = new QLabel;
        maker->setPixmap(makerLogo());
        maker->setAlignment(Qt::AlignCenter);
        v->addWidget(maker);
        QTimer::singleShot(g_splashMs, this, &QWidget::close);
        for (QLabel *l : findChildren<QLabel *>())
            l->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void mousePressEvent(QMouseEvent *) override { close(); }
    void mouseDoubleClickEvent(QMouseEvent *) override { close(); }
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::WindowDeactivate && wasActive_)
            close();
        if (e->type() == QEvent::WindowActivate)
            wasActive_ = true;
        return QWidget::event(e);
    }

private:
    bool wasActive_ = false;
};

}  // namespace

QIcon programIcon() { return QIcon(drawLogo(64, 64, QString(), QColor(30, 90, 160), QColor(20, 140, 120))); }

QIcon toolbarIcon(const QString &name)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    uint h = qHash(name);
    QColor c = QColor::fromHsv(static_cast<int>(h % 360), 140, 180);
    p.setBrush(c);
    p.setPen(c.darker(140));
    p.drawRoundedRect(QRectF(2, 2, 28, 28), 6, 6);
    QFont f("Liberation Sans");
    f.setBold(true);
    f.setPixelSize(16);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, name.left(1));
    return QIcon(pm);
}

QPixmap brandLogo() { return drawLogo(360, 96, "KELVARA", QColor(30, 90, 160), QColor(20, 140, 120)); }
QPixmap makerLogo() { return drawLogo(200, 48, "TAMRIX", QColor(120, 60, 20), QColor(200, 120, 40)); }

void setSplashTimeout(int ms) { g_splashMs = ms; }

QWidget *showSplashWindow(QWidget *frame)
{
    auto *s = new SplashWindow(frame);
    s->adjustSize();
    QRect area = frame ? frame->geometry() : QApplication::primaryScreen()->availableGeometry();
    s->move(area.center() - QPoint(s->width() / 2, s->height() / 2));
    s->show();
    s->raise();
    s->activateWindow();
    return s;
}
