// The date picker that forms call beside a date field, and the calendar window of the toolbar:
// one calendar, with a choice ("Select") in the picker and none in the window.
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "core/globals.h"
#include "core/settings.h"
#include "runtime/calendar_widget.h"
#include "runtime/dates.h"
#include "runtime/window.h"

namespace {

class CalendarDialog : public rt::WindowProcedure {
public:
    CalendarDialog(bool picker, QWidget *parent)
        : rt::WindowProcedure(picker ? "SelectDate" : "CalendarWindow", parent), picker_(picker)
    {
        setKeepsPosition(false);
    }

    int init() override
    {
        if (picker_)
            Glo.DatePicked = 0;
        setWindowTitle(picker_ ? "Select Date To Display" : "Calendar");
        setHelpContext("~CALENDAR");

        auto *v = new QVBoxLayout(this);
        calendar_ = new rt::CalendarWidget;
        v->addWidget(calendar_);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch();
        if (picker_) {
            auto *select = new QPushButton("Select");
            select->setObjectName("Select");
            select->setToolTip("Accept date.");
            select->setDefault(true);
            connect(select, &QPushButton::clicked, this, [this] {
                Glo.DatePicked = 1;
                Glo.SelectedDate = calendar_->currentDate();
                finish(rt::RequestCompleted);
            });
            buttons->addWidget(select);
        }
        auto *leave = new QPushButton(picker_ ? "Cancel" : "Exit");
        leave->setObjectName(leave->text());
        leave->setToolTip("Exit without date.");
        leave->setAutoDefault(!picker_);
        connect(leave, &QPushButton::clicked, this, [this] { finish(rt::RequestCancelled); });
        buttons->addWidget(leave);
        v->addLayout(buttons);
        auto *status = new QStatusBar;
        status->setSizeGripEnabled(false);
        auto *text = new QLabel;
        text->setObjectName("StatusText");
        status->addWidget(text, 1);
        v->addWidget(status);
        v->setSizeConstraint(QLayout::SetFixedSize);

        connect(calendar_, &rt::CalendarWidget::dateChanged, text,
                [text](std::int32_t, const QString &longDate) { text->setText(longDate); });
        connect(calendar_, &rt::CalendarWidget::alerted, this, [this] { finish(rt::RequestCancelled); });
        calendar_->setCurrentDate(rt::today());
        return 0;
    }

protected:
    // The right mouse button anywhere in the window leaves it without a date.
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::RightButton) {
            finish(rt::RequestCancelled);
            return;
        }
        rt::WindowProcedure::mousePressEvent(event);
    }

private:
    bool picker_;
    rt::CalendarWidget *calendar_ = nullptr;
};

}  // namespace

void SelectDate()
{
    rt::runModal(new CalendarDialog(true, rt::modalParent()));
}

void CalendarWindow()
{
    (new CalendarDialog(false, nullptr))->start();
}
