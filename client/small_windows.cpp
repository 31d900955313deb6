// The client program's small windows: the splash, the calendar, About, the report format of the
// run and the window naming who compiled the inventory.
#include <QButtonGroup>
#include <QGroupBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "client/client.h"
#include "model/globals.h"
#include "runtime/dates.h"
#include "runtime/error_manager.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/small_windows.h"
#include "runtime/window.h"

namespace client {

namespace {

// The brand's mark, drawn: a house under a roof in the brand's colours.
QPixmap logo(int size)
{
    QPixmap p(size * 2, size);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setBrush(QColor(0x1f, 0x4e, 0x8c));
    g.setPen(Qt::NoPen);
    const int s = size;
    QPolygon roof({QPoint(s / 8, s / 2), QPoint(s / 2, s / 8), QPoint(s * 7 / 8, s / 2)});
    g.drawPolygon(roof);
    g.setBrush(QColor(0xc8, 0x8a, 0x1e));
    g.drawRect(s / 4, s / 2, s / 2, s * 3 / 8);
    g.setPen(QColor(0x1f, 0x4e, 0x8c));
    QFont f("Arial", std::max(8, s / 5));
    f.setBold(true);
    g.setFont(f);
    g.drawText(QRect(s, 0, s, s), Qt::AlignVCenter | Qt::AlignLeft, "Kelvara");
    return p;
}

// ---- SplashWindow ---------------------------------------------------------------------------------

class Splash : public QWidget {
public:
    explicit Splash(QWidget *parent)
        : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    {
        setObjectName("SplashWindow");
        setAttribute(Qt::WA_DeleteOnClose);
        auto *v = new QVBoxLayout(this);
        auto *mark = new QLabel;
        mark->setPixmap(logo(90));
        v->addWidget(mark, 0, Qt::AlignCenter);
        auto *title = new QLabel("Vorezuroviva Vere Vivezezev Client ");
        QFont f = title->font();
        f.setPointSizeF(f.pointSizeF() * 1.6);
        f.setBold(true);
        title->setFont(f);
        v->addWidget(title, 0, Qt::AlignCenter);
        v->addWidget(new QLabel("Tamrix"), 0, Qt::AlignCenter);
        v->addWidget(new QLabel("This program is protected by copyright law.\n"
                                "See Help > About Kelvara for the details."),
                     0, Qt::AlignCenter);
        setStyleSheet("background: white;");
        QTimer::singleShot(6000, this, &QWidget::close);
    }

protected:
    void mousePressEvent(QMouseEvent *) override { close(); }
    void focusOutEvent(QFocusEvent *) override { close(); }
};

// ---- ReportFormat ---------------------------------------------------------------------------------

class Format : public rt::WindowProcedure {
public:
    Format() : rt::WindowProcedure("ReportFormat") {}
    int init() override
    {
        rt::takeRequest();
        setWindowTitle("Report Format");
        setHelpContext("~REPORT_FORMAT");
        auto *v = new QVBoxLayout(this);
        v->addWidget(new QLabel("Select the report format"));
        auto *box = new QGroupBox("Report Format");
        auto *bl = new QVBoxLayout(box);
        auto *group = new QButtonGroup(this);
        for (const char *choice : {"Portrait", "Landscape"}) {
            auto *r = new QRadioButton(choice);
            r->setObjectName(choice);
            r->setChecked(Glo.ReportFormat.str() == choice);
            group->addButton(r);
            bl->addWidget(r);
            // The choice holds at once, however the window is left.
            connect(r, &QRadioButton::toggled, this, [choice](bool on) {
                if (on)
                    Glo.ReportFormat = choice;
            });
        }
        v->addWidget(box);
        auto *row = new QHBoxLayout;
        auto *ok = new QPushButton("OK");
        ok->setDefault(true);
        auto *help = new QPushButton("Help");
        row->addStretch(1);
        row->addWidget(ok);
        row->addWidget(help);
        v->addLayout(row);
        connect(ok, &QPushButton::clicked, this, [this] { finish(rt::RequestCompleted); });
        connect(help, &QPushButton::clicked, this, [this] { rt::showHelp(helpContext()); });
        return 0;
    }
};

// ---- ShowZenvik -----------------------------------------------------------------------------------

class Producer : public rt::WindowProcedure {
public:
    Producer() : rt::WindowProcedure("ShowZenvik") {}
    int init() override
    {
        rt::takeRequest();
        std::string error;
        Glo.ClientFileError = 0;
        rt::clearRecord(dict::ClientSystemFileDef, &CSF);
        if (readClientSystemRecord(CSF, error) != 0) {
            Glo.ClientFileError = 1;
            rt::beep();
            rt::message("Error reading client system file", "File Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
            return rt::LevelNotify;
        }
        setWindowTitle("Your Rava Ravarurod Odidiruzavod");
        setHelpContext("~MAIN");
        auto *v = new QVBoxLayout(this);
        auto *heading = new QLabel("Your Home Inventory CD Was\nCompiled And Produced By:");
        heading->setAlignment(Qt::AlignCenter);
        QFont f = heading->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.2);
        heading->setFont(f);
        v->addWidget(heading);
        auto *form = new QFormLayout;
        // A copy of the record as read: the shown fields are display only.
        const ClientSystemFileRecord r = CSF;
        struct Row {
            const char *prompt, *tip;
            std::string value;
        };
        const Row rows[] = {
            {"Name:", "Please enter your first and last name", r.NAME.str()},
            {"Address:", "Please enter your complete address", r.ADDRESS.str()},
            {"City, State, Zip:", "Please enter your city state and zip code", r.CSZ.str()},
            {"Phone:", "Please enter your phone, fax, etc.", r.PHONE.str()},
            {"E Mail Address:", "Please enter your e-mail address", r.EMAILADDRESS.str()},
        };
        for (const Row &row : rows) {
            auto *e = new QLineEdit(QString::fromStdString(row.value));
            e->setObjectName(QString(row.prompt).remove(':'));
            e->setReadOnly(true);
            e->setToolTip(row.tip);
            e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 42);
            form->addRow(row.prompt, e);
        }
        v->addLayout(form);
        auto *exit = new QPushButton("Exit");
        exit->setDefault(true);
        connect(exit, &QPushButton::clicked, this, [this] { finish(rt::RequestCompleted); });
        v->addWidget(exit, 0, Qt::AlignCenter);
        return 0;
    }
};

QPointer<Splash> g_splash;

}  // namespace

void SplashWindow()
{
    if (g_splash)
        return;
    g_splash = new Splash(frame());
    g_splash->adjustSize();
    if (QWidget *f = frame())
        g_splash->move(f->geometry().center() - g_splash->rect().center());
    g_splash->show();
}

void CalendarWindow() { (new rt::CalendarWindowProcedure(false))->start(); }
void AboutKelvara() { (new rt::AboutWindowProcedure(logo(90), "Vorezuroviva Vere Vivezezev Client, Version 2.0"))->start(); }
void ReportFormat() { (new Format)->start(); }
void ShowZenvik() { (new Producer)->start(); }

}  // namespace client
