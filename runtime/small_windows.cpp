#include "runtime/small_windows.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "runtime/calendar_widget.h"
#include "runtime/dates.h"
#include "runtime/gui.h"

namespace rt {

CalendarWindowProcedure::CalendarWindowProcedure(bool picker, QWidget *parent, std::function<void(std::int32_t)> picked)
    : WindowProcedure(picker ? "SelectDate" : "CalendarWindow", parent), picker_(picker), picked_(std::move(picked))
{
    setKeepsPosition(false);
}

int CalendarWindowProcedure::init()
{
    setWindowTitle(picker_ ? "Select Date To Display" : "Calendar");
    setHelpContext("~CALENDAR");

    auto *v = new QVBoxLayout(this);
    calendar_ = new CalendarWidget;
    v->addWidget(calendar_);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    if (picker_) {
        auto *select = new QPushButton("Select");
        select->setObjectName("Select");
        select->setToolTip("Accept date.");
        select->setDefault(true);
        connect(select, &QPushButton::clicked, this, [this] {
            if (picked_)
                picked_(calendar_->currentDate());
            finish(RequestCompleted);
        });
        buttons->addWidget(select);
    }
    auto *leave = new QPushButton(picker_ ? "Cancel" : "Exit");
    leave->setObjectName(leave->text());
    leave->setToolTip("Exit without date.");
    leave->setAutoDefault(!picker_);
    connect(leave, &QPushButton::clicked, this, [this] { finish(RequestCancelled); });
    buttons->addWidget(leave);
    v->addLayout(buttons);
    auto *status = new QStatusBar;
    status->setSizeGripEnabled(false);
    auto *text = new QLabel;
    text->setObjectName("StatusText");
    status->addWidget(text, 1);
    v->addWidget(status);
    v->setSizeConstraint(QLayout::SetFixedSize);

    connect(calendar_, &CalendarWidget::dateChanged, text,
            [text](std::int32_t, const QString &longDate) { text->setText(longDate); });
    connect(calendar_, &CalendarWidget::alerted, this, [this] { finish(RequestCancelled); });
    calendar_->setCurrentDate(today());
    return 0;
}

void CalendarWindowProcedure::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        finish(RequestCancelled);
        return;
    }
    WindowProcedure::mousePressEvent(event);
}

// ---------------------------------------------------------------------------------------------

namespace {
const char *const kCopyWarning =
    "Warning: this computer program is protected by copyright law and international treaties. "
    "Unauthorized reproduction or distribution of this program, or any portion of it, may result "
    "in severe civil and criminal penalties, and will be prosecuted to the maximum extent possible "
    "under the law.";
}  // namespace

AboutWindowProcedure::AboutWindowProcedure(QPixmap logo, QString productLine)
    : WindowProcedure("AboutKelvara"), logo_(std::move(logo)), productLine_(std::move(productLine))
{
}

int AboutWindowProcedure::init()
{
    takeRequest();
    setWindowTitle("About Kelvara");
    setHelpContext("~ABOUT");
    auto *v = new QVBoxLayout(this);
    auto *logo = new QLabel;
    logo->setPixmap(logo_);
    v->addWidget(logo, 0, Qt::AlignCenter);
    v->addWidget(new QLabel(productLine_), 0, Qt::AlignCenter);
    v->addWidget(new QLabel("Release 2.107,  August 11, 2003"), 0, Qt::AlignCenter);
    auto *warning = new QPlainTextEdit(kCopyWarning);
    warning->setObjectName("Warning");
    warning->setReadOnly(true);
    warning->setMaximumHeight(110);
    v->addWidget(warning);
    auto *ok = new QPushButton("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { finish(RequestCompleted); });
    v->addWidget(ok, 0, Qt::AlignCenter);
    return 0;
}

}  // namespace rt
