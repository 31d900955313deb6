// "Catalog Report Options": the order of the catalog, its limits to a category, a location and
// items entered since a date, a new page per item and the pictures; OK prints the catalog of
// the order the window shows.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "reports/catalog.h"
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
    CatalogOptionsWindow() : rt::WindowProcedure("ReportCatalogOptions")
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
        for (const char *o : {"Category", "Location", "Description"}) {
            auto *rb = new QRadioButton(o, order);
            rb->setObjectName(QString("Order ") + o);
            rb->setChecked(options_.order == o);
            connect(rb, &QRadioButton::toggled, this, [this, o](bool on) {
                if (on)
                    options_.order = o;
            });
            oh->addWidget(rb);
        }
        v->addWidget(order);

        auto *grid = new QGridLayout;
        addDrop(grid, 0, "Category:", *Access::Category, dict::CategoryDef.key("CATEGORYKEY"), "CATEGORY",
                &CatalogOptions::category);
        addDrop(grid, 1, "Location:", *Access::Location, dict::LocationDef.key("LOCATIONKEY"), "LOCATION",
                &CatalogOptions::location);
        v->addLayout(grid);

        auto check = [&](const char *text, bool CatalogOptions::*field) {
            auto *c = new QCheckBox(text, this);
            c->setObjectName(text);
            c->setChecked(options_.*field);
            connect(c, &QCheckBox::toggled, this, [this, field](bool on) { options_.*field = on; });
            v->addWidget(c);
        };
        check("Limit By Date", &CatalogOptions::limitByDate);
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
        check("Start New Page Every Item", &CatalogOptions::newPageEveryItem);
        check("Include Pictures", &CatalogOptions::includePictures);

        auto *buttons = new QHBoxLayout;
        auto *ok = new QPushButton("OK", this);
        ok->setObjectName("OK");
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] { print(); });
        buttons->addWidget(ok);
        v->addLayout(buttons);
        addCloseAndHelp(v, "Cancel");
    }

    void addDrop(QGridLayout *grid, int row, const char *prompt, rt::FileManager &manager, const rt::KeyDef *key,
                 const char *field, std::string CatalogOptions::*into)
    {
        const QString name = QString(prompt).remove(':');
        grid->addWidget(new QLabel(prompt, this), row, 0);
        auto *combo = new QComboBox(this);
        combo->setObjectName(name);
        combo->setMinimumWidth(200);
        auto drop = std::make_unique<rt::FileDrop>(combo, manager, key, std::vector<const char *>{field},
                                                   QStringList{name});
        // No row is chosen at first: all of them.
        drop->fill(QString());
        connect(combo, &QComboBox::activated, this,
                [this, combo, into] { options_.*into = rt::clip(combo->currentText().toStdString()); });
        grid->addWidget(combo, row, 1);
        auto *clear = new QPushButton("X", this);
        clear->setMaximumWidth(32);
        clear->setObjectName("Clear " + name);
        clear->setToolTip("Clear the " + name.toLower());
        rt::FileDrop *d = drop.get();
        connect(clear, &QPushButton::clicked, this, [this, d, into] {
            options_.*into = {};
            d->fill(QString());
        });
        grid->addWidget(clear, row, 2);
        drops_.push_back(std::move(drop));
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
        // The catalog reads a copy of this window's choices, taken as it starts, and prints the
        // order the window shows.
        publishCatalogOptions(options_);
        const char *procedure = options_.order == "Category"   ? "ReportCatalogByCategory"
                                : options_.order == "Location" ? "ReportCatalogByLocation"
                                                               : "ReportCatalogByDescription";
        rt::runProcedure(procedure);
        finish(rt::RequestCompleted);
    }

    CatalogOptions options_;
    QLineEdit *date_ = nullptr;
    std::vector<std::unique_ptr<rt::FileDrop>> drops_;
};

}  // namespace

}  // namespace reports

void ReportCatalogOptions() { (new reports::CatalogOptionsWindow)->start(); }
