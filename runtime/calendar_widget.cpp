#include "runtime/calendar_widget.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "runtime/dates.h"
#include "runtime/picture.h"

namespace rt {

const char *const CalendarWidget::kDayHeading = "Su Mo Tu We Th Fr Sa";

namespace {

// Courier New as the heading asks; the system's fixed font where it is missing, so that the
// day columns line up under the heading either way.
QFont gridFont()
{
    QFont f("Courier New", 10);
    f.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(f).fixedPitch()) {
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        f.setPointSize(10);
    }
    return f;
}

// The grid: the day-name heading on the first line, then six rows of two-character cells,
// each cell three characters from the next.
class DayGrid : public QWidget {
public:
    explicit DayGrid(CalendarWidget *owner) : QWidget(owner), owner_(owner)
    {
        setObjectName("DayGrid");
        setFont(gridFont());
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    int charWidth() const { return fontMetrics().horizontalAdvance('0'); }
    int lineHeight() const { return fontMetrics().height() + 4; }
    static constexpr int kMargin = 6;

    QRect cellRect(int cell) const
    {
        int row = cell / kCalendarColumns, col = cell % kCalendarColumns;
        return QRect(kMargin + col * 3 * charWidth(), kMargin + (row + 1) * lineHeight(), 2 * charWidth(),
                     fontMetrics().height());
    }

    QSize sizeHint() const override
    {
        return QSize(2 * kMargin + 20 * charWidth(), 2 * kMargin + 7 * lineHeight());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().base());
        p.setPen(palette().color(QPalette::Text));
        QFont bold = font();
        bold.setBold(true);
        p.setFont(bold);
        p.drawText(QRect(kMargin, kMargin, width() - 2 * kMargin, fontMetrics().height()), Qt::AlignLeft,
                   CalendarWidget::kDayHeading);
        p.setFont(font());
        const CalendarMonth &m = owner_->month();
        for (int i = 0; i < kCalendarCells; ++i) {
            int day = m.cells[static_cast<std::size_t>(i)];
            if (day > 0)
                p.drawText(cellRect(i), Qt::AlignRight | Qt::AlignVCenter, QString::number(day));
        }
        if (m.month != 0) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(cellRect(m.selectedCell).adjusted(-3, -2, 3, 2));
        }
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton) {
            event->ignore();  // the calendar itself takes the right button
            return;
        }
        owner_->clickAt(event->position().toPoint());
    }

private:
    CalendarWidget *owner_;
};

}  // namespace

CalendarWidget::CalendarWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName("Calendar");
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);

    auto *heading = new QLabel("Calendar");
    heading->setObjectName("Heading");
    QFont hf = heading->font();
    hf.setBold(true);
    hf.setPointSizeF(hf.pointSizeF() * 1.3);
    heading->setFont(hf);
    v->addWidget(heading, 0, Qt::AlignHCenter);
    dateLabel_ = new QLabel;
    dateLabel_->setObjectName("CurrentDate");
    v->addWidget(dateLabel_, 0, Qt::AlignHCenter);

    auto *body = new QHBoxLayout;
    auto *steps = new QGridLayout;
    struct Row {
        const char *label;
        CalendarStep previous, next;
        const char *previousName, *nextName, *previousTip, *nextTip;
    };
    const Row rows[] = {
        {"Year", CalendarStep::PreviousYear, CalendarStep::NextYear, "PreviousYear", "NextYear", "Previous year.",
         "Next year."},
        {"Month", CalendarStep::PreviousMonth, CalendarStep::NextMonth, "PreviousMonth", "NextMonth",
         "Previous month.", "Next month."},
        {"Week", CalendarStep::PreviousWeek, CalendarStep::NextWeek, "PreviousWeek", "NextWeek", "Previous week.",
         "Next week."},
        {"Day", CalendarStep::PreviousDay, CalendarStep::NextDay, "PreviousDay", "NextDay", "Previous Day.",
         "Next day."},
    };
    int r = 0;
    for (const Row &row : rows) {
        steps->addWidget(stepButton(row.previous, Qt::LeftArrow, row.previousName, row.previousTip), r, 0);
        steps->addWidget(new QLabel(row.label), r, 1, Qt::AlignCenter);
        steps->addWidget(stepButton(row.next, Qt::RightArrow, row.nextName, row.nextTip), r, 2);
        ++r;
    }
    auto *today = new QPushButton("Today");
    today->setObjectName("Today");
    today->setToolTip("Today's date.");
    connect(today, &QPushButton::clicked, this, &CalendarWidget::showToday);
    steps->addWidget(today, r, 0, 1, 3);
    steps->setRowStretch(r + 1, 1);
    body->addLayout(steps);
    body->addSpacing(8);
    grid_ = new DayGrid(this);
    body->addWidget(grid_, 0, Qt::AlignTop);
    v->addLayout(body);
}

QAbstractButton *CalendarWidget::stepButton(CalendarStep s, Qt::ArrowType arrow, const char *name, const char *tip)
{
    auto *b = new QToolButton;
    b->setArrowType(arrow);
    b->setObjectName(name);
    b->setToolTip(tip);
    connect(b, &QToolButton::clicked, this, [this, s] { step(s); });
    return b;
}

void CalendarWidget::setCurrentDate(std::int32_t date)
{
    current_ = date;
    drawMonth();
}

void CalendarWidget::step(CalendarStep s) { setCurrentDate(stepDate(current_, s)); }

void CalendarWidget::showToday() { setCurrentDate(today()); }

QString CalendarWidget::longDate() const { return QString::fromStdString(formatDate("@d4", current_)); }

QRect CalendarWidget::cellRect(int cell) const { return static_cast<DayGrid *>(grid_)->cellRect(cell); }

int CalendarWidget::cellAt(const QPoint &pos) const
{
    for (int i = 0; i < kCalendarCells; ++i)
        if (cellRect(i).contains(pos))
            return i;
    return -1;
}

void CalendarWidget::clickAt(const QPoint &pos)
{
    int cell = cellAt(pos);
    if (cell >= 0 && month_.cells[static_cast<std::size_t>(cell)] > 0) {
        month_.selectedCell = cell;
        markCell(cell);
    }
}

void CalendarWidget::drawMonth()
{
    month_ = calendarMonth(current_);
    markCell(month_.selectedCell);
}

void CalendarWidget::markCell(int cell)
{
    if (month_.month != 0)
        current_ = cellDate(month_, cell);
    dateLabel_->setText(longDate());
    grid_->update();
    emit dateChanged(current_, longDate());
}

void CalendarWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        emit alerted();
        return;
    }
    QWidget::mousePressEvent(event);
}

}  // namespace rt
