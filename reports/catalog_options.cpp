// "Catalog Report Options": the order of the catalog, its limits to a category, a location and
// items entered since a date, a new page per item and the pictures; OK prints the catalog of
// the order the window shows.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "reports/catalog.h"
#include "reports/option_controls.h"
#include "reports/report_table.h"
#include "runtime/file_drop.h"
#include "runtime/gui.h"
#include "runtime/message.h"
#include "runtime/picture.h"
#include "runtime/text.h"
#include "runtime/update_form.h"
#include "runtime/window.h"

namespace reports {

namespace {

class CatalogOptionsWindow : public rt::WindowProcedure {
public:
    CatalogOptionsWindow() : rt::WindowProcedure(report(Report::CatalogOptions).portrait)
    {
        setWindowTitle("Catalog Report Options");
        setHelpContext("~CATALOG_REPORT_OPTIONS");
    }

    int init() override
    {
        // The window's own choices, at their defaults each time it opens; another options
        // window open at the same time keeps its own.
        options_ = CatalogOptions{};
        if (int level = openFiles({Relate::Category, Relate::Location}))
            return level;
        build();
        return 0;
    }
    void kill() override
    {
        drops_.clear();
        rt::WindowProcedure::kill();
    }

private:
    void build()
    {
        auto *v = new QVBoxLayout(this);
        auto *order = new QGroupBox("Report Order:", this);
        auto *oh = new QHBoxLayout(order);
        addOrderChoice(this, oh, {"Category", "Location", "Description"}, options_.order);
        v->addWidget(order);

        auto *grid = new QGridLayout;
        addDrop(grid, 0, "Category:", *Access::Category, dict::CategoryDef.key("CATEGORYKEY"), "CATEGORY",
                options_.category);
        addDrop(grid, 1, "Location:", *Access::Location, dict::LocationDef.key("LOCATIONKEY"), "LOCATION",
                options_.location);
        v->addLayout(grid);

        addOptionCheck(this, v, "Limit By Date", nullptr, options_.limitByDate);
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel("Start Date:", this));
        date_ = new QLineEdit(this);
        date_->setObjectName("StartDate");
        rt::fitEntryToCharacters(date_, 10);
        connect(date_, &QLineEdit::editingFinished, this, [this] { readDate(); });
        row->addWidget(date_);
        auto *calendar = new QPushButton("...", this);
        calendar->setObjectName("Calendar");
        calendar->setToolTip("Calendar");
        calendar->setMaximumWidth(32);
        connect(calendar, &QPushButton::clicked, this, [this] {
            // The calendar gives a date only; "Limit By Date" stays as the user left it.
            rt::runProcedure("SelectDate");
            if (Glo.DatePicked == 1) {
                options_.startDate = Glo.SelectedDate.get();
                showDate();
            }
        });
        row->addWidget(calendar);
        row->addStretch();
        v->addLayout(row);
        addOptionCheck(this, v, "Start New Page Every Item", nullptr, options_.newPageEveryItem);
        addOptionCheck(this, v, "Include Pictures", nullptr, options_.includePictures);

        auto *ok = new QPushButton("OK", this);
        ok->setObjectName("OK");
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] { print(); });
        addCloseAndHelp(v, "Cancel", false, ok);  // OK stands before Cancel and Help
    }

    // A limit's list with its clear button, which sets the limit back to all.
    void addDrop(QGridLayout *grid, int row, const char *prompt, rt::FileManager &manager, const rt::KeyDef *key,
                 const char *field, std::string &into)
    {
        const QString name = QString(prompt).remove(':');
        rt::FileDrop *d = addLimitList(this, grid, row, prompt, manager, key, field, into, drops_);
        auto *clear = new QPushButton("X", this);
        clear->setMaximumWidth(32);
        clear->setObjectName("Clear " + name);
        clear->setToolTip("Clear the " + name.toLower());
        connect(clear, &QPushButton::clicked, this, [d, &into] {
            into.clear();
            d->fill(QString());
        });
        grid->addWidget(clear, row, 2);
    }

    void readDate()
    {
        std::int32_t d = 0;
        const std::string t = rt::trim(date_->text().toStdString());
        if (t.empty())
            options_.startDate = 0;
        else if (rt::deformatDate(t, d))
            options_.startDate = d;
        showDate();
    }
    void showDate() { date_->setText(QString::fromStdString(rt::formatDate("@d1b", options_.startDate))); }

    void print()
    {
        readDate();
        if (options_.limitByDate && options_.startDate == 0) {
            rt::beep();
            rt::message("You must enter the date to start if you select to limit by date", "Data Error",
                        rt::Icon::Exclamation, rt::BUTTON_RETRY, rt::BUTTON_RETRY);
            date_->setFocus();
            return;
        }
        // The catalog of the order the window shows, made from a copy of this window's choices.
        ReportInputs in;
        in.catalog = options_;
        startReport(options_.order == "Category"   ? Report::CatalogByCategory
                    : options_.order == "Location" ? Report::CatalogByLocation
                                                   : Report::CatalogByDescription,
                    in);
        finish(rt::RequestCompleted);
    }

    CatalogOptions options_;
    QLineEdit *date_ = nullptr;
    std::vector<std::unique_ptr<rt::FileDrop>> drops_;
};

}  // namespace

}  // namespace reports

void ReportCatalogOptions() { (new reports::CatalogOptionsWindow)->start(); }
